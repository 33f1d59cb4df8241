#pragma once
// What the end-to-end tests need around the real program: a recorder window
// that notes the system requests it receives, a deliberately hung window, and
// starting Lumivane.exe with arguments.
#include <windows.h>

#include <chrono>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/FreshOptions.h"
#include "common/Input.h"
#include "common/PumpUntil.h"
#include "options/OptionControls.h"

namespace lumivane::e2e {

using TClock = std::chrono::steady_clock;

struct TRequest {
    WPARAM Command;  // SC_SCREENSAVE or SC_MONITORPOWER
    LPARAM Parameter;
    TClock::time_point At;
};

// A top-level window on a thread of its own that records every screen-saver
// and monitor-power system command it receives.
class TRecorder {
public:
    TRecorder();
    ~TRecorder();
    std::vector<TRequest> Requests() const;
    void Clear();
    // Waits until at least `count` requests came in or the deadline passed.
    std::vector<TRequest> WaitFor(size_t count, std::chrono::milliseconds deadline) const;
    // Every request sent before this call, each handled: the requests come as
    // notifications, which the recorder's thread takes in the order they were
    // sent, so a message sent to it now is answered only after them. Once the
    // sender has ended, nothing of it can come later than this.
    std::vector<TRequest> Settled() const;
    HWND Window() const { return FWindow; }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    void Run();
    std::thread FThread;
    HWND FWindow = nullptr;
    HANDLE FReady = nullptr;
    mutable std::mutex FLock;
    std::vector<TRequest> FRequests;
};

// A top-level window whose thread reads no message until it recovers.
class THungWindow {
public:
    THungWindow();
    ~THungWindow();
    HWND Window() const { return FWindow; }
    // Reads and handles what waits in its queue; returns the system
    // requests (screen saver, monitor power) that were among it.
    int Recover();

private:
    std::thread FThread;
    HWND FWindow = nullptr;
    HANDLE FReady = nullptr, FRelease = nullptr, FDrained = nullptr, FStop = nullptr;
};

struct TRun {
    bool Ended = false;
    DWORD ExitCode = 0;
    TClock::time_point Start, End;
};

// A running Lumivane.exe; ended (and waited for) when it goes out of scope.
class TLumivane {
public:
    // onStandInPower: the program runs on a power plan of the stand-in power
    // library (common/StandInPower.h; the test installs it first). Every
    // Lumivane.exe started while such a run lives loads the stand-in too.
    explicit TLumivane(const std::wstring& arguments, bool onStandInPower = false);
    ~TLumivane();
    // Waits for the process to end by itself.
    TRun Wait(std::chrono::milliseconds deadline);
    // Ends the process at once, without its end steps, as a crash would.
    void Kill();
    // The process's main window, once its start steps are through (and,
    // for a plain start, once it shows with its controls).
    HWND MainWindow(std::chrono::milliseconds deadline);
    DWORD ProcessId() const { return FInfo.dwProcessId; }

private:
    PROCESS_INFORMATION FInfo{};
    TRun FRun;
    bool FOnStandInPower = false;
    bool FShown = false;  // a plain start shows its window
};

// The main window of a Lumivane.exe started by the test, once its start
// steps are through: it answers a status request as a ready copy does, from
// its message loop (a window it shows at start is shown before the loop), and,
// if `shown`, its window is visible; or it shows a message of its start.
HWND ReadyMainWindow(DWORD processId, bool shown, std::chrono::milliseconds deadline);

// The popup menu of a process, once it is open.
HWND OpenMenuOf(DWORD processId);

// A control of the settings window.
HWND Item(HWND main, TControlId id);

// Ends a Lumivane.exe still running as closing its window does, at once
// (a failure) if it will not; then lets go of its handles.
void EndProgram(PROCESS_INFORMATION& info, bool running = true);

// The text of another process's window (WM_GETTEXT, with a deadline).
std::wstring TextOf(HWND window);

// One round trip through the thread of another process's window: a command
// it is carrying out (sending it here waits until the command returns) is
// over when this returns.
void RoundTrip(HWND window);

using test::AnyJournal;
using test::HasStoredValue;
using test::JournalName;
using test::StoredOption;
using test::StoreOption;

// The screen-saver flag as the user's profile holds it: what the next log-on
// gets, and what another process sees.
std::wstring StoredScreenSaveActive();

// Whether `upper` lies above `lower` in the Z order of the top-level windows.
bool IsAbove(HWND upper, HWND lower);

// Switches the screen saver on for a test and puts the flag back after it.
class TScreenSaverOn {
public:
    TScreenSaverOn();
    ~TScreenSaverOn();

private:
    BOOL FSaved = FALSE;
};

// The visible top-level windows of a process with the class (and title).
std::vector<HWND> VisibleWindowsOf(DWORD processId, const wchar_t* cls, const wchar_t* title = nullptr);

using test::ClickAt;
using test::PumpUntil;
using test::NotifyIconPoint;
using test::PressKeys;

// Full path of Lumivane.exe, beside the test program.
std::wstring LumivanePath();
// The main window of class TfMain_lumivane that belongs to the process.
HWND FindMainWindow(DWORD processId);
// Polls `condition` until it holds or the deadline passes.
template <typename F>
bool PollUntil(F condition, std::chrono::milliseconds deadline) {
    const auto end = TClock::now() + deadline;
    while (!condition()) {
        if (TClock::now() > end) return false;
        Sleep(20);
    }
    return true;
}

inline long long Ms(TClock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

}  // namespace lumivane::e2e
