#pragma once
// Shared Win32 helpers: the wake-up message of a second instance and the
// starting of other programs.
#include <windows.h>

#include <string>

#include "app/TrayAnimation.h"
#include "display/DisplayCommands.h"

namespace lumivane {

// The process-wide number of the wake-up message (0 before registration).
UINT ActivationMessage();
void RegisterActivationMessage();
// Wakes the running instance, whose main window has this class; does not wait.
void ActivatePreviousInstance(const std::wstring& ClassName);

// GetWindowAnimation, SetWindowAnimation, GetTrayNotifyRect and the window
// steps of hiding to and showing from the notification area, for one window.
class TWindowAnimationWin32 final : public IWindowAnimationOps {
public:
    explicit TWindowAnimationWin32(HWND window) : FWindow(window) {}
    bool GetTrayNotifyRect(TScreenRect& rect) override;
    int32_t ScreenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    int32_t ScreenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }
    bool GetWindowAnimation() override;
    void SetWindowAnimation(bool enable) override;
    void RestoreWindow() override { ::ShowWindow(FWindow, SW_RESTORE); }
    void HideWindow() override { ::ShowWindow(FWindow, SW_HIDE); }
    void ShowWindow() override { ::ShowWindow(FWindow, SW_SHOW); }
    void SetForegroundWindow() override { ::SetForegroundWindow(FWindow); }
    TScreenRect WindowBounds() override;
    void DrawAnimatedRects(const TScreenRect& from, const TScreenRect& to) override;

private:
    HWND FWindow;
};

class TProcessStarterWin32 final : public IProcessStarter {
public:
    void RunProcess(const std::wstring& FileName, const std::wstring& Parameters,
                    uint32_t StartFlags, bool Wait, int32_t ShowCommand) override;
};

}  // namespace lumivane
