#pragma once
// The commands that act on the display at once: launch the screen saver,
// power the monitor off (both with continuous mode) and open the display
// properties.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/Timer.h"
#include "config/ManagedConfiguration.h"
#include "display/PowerPlan.h"
#include "display/ScreenSaver.h"

namespace lumivane {

// The two requests the window system carries out for us.
class ISystemRequests {
public:
    virtual ~ISystemRequests() = default;
    virtual void StartScreenSaver() = 0;
    virtual void PowerOffMonitor() = 0;
};

// Starts another program (see RunProcess).
class IProcessStarter {
public:
    virtual ~IProcessStarter() = default;
    virtual void RunProcess(const std::wstring& FileName, const std::wstring& Parameters,
                            uint32_t StartFlags, bool Wait, int32_t ShowCommand) = 0;
};

// Shows the modal message dialog; returns when it has been closed.
class IMessageDialog {
public:
    virtual ~IMessageDialog() = default;
    virtual void ShowMessageDialog(const std::wstring& caption, const std::wstring& text,
                                   int iconIndex) = 0;
};

// The continuous-mode controls of the settings window, read at each use.
class IContinuousModeOptions {
public:
    virtual ~IContinuousModeOptions() = default;
    virtual bool ContinuousMode() const = 0;        // cbContinuousMode
    virtual int32_t ContinuousModeDelay() const = 0;  // edContinuousModeDelay, seconds
};

constexpr uint32_t kStartfUseShowWindow = 1;
constexpr int32_t kSwHide = 0;
constexpr uint32_t kTimerPowerOffInterval = 300;  // ms between the two power-off requests

// Command line that RunProcess hands to the system.
std::wstring ProcessCommandLine(const std::wstring& FileName, const std::wstring& Parameters);
// Start-up flags that RunProcess puts in the start-up record.
uint32_t ProcessStartFlags(uint32_t StartFlags, int32_t ShowCommand);
// Starts a program without waiting, hidden.
void RunProgram(IProcessStarter& starter, const std::wstring& FileName,
                const std::wstring& Parameters);

// Texts of the continuous-mode dialogs.
std::wstring ContinuousScreenSaverText(int32_t delay);
std::wstring ContinuousPowerOffText(int32_t delay);
extern const wchar_t* const kContinuousScreenSaverCaption;
extern const wchar_t* const kContinuousPowerOffCaption;

struct TDisplayCommandsDeps {
    ISystemParameters& Spi;
    ISystemRequests& Requests;
    IMessageDialog& Dialog;
    IProcessStarter& Starter;
    IContinuousModeOptions& Options;
    IStatusRefresh& Status;
    ITimerService& Timers;
    IPowerOffPlan& Plan;
};

class TDisplayCommands {
public:
    TDisplayCommands(const TDisplayCommandsDeps& deps, TManagedConfiguration& config);

    void actScreenSaverExecute();
    void actPowerOffExecute();
    void actDisplayPropertiesExecute();
    void TimerPowerOffTimer(TTimer* sender);
    // Puts back what a running continuous mode changed, now and once: the
    // session may end while its dialog is open, and the dialog's own end
    // may never come.
    void EndContinuousMode();

    TTimer& TimerPowerOff() { return FTimerPowerOff; }

private:
    // Runs one continuous-mode session around the dialog; `apply` sets the
    // continuous values, `restore` puts the saved ones back (the power-off
    // too when its argument says so: on a plan it comes back whole instead).
    void RunContinuousMode(const std::function<void()>& apply, const std::function<void(bool)>& restore,
                           const wchar_t* caption, const std::wstring& text, int iconIndex);

    TDisplayCommandsDeps FDeps;
    TManagedConfiguration& FConfig;
    TTimer FTimerPowerOff;
    std::function<void()> FUndoContinuousMode;
};

}  // namespace lumivane
