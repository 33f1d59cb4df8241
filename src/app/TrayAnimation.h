#pragma once
// Hiding the main window into the notification area and showing it from
// there, with the zoom animation between the two rectangles.
#include <cstdint>

#include "base/ScreenRect.h"

namespace lumivane {

// What hiding and showing need from the window system, for one window.
class IWindowAnimationOps {
public:
    virtual ~IWindowAnimationOps() = default;
    // The notification area's rectangle; false when it cannot be found.
    virtual bool GetTrayNotifyRect(TScreenRect& rect) = 0;
    virtual int32_t ScreenWidth() = 0;
    virtual int32_t ScreenHeight() = 0;
    // The minimise/maximise animation setting; a failed read counts as off.
    virtual bool GetWindowAnimation() = 0;
    virtual void SetWindowAnimation(bool enable) = 0;
    virtual void RestoreWindow() = 0;  // ShowWindow(SW_RESTORE)
    virtual void HideWindow() = 0;
    virtual void ShowWindow() = 0;
    virtual void SetForegroundWindow() = 0;
    virtual TScreenRect WindowBounds() = 0;
    virtual void DrawAnimatedRects(const TScreenRect& from, const TScreenRect& to) = 0;
};

// The notification area, or the 100 x 30 corner at the bottom right.
TScreenRect TrayRectOrFallback(IWindowAnimationOps& ops);
void HideWindowToTray(IWindowAnimationOps& ops);
void ShowWindowFromTray(IWindowAnimationOps& ops);

}  // namespace lumivane
