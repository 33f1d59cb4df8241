#pragma once
// Shared Win32 helpers: the wake-up message of a second instance and the
// starting of other programs.
#include <windows.h>

#include <string>

#include "app/TrayAnimation.h"
#include "display/DisplayRequests.h"

namespace lumivane {

// The number of the wake-up message, the same in every process of the session.
UINT RegisterActivationMessage();
// Wakes the running copy (a window of its class that is not its goes
// unwoken); does not wait.
void ActivatePreviousInstance(UINT message);

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

// From now on, a library named without a path is looked for in the system
// folder only: not in the program's folder, the current folder or PATH.
// Called first thing in the process; cannot be undone.
void RestrictLibrarySearchToSystemFolder();

// The program that RunProcess starts, as a full path. A bare file name
// ("rundll32.exe") means the one in SystemFolder; a name with a folder in it
// is taken as given. With no FileName, the program is the first word of
// Parameters (quoted or not). An empty answer means there is nothing to start.
std::wstring ProgramToStart(const std::wstring& FileName, const std::wstring& Parameters,
                            const std::wstring& SystemFolder);
// The system folder (System32) without a trailing backslash.
std::wstring SystemFolder();

class TProcessStarterWin32 final : public IProcessStarter {
public:
    void RunProcess(const std::wstring& FileName, const std::wstring& Parameters,
                    uint32_t StartFlags, bool Wait, int32_t ShowCommand) override;
};

}  // namespace lumivane
