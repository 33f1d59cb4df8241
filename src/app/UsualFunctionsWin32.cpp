#include "app/UsualFunctionsWin32.h"

#include "app/Application.h"
#include "app/RunningCopyWin32.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

UINT RegisterActivationMessage() { return RegisterWindowMessageW(kActivationMessageName); }

void ActivatePreviousInstance(UINT message) {
    // Only the copy gets the right to come forward: not a look-alike.
    HWND window = FindRunningCopy().Window;
    if (!window) return;
    // Windows lets only the process that got the last input (this one, just
    // started by the user) bring a window forward: pass that right on.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    SendNotifyMessageW(window, message, 0, 0);
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

void RestrictLibrarySearchToSystemFolder() {
    // Also changes what a plain LoadLibraryW does, including the ones inside
    // Windows' own libraries; those that must come from elsewhere name a
    // full path, which this does not restrict.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

namespace {

bool HasFolder(const std::wstring& name) {
    return name.find_first_of(L"\\/:") != std::wstring::npos;
}

std::wstring FirstWord(const std::wstring& commandLine) {
    const size_t start = commandLine.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return {};
    if (commandLine[start] == L'"') {
        const size_t end = commandLine.find(L'"', start + 1);
        return commandLine.substr(start + 1, end == std::wstring::npos ? end : end - start - 1);
    }
    const size_t end = commandLine.find_first_of(L" \t", start);
    return commandLine.substr(start, end == std::wstring::npos ? end : end - start);
}

}  // namespace

std::wstring ProgramToStart(const std::wstring& FileName, const std::wstring& Parameters,
                            const std::wstring& SystemFolder) {
    std::wstring program = FileName.empty() ? FirstWord(Parameters) : FileName;
    if (program.empty() || HasFolder(program)) return program;
    if (SystemFolder.empty()) return {};
    // The application name is used exactly as given: nothing adds ".exe".
    if (program.find(L'.') == std::wstring::npos) program += L".exe";
    return SystemFolder + L"\\" + program;
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring folder(buffer, length);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
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
    // The program is always named in full as the application name. Left to
    // CreateProcessW, the first word of the command line is looked for in the
    // program's own folder and the current folder before System32, so a
    // rundll32.exe dropped beside a portable copy would run in its place; an
    // unquoted path with a space could also start "C:\Program.exe". The
    // command line keeps the bare name: it is only the program's argv[0].
    const std::wstring system = SystemFolder();
    const std::wstring program = ProgramToStart(FileName, Parameters, system);
    if (program.empty()) return;
    // A system program also starts in the system folder, so that whatever it
    // loads by a relative name cannot come from the folder we were started in.
    const bool fromSystem = !system.empty() && program.rfind(system + L"\\", 0) == 0;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        fromSystem ? system.c_str() : nullptr, &startup, &info))
        return;
    TUniqueKernelHandle process(info.hProcess);
    TUniqueKernelHandle thread(info.hThread);
    if (Wait) WaitForSingleObject(process.Get(), INFINITE);
}

}  // namespace lumivane
