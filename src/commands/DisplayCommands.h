#pragma once
// The commands that act on the display at once: launch the screen saver,
// power the monitor off (both with continuous mode) and open the display
// properties.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/MessageDialog.h"
#include "base/Timer.h"
#include "config/ManagedConfiguration.h"
#include "display/DisplayRequests.h"
#include "display/PowerPlan.h"
#include "display/ScreenSaver.h"

namespace lumivane {

constexpr uint32_t kTimerPowerOffInterval = 300;  // ms between the two power-off requests

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
