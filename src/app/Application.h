#pragma once
// The program's outer shell: start-up order, single instance, command-line
// commands and the wake-up of a running instance. Portable: everything the
// shell does to the system goes through IApplicationPlatform.
#include <cstdint>
#include <string>
#include <vector>

#include "base/ProgramNames.h"

namespace lumivane {

std::wstring InstanceMutexName(const std::wstring& title);

// Lower-cases the letters A to Z only, as the argument tests require.
std::wstring LowerAscii(std::wstring text);

enum class TCommandLineCommand { ScreenSaver, PowerOff };

struct TCommandLine {
    bool Quiet = false;                         // "-quiet" as the first argument
    std::vector<TCommandLineCommand> Commands;  // in argument order, repeats kept
};

TCommandLine ParseCommandLine(const std::vector<std::wstring>& args);

// What the shell needs from the application object, the main window and the
// system, in the order the shell uses them.
class IApplicationPlatform {
public:
    virtual ~IApplicationPlatform() = default;
    virtual void InitializeCom() = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual std::wstring Title() const = 0;
    virtual void RegisterActivationMessage() = 0;
    // Returns true when the mutex already existed.
    virtual bool CreateInstanceMutex(const std::wstring& name) = 0;
    virtual void ActivatePreviousInstance(const std::wstring& className) = 0;
    // False when the window could not be created: the program then ends.
    virtual bool CreateMainWindow() = 0;
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
