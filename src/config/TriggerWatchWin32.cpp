#include "config/TriggerWatchWin32.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {

// An out-of-context hook's callback carries no context of its own: the
// watcher is found by its hook.
std::map<HWINEVENTHOOK, TTriggerWatchWin32*>& HookOwners() {
    static std::map<HWINEVENTHOOK, TTriggerWatchWin32*> owners;
    return owners;
}

std::wstring ImagePath(HANDLE process) {
    wchar_t path[MAX_PATH * 2];
    DWORD size = ARRAYSIZE(path);
    return QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

bool IsListed(const TTriggerSettings& settings, const std::wstring& image) {
    for (const auto& listed : settings.Programs)
        if (SameProgram(image, listed)) return true;
    return false;
}

}  // namespace

bool ForegroundCoversItsMonitor() {
    HWND window = GetForegroundWindow();
    if (!window || window == GetDesktopWindow() || window == GetShellWindow() || !IsWindowVisible(window) ||
        IsIconic(window))
        return false;
    wchar_t name[16] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (lstrcmpW(name, L"WorkerW") == 0 || lstrcmpW(name, L"Progman") == 0) return false;
    RECT client{};
    if (!GetClientRect(window, &client)) return false;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
    const RECT& m = monitor.rcMonitor;
    return client.left <= m.left && client.top <= m.top && client.right >= m.right && client.bottom >= m.bottom;
}

bool ShellSaysFullScreen() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(SHQueryUserNotificationState(&state))) return false;
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

bool OnMainsPower() {
    SYSTEM_POWER_STATUS status{};
    return !GetSystemPowerStatus(&status) || status.ACLineStatus != 0;
}

// A program being watched: its process, and the pool's wait for its end,
// which only posts a message to the window.
struct TTriggerWatchWin32::TWatched {
    TUniqueKernelHandle Process;
    HANDLE Wait = nullptr;
    HWND Window = nullptr;
    DWORD ProcessId = 0;
    static void CALLBACK Ended(PVOID context, BOOLEAN) {
        const auto* self = static_cast<const TWatched*>(context);
        PostMessageW(self->Window, kProgramEndedMessage, self->ProcessId, 0);
    }
    ~TWatched() {
        // Waits for a callback under way: none runs once this returns.
        if (Wait) UnregisterWaitEx(Wait, INVALID_HANDLE_VALUE);
    }
};

TTriggerWatchWin32::TTriggerWatchWin32(std::function<HWND()> window, std::function<void(const std::wstring&)> onCause)
    : FWindow(std::move(window)), FOnCause(std::move(onCause)) {}

TTriggerWatchWin32::~TTriggerWatchWin32() { Stop(); }

void TTriggerWatchWin32::Hook(HWINEVENTHOOK& hook, DWORD event, bool wanted) {
    if (wanted == (hook != nullptr)) return;
    if (hook) {
        UnhookWinEvent(hook);
        HookOwners().erase(hook);
        hook = nullptr;
        return;
    }
    hook = SetWinEventHook(event, event, nullptr, WinEvent, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook) HookOwners()[hook] = this;
}

void TTriggerWatchWin32::Apply(const TTriggerSettings& settings) {
    if (FStopped) return;
    FSettings = settings;
    for (auto it = FSeen.Programs.begin(); it != FSeen.Programs.end();) {
        const uint32_t id = it->first;
        ++it;
        if (!IsListed(FSettings, FSeen.Programs[id])) Unwatch(id);
    }
    // A program is recognised by its first top-level window, when it is made
    // (shown or not): every program that shows one made it first.
    Hook(FCreateHook, EVENT_OBJECT_CREATE, !FSettings.Programs.empty());
    Hook(FForegroundHook, EVENT_SYSTEM_FOREGROUND, FSettings.FullScreen);
    if (!FSettings.Programs.empty()) {
        // Once, for what already runs; new ones show a window.
        TUniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        if (snapshot && Process32FirstW(snapshot.Get(), &entry)) {
            do {
                if (IsListed(FSettings, entry.szExeFile)) Consider(entry.th32ProcessID, entry.szExeFile);
            } while (Process32NextW(snapshot.Get(), &entry));
        }
    }
    FSeen.OnMains = OnMainsPower();
    FSeen.FullScreen = false;
    if (FSettings.FullScreen) CheckFullScreen();
    Report();
}

void CALLBACK TTriggerWatchWin32::WinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                                           DWORD, DWORD) {
    const auto owner = HookOwners().find(hook);
    if (owner == HookOwners().end()) return;
    if (event == EVENT_SYSTEM_FOREGROUND) {
        owner->second->CheckFullScreen();
    } else if (idObject == OBJID_WINDOW && idChild == CHILDID_SELF && hwnd) {
        owner->second->WindowMade(hwnd);
    }
}

void TTriggerWatchWin32::WindowMade(HWND hwnd) {
    // Only a top-level window says that a program started.
    if (GetAncestor(hwnd, GA_ROOT) != hwnd) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    // Wine delivers the program's own windows' events too.
    if (!processId || processId == GetCurrentProcessId() || FWatched.count(processId)) return;
    TUniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return;
    const std::wstring image = ImagePath(process.Get());
    if (IsListed(FSettings, image)) {
        Consider(processId, image);
        Report();
    }
}

void TTriggerWatchWin32::Consider(DWORD processId, const std::wstring& image) {
    if (FWatched.count(processId)) return;
    auto watched = std::make_unique<TWatched>();
    watched->Process.Reset(OpenProcess(SYNCHRONIZE, FALSE, processId));
    watched->Window = FWindow();
    watched->ProcessId = processId;
    // A process this user may not wait for (another user's, say) cannot be
    // followed to its end, and so does not count.
    if (!watched->Process ||
        !RegisterWaitForSingleObject(&watched->Wait, watched->Process.Get(), TWatched::Ended, watched.get(),
                                     INFINITE, WT_EXECUTEONLYONCE))
        return;
    FSeen.Programs[processId] = ProgramFileName(image);
    FWatched[processId] = std::move(watched);
}

void TTriggerWatchWin32::Unwatch(uint32_t processId) {
    FWatched.erase(processId);
    FSeen.Programs.erase(processId);
}

void TTriggerWatchWin32::ProgramEnded(uint32_t processId) {
    const auto it = FWatched.find(processId);
    // Only the end of the process this wait was for.
    if (it == FWatched.end() || WaitForSingleObject(it->second->Process.Get(), 0) != WAIT_OBJECT_0) return;
    Unwatch(processId);
    Report();
}

void TTriggerWatchWin32::SetOnMains(bool onMains) {
    FSeen.OnMains = onMains;
    Report();
}

void TTriggerWatchWin32::CheckFullScreen() {
    if (FStopped || !FSettings.FullScreen) return;
    const bool fullScreen = ShellSaysFullScreen() || ForegroundCoversItsMonitor();
    if (fullScreen == FSeen.FullScreen) return;
    FSeen.FullScreen = fullScreen;
    Report();
}

void TTriggerWatchWin32::Stop() {
    FStopped = true;
    Hook(FCreateHook, 0, false);
    Hook(FForegroundHook, 0, false);
    FWatched.clear();
    FSeen.Programs.clear();
}

void TTriggerWatchWin32::Report() {
    if (FStopped) return;
    const std::wstring cause = TriggerCause(FSettings, FSeen);
    if (cause == FCause) return;
    FCause = cause;
    if (FOnCause) FOnCause(cause);
}

}  // namespace lumivane
