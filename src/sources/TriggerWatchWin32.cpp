#include "sources/TriggerWatchWin32.h"
#include "win32/SystemLibrariesWin32.h"

#include "sources/TimeZoneWin32.h"

#include <dwmapi.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include "sources/CallWin32.h"
#include "sources/PresentingWin32.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

static_assert(kStyleCaption == WS_CAPTION && kStyleSizingFrame == WS_THICKFRAME && kStyleMaximised == WS_MAXIMIZE);
static_assert(static_cast<int>(TShellState::NotPresent) == QUNS_NOT_PRESENT &&
              static_cast<int>(TShellState::PresentationMode) == QUNS_PRESENTATION_MODE &&
              static_cast<int>(TShellState::App) == QUNS_APP);

namespace {

TScreenRect Rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::wstring OwnerName(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    TUniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH * 2];
    DWORD size = ARRAYSIZE(path);
    if (!process || !QueryFullProcessImageNameW(process.Get(), 0, path, &size)) return {};
    return ProgramFileName(std::wstring_view(path, size));
}

uint32_t SessionOf(uint32_t processId) {
    DWORD session = 0;
    return ProcessIdToSessionId(processId, &session) ? session : UINT32_MAX;
}

// The session's processes from the system's own process list: names and
// sessions come without opening any process (elevated ones included). The
// terminal services' list (WTSEnumerateProcessesExW) gives the same through
// a call into another process, at three times the cost of this one, 30
// times a minute. The buffer is kept between looks, so a look allocates
// nothing but the names.
std::optional<std::vector<TRunningProcess>> SessionProcessesByName() {
    using TQuery = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG kProcessInformation = 5;  // SystemProcessInformation
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    static const auto query = reinterpret_cast<TQuery>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    static const uint32_t session = SessionOf(GetCurrentProcessId());
    static std::vector<uint64_t> buffer(8 * 1024);  // 64 KiB, aligned for the records
    if (!query) return std::nullopt;
    LONG status = kLengthMismatch;
    // The list grows between asking for its size and reading it.
    for (int tries = 0; tries < 4 && status == kLengthMismatch; ++tries) {
        ULONG needed = 0;
        status = query(kProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(uint64_t)),
                       &needed);
        if (status == kLengthMismatch) buffer.resize((needed + needed / 4) / sizeof(uint64_t) + 1);
    }
    if (status < 0) return std::nullopt;
    std::vector<TRunningProcess> processes;
    const auto* at = reinterpret_cast<const uint8_t*>(buffer.data());
    for (;;) {
        const auto* info = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
        if (info->SessionId == session && info->ImageName.Buffer)
            processes.push_back({static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info->UniqueProcessId)),
                                 std::wstring(info->ImageName.Buffer, info->ImageName.Length / sizeof(wchar_t))});
        if (!info->NextEntryOffset) break;
        at += info->NextEntryOffset;
    }
    return processes;
}

}  // namespace

std::vector<TRunningProcess> AllProcesses() {
    std::vector<TRunningProcess> processes;
    TUniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (snapshot && Process32FirstW(snapshot.Get(), &entry)) {
        do {
            processes.push_back({entry.th32ProcessID, entry.szExeFile});
        } while (Process32NextW(snapshot.Get(), &entry));
    }
    return processes;
}

uint64_t SystemWallClockMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) / 10000;
}

TWatchProbes SystemProbes() {
    return {[] {
                BOOL running = FALSE;
                return SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
            },
            [] {
                QUERY_USER_NOTIFICATION_STATE state{};
                return SUCCEEDED(late::SHQueryUserNotificationState(&state)) ? static_cast<TShellState>(state)
                                                                        : TShellState::Unknown;
            },
            [] { return static_cast<uint64_t>(GetTickCount64()); }, SessionProcessesByName,
            [] {
                // The input's time is the 32-bit tick count's; its age is
                // right across the count's wrap.
                LASTINPUTINFO input{sizeof(input), 0};
                const uint64_t now = GetTickCount64();
                if (!GetLastInputInfo(&input)) return now;
                return now - static_cast<DWORD>(static_cast<DWORD>(now) - input.dwTime);
            }};
}

