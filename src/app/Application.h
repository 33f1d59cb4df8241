#pragma once
// The program's outer shell: start-up order, single instance, command-line
// commands and the wake-up of a running instance. Portable: everything the
// shell does to the system goes through IApplicationPlatform.
#include <cstdint>
#include <string>
#include <vector>

#include "app/Control.h"
#include "base/ProgramNames.h"

namespace lumivane {

std::wstring InstanceMutexName(const std::wstring& title);

extern const wchar_t* const kHigherCopyText;

// Lower-cases the letters A to Z only, as the argument tests require.
std::wstring LowerAscii(std::wstring text);

// What the shell needs from the application object, the main window and the
// system, in the order the shell uses them.
class IApplicationPlatform {
public:
    virtual ~IApplicationPlatform() = default;
    virtual void InitializeCom() = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual std::wstring Title() const = 0;
    virtual void RegisterActivationMessage() = 0;
    // Returns true when the mutex already existed, also where it may not
    // be opened (a copy with administrator rights made it).
    virtual bool CreateInstanceMutex(const std::wstring& name) = 0;
    // The running copy runs at a higher integrity level than this process
    // (with administrator rights): Windows drops what this one sends it.
    virtual bool RunningCopyAbove() = 0;
    virtual void ActivatePreviousInstance(const std::wstring& className) = 0;
    // False when the window could not be created: the program then ends.
    // A run for its commands alone ends as soon as they are done: what only
    // later moments use (the notification icon, the menus, the triggers)
    // is not made. `windowFirst`: the window will be shown, so the
    // notification icon is added only once it is shown and painted.
    virtual bool CreateMainWindow(bool forCommandsOnly, bool windowFirst) = 0;
    virtual void SetNotifyIconVisible(bool visible) = 0;
    virtual void ExecuteScreenSaver() = 0;
    virtual void ExecutePowerOff() = 0;
    virtual uint32_t TimerPowerOffInterval() const = 0;
    virtual void ProcessMessages() = 0;
    virtual void Pause(uint32_t milliseconds) = 0;  // blocks, dispatches nothing
    virtual void Terminate() = 0;                   // ask the message loop to end
    virtual void RunMessageLoop(bool showMainWindow) = 0;
    virtual void CloseInstanceMutex() = 0;
    virtual void DestroyMainWindow() = 0;
    virtual void UninitializeCom() = 0;
    // Wake-up steps on the main window.
    virtual void ClickShow() = 0;
    virtual void BringMainWindowToFront() = 0;

    // A second start that carries a command (the messenger): it creates no
    // window and reads no options.
    // The user's time designators, for the times on the command line.
    virtual TLongTimeFormat TimeFormat() const = 0;
    // Hands the request to the running copy of this session and waits at
    // most 5 s for its answer. A copy still starting, or busy, is waited for
    // and asked again within the same limit.
    // LookAlike: windows of the copy's class, none of them the copy's.
    enum class TSendResult { Answered, NoAnswer, Refused, LookAlike };
    struct TSent {
        TSendResult Result = TSendResult::NoAnswer;
        uint64_t Reply = 0;
    };
    virtual TSent SendControl(const TControlRequest& request) = 0;
    // Starts a copy hidden in the notification area (as "-quiet") and waits
    // until it can take requests; false when it cannot be started.
    virtual bool StartHiddenCopy() = 0;
    // After an "-exit": waits until the running copy has ended (its restore
    // done), at most 10 s; false when it has not.
    virtual bool WaitForRunningCopyToEnd() = 0;
    // Puts back what this user's lost runs left changed, as a start does,
    // without a window; returns what it could not (empty: it did all).
    virtual std::wstring RecoverLostRuns() = 0;
    // After an "-exit": what the ended copy could not put back (empty: nothing).
    virtual std::wstring LeftChanged() = 0;
    // How long until the local clock shows `time` (today, else tomorrow).
    virtual uint32_t MsUntil(const TTimeOfDay& time) = 0;
    // The wall clock now (ms), and a wall-clock time as the local clock
    // and calendar show it.
    virtual uint64_t WallClockMs() = 0;
    virtual TLocalTime LocalTimeOf(uint64_t wallClockMs) = 0;
    // To the console the program was started from, or for an error without
    // one, a message box.
    virtual void Print(const std::wstring& text, bool error) = 0;
    virtual void SetExitCode(int code) = 0;
};

// Runs the program from start to end; returns when it is over.
void RunApplication(IApplicationPlatform& platform, const std::vector<std::wstring>& args);

// The main window's answer to a second instance's wake-up message.
void OnActivationMessage(IApplicationPlatform& platform);

// What "Show" does to the main window: nothing while it is on the screen,
// restore it when minimised (the system still calls it visible), and bring it
// out of the notification area when hidden.
enum class TShowStep { None, Restore, FromTray };
TShowStep ShowStepFor(bool visible, bool minimised);

}  // namespace lumivane
