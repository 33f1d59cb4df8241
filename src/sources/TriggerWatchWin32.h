#pragma once
// What the automatic deactivation watches, at next to no cost while nothing
// happens. The watchdog's tick drives it: a look at the foreground window
// while the full-screen box is checked, and every two seconds a look at the
// names in the session's process list while the list has names (no hook:
// a desktop-wide object hook wakes for every list item and caret of every
// program, and never sees a program that makes no window). A listed
// program's end is a wait on its process handle in the thread pool; the
// power source comes with the window's power notifications.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sources/FullScreen.h"
#include "sources/Schedule.h"
#include "sources/Triggers.h"
#include "win32/KeyWatchWin32.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

// Posted to the window when a watched program ended: wParam its process id.
constexpr UINT kProgramEndedMessage = WM_APP + 0x40;

uint64_t SystemWallClockMs();

// What the watcher asks the system; tests put in the answers that Wine
// never gives (a running screen saver, the shell's states, a failing
// process list).
struct TWatchProbes {
    std::function<bool()> SaverRunning;
    std::function<TShellState()> ShellState;
    // A steady clock in ms.
    std::function<uint64_t()> Ticks;
    // The processes of this session by name, or nullopt where the system
    // cannot list them so.
    std::function<std::optional<std::vector<TRunningProcess>>()> SessionProcesses;
    // The user's last input, on the same clock; none: the user works now.
    std::function<uint64_t()> LastInput;
    // The wall clock the schedule counts in: ms since 1601, UTC.
    std::function<uint64_t()> WallClock = SystemWallClockMs;
};
// The real answers.
TWatchProbes SystemProbes();

// The facts about `window` (null: no foreground window) and the desktop.
// A window's monitor, asked again only when the window, its frame or the
// desktop's extent changed: it is the costly part of the look at every tick.
struct TMonitorOfWindow {
    HWND Window = nullptr;
    RECT Frame{}, Desktop{};
    TScreenRect Monitor, WorkArea;
};
TFullScreenSituation SituationOf(HWND window, bool saverRunning, TShellState shell, bool locked,
                                 TMonitorOfWindow& monitor);
// Every process of the machine by name (Toolhelp): where the session's own
// list fails.
std::vector<TRunningProcess> AllProcesses();
// The power source now; unknown counts as mains.
bool OnMainsPower();

class TTriggerWatchWin32 {
public:
    // `window` receives kProgramEndedMessage; `onCause` runs on its thread
    // whenever the holding trigger (see TriggerCause) changed.
    TTriggerWatchWin32(std::function<HWND()> window, std::function<void(const std::wstring&)> onCause,
                       TWatchProbes probes = SystemProbes());
    ~TTriggerWatchWin32();
    TTriggerWatchWin32(const TTriggerWatchWin32&) = delete;
    TTriggerWatchWin32& operator=(const TTriggerWatchWin32&) = delete;

    // Takes the settings, with one look at the running processes for the list.
    void Apply(const TTriggerSettings& settings);
    const TTriggerSettings& Settings() const { return FSettings; }
    const std::wstring& Cause() const { return FCause; }
    // Where the schedule's coverage stops while it is the cause (wall clock
    // ms); else 0.
    uint64_t CauseEndMs() const { return FCauseEnd; }
    // The stored windows that do not count: not understood, or beyond the
    // most a schedule keeps.
    const std::vector<std::wstring>& ScheduleProblems() const { return FScheduleProblems; }
    // The clock, the time zone or the computer's sleep moved the wall
    // clock: the schedule's next boundary is computed again.
    void TimeChanged();
    const TTriggerObservations& Seen() const { return FSeen; }

    void ProgramEnded(uint32_t processId);
    void SetOnMains(bool onMains);
    // The session's lock, as its notification tells it.
    void SetSessionLocked(bool locked);
    // The watchdog's tick: the full-screen look, the process list when due,
    // and the call's watch, which a modal loop does not wait for.
    void Tick();
    // The camera's or the microphone's record changed (kCallChangedMessage).
    void CallChanged();
    // The displays changed, or the computer is back from sleep.
    void DisplaysChanged();
    // Deactivated while the process runs (-while): false where it cannot be
    // waited for (ended, or not this user's).
    bool HoldWhile(uint32_t processId);
    size_t Holds() const { return FJobs.size(); }
    // The cause is a held process's: the user's command, not a box's.
    bool CauseIsJob() const { return !FSeen.Jobs.empty(); }
    // The events waited for with the window's messages: the call's watch
    // and the held processes (at most kMaxEvents).
    static constexpr int kMaxEvents = TKeyWatchWin32::kMaxKeys + 32;
    int Events(HANDLE* events) const;
    bool Signaled(HANDLE event);
    // Every wait goes; nothing is reported any more.
    void Stop();

private:
    struct TWatched;
    void CheckFullScreen();
    bool FullScreenNow();
    bool LookAtForeground(HWND foreground);
    TFullScreenSituation Situation(HWND window);
    void ScanPrograms();
    void Consider(uint32_t processId, const std::wstring& name);
    void Unwatch(uint32_t processId);
    void Report();
    void CheckSchedule();

    std::function<HWND()> FWindow;
    std::function<void(const std::wstring&)> FOnCause;
    TWatchProbes FProbes;
    TTriggerSettings FSettings;
    TProgramMatcher FMatcher;
    TTriggerObservations FSeen;
    std::wstring FCause;
    uint64_t FCauseEnd = 0;
    std::vector<TScheduleWindow> FSchedule;
    std::vector<std::wstring> FScheduleProblems;
    // The schedule's next start or end: the tick only compares the clock with it.
    std::optional<uint64_t> FNextBoundary;
    uint64_t FScheduleEnd = 0;
    std::map<uint32_t, std::unique_ptr<TWatched>> FWatched;
    TFullScreenSettling FSettling;
    HWND FFullScreenWindow = nullptr;  // found full screen in the foreground
    TMonitorOfWindow FForegroundMonitor, FKeptMonitor;
    std::wstring FFullScreenOwner;
    // The foreground window's owner, asked once a window.
    HWND FOwnerOf = nullptr;
    std::wstring FOwner;
    uint64_t FLastScan = 0, FLastInputAsked = 0;
    // The last full look: the same foreground window in the same place keeps
    // its verdict for a while.
    struct {
        HWND Window = nullptr;
        RECT Frame{};
        uint64_t At = 0;
        bool FullScreen = false;
        bool Valid = false;
    } FLastLook;
    bool FLocked = false;
    bool FStopped = false;
    TKeyWatchWin32 FCallKeys;
    std::map<uint32_t, TUniqueKernelHandle> FJobs;  // each held process, opened to wait for its end
};

}  // namespace lumivane