TFullScreenSituation SituationOf(HWND window, bool saverRunning, TShellState shell, bool locked,
                                 TMonitorOfWindow& known) {
    TFullScreenSituation s;
    s.Shell = shell;
    s.SaverRunning = saverRunning;
    s.Locked = locked;
    s.Shown = window && IsWindowVisible(window) && !IsIconic(window);
    if (!s.Shown) return s;
    wchar_t name[64] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    s.WindowClass = name;
    s.Style = static_cast<uint32_t>(GetWindowLongPtrW(window, GWL_STYLE));
    RECT frame{}, client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    s.Window = Rect(frame);
    s.Client = Rect(client);
    // Wine answers neither (E_NOTIMPL): not cloaked, and the window's rectangle.
    DWORD cloaked = 0;
    s.Cloaked = SUCCEEDED(late::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked;
    RECT drawn{};
    s.Frame = SUCCEEDED(late::DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &drawn, sizeof(drawn)))
                  ? Rect(drawn)
                  : s.Window;
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT desktop{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (known.Window != window || !EqualRect(&known.Frame, &frame) || !EqualRect(&known.Desktop, &desktop)) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        const bool found = GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
        known = {window, frame, desktop, found ? Rect(monitor.rcMonitor) : TScreenRect{},
                 found ? Rect(monitor.rcWork) : TScreenRect{}};
    }
    s.Monitor = known.Monitor;
    s.WorkArea = known.WorkArea;
    return s;
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

TTriggerWatchWin32::TTriggerWatchWin32(std::function<HWND()> window, std::function<void(const std::wstring&)> onCause,
                                       TWatchProbes probes)
    : FWindow(std::move(window)), FOnCause(std::move(onCause)), FProbes(std::move(probes)) {}

TTriggerWatchWin32::~TTriggerWatchWin32() { Stop(); }

void TTriggerWatchWin32::Apply(const TTriggerSettings& settings) {
    if (FStopped) return;
    FSettings = settings;
    FMatcher = TProgramMatcher(settings.Programs);
    for (auto it = FSeen.Programs.begin(); it != FSeen.Programs.end();) {
        const uint32_t id = it->first;
        ++it;
        if (!FMatcher.Match({{id, FSeen.Programs[id]}}).count(id)) Unwatch(id);
    }
    ScanPrograms();
    const TParsedSchedule schedule = ParseSchedule(settings.Schedule);
    FSchedule = schedule.Windows;
    FScheduleProblems = schedule.Malformed;
    FScheduleProblems.insert(FScheduleProblems.end(), schedule.BeyondMax.begin(), schedule.BeyondMax.end());
    CheckSchedule();
    FSeen.OnMains = OnMainsPower();
    // Saved again with the box still checked, a full screen that holds goes on holding.
    if (!FSettings.FullScreen) {
        FSettling.Reset();
        FLastLook.Valid = false;
        FFullScreenWindow = nullptr;
        FSeen.FullScreen = false;
    }
    CheckFullScreen();
    // The call's keys are watched, and the displays read, only while their box asks.
    if (FSettings.WhileCall != FCallKeys.Started()) {
        if (FSettings.WhileCall) WatchDeviceUse(FCallKeys, FWindow(), kCallChangedMessage);
        else FCallKeys.Stop();
    }
    FSeen.InCall = FSettings.WhileCall && !AppsInCall(ReadDeviceUse()).empty();
    FSeen.Displays = FSettings.WhilePresenting != TPresentingMode::Off ? ActiveDisplayPaths() : std::vector<TDisplayPath>{};
    Report();
}

void TTriggerWatchWin32::CallChanged() {
    if (FStopped || !FSettings.WhileCall) return;
    // Armed again before the read: a change from now on is told again.
    FCallKeys.Rearm();
    FSeen.InCall = !AppsInCall(ReadDeviceUse()).empty();
    Report();
}

bool TTriggerWatchWin32::HoldWhile(uint32_t processId) {
    if (FStopped || FJobs.count(processId)) return !FStopped;
    // Only what the wait needs; the name is asked once, with limited rights.
    TUniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process || WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;
    TUniqueKernelHandle query(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH * 2];
    DWORD size = ARRAYSIZE(path);
    const bool named = query && QueryFullProcessImageNameW(query.Get(), 0, path, &size);
    FSeen.Jobs[processId] = named ? ProgramFileName(std::wstring_view(path, size)) : L"process " + std::to_wstring(processId);
    FJobs[processId] = std::move(process);
    Report();
    return true;
}

int TTriggerWatchWin32::Events(HANDLE* events) const {
    int count = FCallKeys.Events(events);
    for (const auto& job : FJobs) events[count++] = job.second.Get();
    return count;
}

bool TTriggerWatchWin32::Signaled(HANDLE event) {
    if (FCallKeys.Signaled(event)) return true;
    for (auto it = FJobs.begin(); it != FJobs.end(); ++it)
        if (it->second.Get() == event) {
            FSeen.Jobs.erase(it->first);
            FJobs.erase(it);
            Report();
            return true;
        }
    return false;
}

void TTriggerWatchWin32::DisplaysChanged() {
    if (FStopped || FSettings.WhilePresenting == TPresentingMode::Off) return;
    FSeen.Displays = ActiveDisplayPaths();
    Report();
}

void TTriggerWatchWin32::Tick() {
    if (FStopped) return;
    FCallKeys.Poll();
    // A dialog's or a menu's loop does not wait for the held processes.
    for (auto it = FJobs.begin(); it != FJobs.end();) {
        const auto job = it++;
        if (WaitForSingleObject(job->second.Get(), 0) == WAIT_OBJECT_0) Signaled(job->second.Get());
    }
    // A comparison: the schedule is computed again only at its boundaries.
    if (FNextBoundary && FProbes.WallClock() >= *FNextBoundary) CheckSchedule();
    CheckFullScreen();
    if (FMatcher.Empty()) return;
    const uint64_t now = FProbes.Ticks();
    // The user's last input is asked only once a look could be due at all,
    // and then every 2 s: an idle desk costs a question every 2 s.
    if (!ProgramScanDue(FLastScan, now, now) || (now >= FLastInputAsked && now - FLastInputAsked < kProgramScanMs))
        return;
    FLastInputAsked = now;
    if (ProgramScanDue(FLastScan, now, FProbes.LastInput ? FProbes.LastInput() : now)) ScanPrograms();
}

void TTriggerWatchWin32::ScanPrograms() {
    if (FMatcher.Empty()) return;
    FLastScan = FProbes.Ticks();
    auto processes = FProbes.SessionProcesses();
    const bool sessionOnly = processes.has_value();
    if (!sessionOnly) processes = AllProcesses();
    bool added = false;
    for (const auto& [id, name] : FMatcher.Match(*processes)) {
        if (FWatched.count(id)) continue;
        // The machine's list has every session's: another user's copy of
        // the program does not count, nor does it need to be opened.
        if (!sessionOnly && SessionOf(id) != SessionOf(GetCurrentProcessId())) continue;
        Consider(id, name);
        added = true;
    }
    if (added) Report();
}

void TTriggerWatchWin32::Consider(uint32_t processId, const std::wstring& name) {
    auto watched = std::make_unique<TWatched>();
    // Limited rights, which the system grants for an elevated process too.
    watched->Process.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    watched->Window = FWindow();
    watched->ProcessId = processId;
    // A process this user may not wait for cannot be followed to its end,
    // and so does not count.
    if (!watched->Process ||
        !RegisterWaitForSingleObject(&watched->Wait, watched->Process.Get(), TWatched::Ended, watched.get(),
                                     INFINITE, WT_EXECUTEONLYONCE))
        return;
    FSeen.Programs[processId] = name;
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

void TTriggerWatchWin32::SetSessionLocked(bool locked) {
    FLocked = locked;
    FLastLook.Valid = false;
    CheckFullScreen();
}

TFullScreenSituation TTriggerWatchWin32::Situation(HWND window) {
    TFullScreenSituation s =
        SituationOf(window, FProbes.SaverRunning(), FProbes.ShellState(), FLocked, FForegroundMonitor);
    // The owner's name is asked once a window, not at every tick.
    if (s.Shown && window != FOwnerOf) {
        FOwnerOf = window;
        FOwner = OwnerName(window);
    }
    if (s.Shown) s.Process = FOwner;
    return s;
}

bool TTriggerWatchWin32::FullScreenNow() {
    HWND foreground = GetForegroundWindow();
    RECT frame{};
    if (foreground) GetWindowRect(foreground, &frame);
    // A new window or a moved frame is looked at at once; the screen
    // saver's and the shell's states, which seldom change under the same
    // window, every 2 s: a full look costs a dozen calls to the system.
    const uint64_t now = FProbes.Ticks();
    if (FLastLook.Valid && FLastLook.Window == foreground && EqualRect(&FLastLook.Frame, &frame) &&
        now - FLastLook.At < kFullScreenSettleMs)
        return FLastLook.FullScreen;
    const bool fullScreen = LookAtForeground(foreground);
    FLastLook = {foreground, frame, now, fullScreen, true};
    return fullScreen;
}

bool TTriggerWatchWin32::LookAtForeground(HWND foreground) {
    const TFullScreenSituation seen = Situation(foreground);
    if (IsFullScreen(seen)) {
        FFullScreenWindow = foreground;
        FFullScreenOwner = seen.Process;
        return true;
    }
    if (FFullScreenWindow && FFullScreenWindow != foreground && IsWindow(FFullScreenWindow)) {
        TFullScreenSituation kept =
            SituationOf(FFullScreenWindow, seen.SaverRunning, seen.Shell, FLocked, FKeptMonitor);
        kept.Process = FFullScreenOwner;
        if (KeepsFullScreen(kept, seen)) return true;
    }
    FFullScreenWindow = nullptr;
    return false;
}

void TTriggerWatchWin32::CheckFullScreen() {
    if (FStopped || !FSettings.FullScreen) return;
    const bool fullScreen = FSettling.Seen(FullScreenNow(), FProbes.Ticks(), FLocked);
    if (fullScreen == FSeen.FullScreen) return;
    FSeen.FullScreen = fullScreen;
    Report();
}

void TTriggerWatchWin32::Stop() {
    FStopped = true;
    FCallKeys.Stop();
    FJobs.clear();
    FSeen.Jobs.clear();
    FWatched.clear();
    FSeen.Programs.clear();
}

void TTriggerWatchWin32::TimeChanged() {
    if (!FStopped) CheckSchedule();
}

void TTriggerWatchWin32::CheckSchedule() {
    FNextBoundary.reset();
    FSeen.Scheduled = false;
    FScheduleEnd = 0;
    if (!FSchedule.empty()) {
        // The zone as it is now: the user may have changed it.
        const TTimeZoneRulesWin32 rules;
        const uint64_t now = FProbes.WallClock();
        FSeen.Scheduled = InSchedule(FSchedule, now, rules);
        FNextBoundary = NextBoundary(FSchedule, now, rules);
        const std::optional<uint64_t> end = ScheduleCoverageEnd(FSchedule, now, rules);
        FScheduleEnd = end && *end != kScheduleEndless ? *end : 0;
    }
    Report();
}

void TTriggerWatchWin32::Report() {
    if (FStopped) return;
    const std::wstring cause = TriggerCause(FSettings, FSeen);
    const uint64_t end = cause == kScheduleCause ? FScheduleEnd : 0;
    if (cause == FCause && end == FCauseEnd) return;
    FCause = cause;
    FCauseEnd = end;
    if (FOnCause) FOnCause(cause);
}

}  // namespace lumivane
