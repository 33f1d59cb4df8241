#include "app/TrayAnimation.h"

namespace lumivane {

TScreenRect TrayRectOrFallback(IWindowAnimationOps& ops) {
    TScreenRect rect;
    if (ops.GetTrayNotifyRect(rect)) return rect;
    const int32_t w = ops.ScreenWidth(), h = ops.ScreenHeight();
    return {w - 100, h - 30, w, h};
}

void HideWindowToTray(IWindowAnimationOps& ops) {
    const TScreenRect tray = TrayRectOrFallback(ops);
    // A minimised window is restored at once, without the system's own
    // animation, so that the zoom starts from its restored place.
    const bool animation = ops.GetWindowAnimation();
    ops.SetWindowAnimation(false);
    ops.RestoreWindow();
    ops.SetWindowAnimation(animation);
    ops.HideWindow();
    if (ops.GetWindowAnimation()) ops.DrawAnimatedRects(ops.WindowBounds(), tray);
}

void ShowWindowFromTray(IWindowAnimationOps& ops) {
    const TScreenRect tray = TrayRectOrFallback(ops);
    if (ops.GetWindowAnimation()) ops.DrawAnimatedRects(tray, ops.WindowBounds());
    ops.ShowWindow();
    ops.SetForegroundWindow();
}

}  // namespace lumivane
