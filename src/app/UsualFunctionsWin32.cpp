#include "app/UsualFunctionsWin32.h"

#include "app/Application.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {
UINT gActivationMessage = 0;
}

UINT ActivationMessage() { return gActivationMessage; }

void RegisterActivationMessage() {
    gActivationMessage = RegisterWindowMessageW(kActivationMessageName);
}

void ActivatePreviousInstance(const std::wstring& ClassName) {
    HWND window = FindWindowW(ClassName.c_str(), nullptr);
    if (!window) return;
    // Windows lets only the process that got the last input (this one, just
    // started by the user) bring a window forward: pass that right on.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    SendNotifyMessageW(window, gActivationMessage, 0, 0);
}

namespace {
RECT ToRect(const TScreenRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
}  // namespace

bool TWindowAnimationWin32::GetTrayNotifyRect(TScreenRect& rect) {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    HWND notify = tray ? FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr) : nullptr;
    RECT r{};
    if (!notify || !GetWindowRect(notify, &r)) return false;
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

bool TWindowAnimationWin32::GetWindowAnimation() {
    ANIMATIONINFO info{sizeof(info), 0};
    return SystemParametersInfoW(SPI_GETANIMATION, sizeof(info), &info, 0) && info.iMinAnimate != 0;
}

void TWindowAnimationWin32::SetWindowAnimation(bool enable) {
    // Neither stored in the profile nor broadcast: a moment's change.
    ANIMATIONINFO info{sizeof(info), enable ? 1 : 0};
    SystemParametersInfoW(SPI_SETANIMATION, sizeof(info), &info, 0);
}

TScreenRect TWindowAnimationWin32::WindowBounds() {
    RECT r{};
    GetWindowRect(FWindow, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void TWindowAnimationWin32::DrawAnimatedRects(const TScreenRect& from, const TScreenRect& to) {
    const RECT a = ToRect(from), b = ToRect(to);
    ::DrawAnimatedRects(FWindow, IDANI_CAPTION, &a, &b);
}

void TProcessStarterWin32::RunProcess(const std::wstring& FileName,
                                      const std::wstring& Parameters, uint32_t StartFlags,
                                      bool Wait, int32_t ShowCommand) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = ProcessStartFlags(StartFlags, ShowCommand);
    startup.wShowWindow = static_cast<WORD>(ShowCommand);
    // CreateProcessW may write into the command line: it needs its own buffer.
    std::wstring commandLine = ProcessCommandLine(FileName, Parameters);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return;
    TUniqueKernelHandle process(info.hProcess);
    TUniqueKernelHandle thread(info.hThread);
    if (Wait) WaitForSingleObject(process.Get(), INFINITE);
}

}  // namespace lumivane
