#pragma once
// When a program counts as full screen for the automatic deactivation: a
// pure judgement over the facts the platform gathers about the foreground
// window and the desktop, so that every case of a real desktop (the screen
// saver, the lock screen, the Start menu, a maximised browser behind an
// auto-hidden taskbar) has its own row in a table.
#include <cstdint>
#include <optional>
#include <string>

#include "base/ScreenRect.h"

namespace lumivane {

// The shell's notification state, numbered as the shell numbers it.
enum class TShellState {
    Unknown = 0,
    NotPresent = 1,  // a screen saver, a locked desktop, another user's turn
    Busy = 2,
    D3DFullScreen = 3,
    PresentationMode = 4,
    AcceptsNotifications = 5,
    QuietTime = 6,
    App = 7,
};

// Window style bits, as the platform defines them.
constexpr uint32_t kStyleCaption = 0x00C00000;
constexpr uint32_t kStyleSizingFrame = 0x00040000;
constexpr uint32_t kStyleMaximised = 0x01000000;

struct TFullScreenSituation {
    TShellState Shell = TShellState::Unknown;
    bool SaverRunning = false;
    bool Locked = false;
    // A window was there, visible and not minimised; the rest describes it.
    bool Shown = false;
    std::wstring WindowClass;
    uint32_t Style = 0;
    TScreenRect Window, Client, Monitor, WorkArea;  // screen coordinates
    // The frame as the window manager draws it (without the invisible
    // resize borders); the window's rectangle where it cannot tell.
    TScreenRect Frame;
    // The window manager hides the window (another virtual desktop, an app
    // being switched away); it may still report the whole monitor.
    bool Cloaked = false;
    std::wstring Process;                     // the owner's file name
};

// Whether the window the situation describes is a full-screen program's.
bool IsFullScreen(const TFullScreenSituation& situation);
// Whether a window found full screen in the foreground before still holds
// the trigger while `foreground` has the focus: it still covers its monitor
// and the user works on another monitor.
bool KeepsFullScreen(const TFullScreenSituation& kept, const TFullScreenSituation& foreground);

// How long a change of the full-screen state lasts before it acts: a game
// that flashes a window while it loads, or a quick look at another window,
// changes nothing.
constexpr uint64_t kFullScreenSettleMs = 2000;

class TFullScreenSettling {
public:
    // The state seen at `nowMs` of a steady clock; returns the state in force.
    // Locked, the state in force stays as it is: the lock screen neither
    // starts nor ends it, so that a lock and an unlock change nothing.
    bool Seen(bool fullScreen, uint64_t nowMs, bool locked = false);
    bool InForce() const { return FInForce; }
    // Back to "not full screen", at once.
    void Reset();

private:
    bool FInForce = false;
    std::optional<uint64_t> FChangedAt;  // since when the seen state differs
};

// How often the session's processes are looked through for listed names:
// every 2 s while the user works, and every 30 s while nobody touches the
// computer. A program started then is still found well before the shortest
// display or sleep time-out Windows offers (a minute), and an idle desktop
// is not woken 30 times a minute for a list that does not change.
constexpr uint64_t kProgramScanMs = 2000, kIdleProgramScanMs = 30000;
// Whether a look is due at `nowMs` after the last one at `lastMs`, with the
// user's last input at `lastInputMs` (all on one steady clock).
bool ProgramScanDue(uint64_t lastMs, uint64_t nowMs, uint64_t lastInputMs);

}  // namespace lumivane
