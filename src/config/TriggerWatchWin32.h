#pragma once
// What the automatic deactivation watches, at next to no cost while nothing
// happens: the system tells of every top-level window made and of every
// change of the foreground window, a listed program's end is a wait on its process handle
// in the thread pool, and the power source comes with the window's power
// notifications. Nothing polls but the full-screen check, and only while its
// box is checked. Only while a list or a box asks for them are the shell's
// events taken at all.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "config/Triggers.h"

namespace lumivane {

// Posted to the window when a watched program ended: wParam its process id.
constexpr UINT kProgramEndedMessage = WM_APP + 0x40;

// A window that covers its whole monitor with its client area, in the
// foreground: a full-screen game, film or slide show. The desktop itself
// does not count, nor a maximised window (its caption stays out).
bool ForegroundCoversItsMonitor();
// The shell's own answer: busy, Direct3D full screen, presentation mode.
bool ShellSaysFullScreen();
// The power source now; unknown counts as mains.
bool OnMainsPower();

class TTriggerWatchWin32 {
public:
    // `window` receives kProgramEndedMessage; `onCause` runs on its thread
    // whenever the holding trigger (see TriggerCause) changed.
    TTriggerWatchWin32(std::function<HWND()> window, std::function<void(const std::wstring&)> onCause);
    ~TTriggerWatchWin32();
    TTriggerWatchWin32(const TTriggerWatchWin32&) = delete;
    TTriggerWatchWin32& operator=(const TTriggerWatchWin32&) = delete;

    // Takes the settings: the hooks as they need, one scan of the running
    // processes for the list.
    void Apply(const TTriggerSettings& settings);
    const TTriggerSettings& Settings() const { return FSettings; }
    const TTriggerObservations& Seen() const { return FSeen; }

    void ProgramEnded(uint32_t processId);
    void SetOnMains(bool onMains);
    // The 500 ms tick and every foreground change, while the box is checked.
    void CheckFullScreen();
    // Every hook and wait goes; nothing is reported any more.
    void Stop();

private:
    struct TWatched;
    static void CALLBACK WinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                                  DWORD thread, DWORD time);
    void Hook(HWINEVENTHOOK& hook, DWORD event, bool wanted);
    void WindowMade(HWND hwnd);
    void Consider(DWORD processId, const std::wstring& image);
    void Unwatch(uint32_t processId);
    void Report();

    std::function<HWND()> FWindow;
    std::function<void(const std::wstring&)> FOnCause;
    TTriggerSettings FSettings;
    TTriggerObservations FSeen;
    std::wstring FCause;
    HWINEVENTHOOK FCreateHook = nullptr, FForegroundHook = nullptr;
    std::map<uint32_t, std::unique_ptr<TWatched>> FWatched;
    bool FStopped = false;
};

}  // namespace lumivane
