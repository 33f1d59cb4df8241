#include "commands/DisplayCommands.h"

#include <utility>

namespace lumivane {

const wchar_t* const kContinuousScreenSaverCaption = L"Continuous screen saver mode";
const wchar_t* const kContinuousPowerOffCaption = L"Continuous monitor power off mode";

std::wstring ContinuousScreenSaverText(int32_t delay) {
    return L"The screen saver will be launched after " + std::to_wstring(delay) +
           L" second(s). Press OK to finish the Continuous screen saver mode.\r\r"
           L"Note: a screen saver needs to be selected in the Display properties.";
}

std::wstring ContinuousPowerOffText(int32_t delay) {
    return L"The monitor will be powered off after " + std::to_wstring(delay) +
           L" second(s). Press OK to finish the Continuous monitor power off mode.";
}

TDisplayCommands::TDisplayCommands(const TDisplayCommandsDeps& deps,
                                   TManagedConfiguration& config)
    : FDeps(deps), FConfig(config), FTimerPowerOff(deps.Timers, kTimerPowerOffInterval, false) {
    FTimerPowerOff.SetOnTimer([this](TTimer* t) { TimerPowerOffTimer(t); });
}

void TDisplayCommands::RunContinuousMode(const std::function<void()>& apply,
                                         const std::function<void(bool)>& restore, const wchar_t* caption,
                                         const std::wstring& text, int iconIndex) {
    // After the end steps nothing may change a setting again.
    if (FConfig.Ended()) return;
    FConfig.FContinuousModeRunning = true;
    FDeps.Plan.Refresh();
    // On a plan, what the run changes comes back whole: both sources as they
    // were, whichever source is current when it ends, and what Deactivate
    // remembered, for the Activate that follows.
    const TPlanMark mark = FDeps.Plan.Mark();
    FUndoContinuousMode = [this, restore, mark, savedPreserving = FConfig.FPreserving] {
        if (mark.Plan) FDeps.Plan.PutBack(mark);
        restore(!mark.Plan);
        FConfig.CaptureConfiguration();
        FConfig.FPreserving = savedPreserving;
        FDeps.Status.UpdateStatus();
        FConfig.FContinuousModeRunning = false;
    };
    // Whatever ends the run (OK, Escape, the close box, the program being
    // asked to end, a failure while the values are applied), the settings go
    // back before anything else runs: the guard exists before the first change.
    struct TRestoreGuard {
        TDisplayCommands& Self;
        ~TRestoreGuard() { Self.EndContinuousMode(); }
    } guard{*this};
    apply();
    FConfig.CaptureConfiguration();
    FConfig.FPreserving = true;
    FDeps.Status.UpdateStatus();
    FDeps.Dialog.ShowMessageDialog(caption, text, iconIndex);
}

void TDisplayCommands::EndContinuousMode() {
    if (auto undo = std::exchange(FUndoContinuousMode, nullptr)) undo();
}

void TDisplayCommands::actScreenSaverExecute() {
    if (FConfig.FContinuousModeRunning) return;
    if (!FDeps.Options.ContinuousMode()) {
        FDeps.Requests.StartScreenSaver();
        return;
    }
    auto& spi = FDeps.Spi;
    const bool savedPowerOff = GetPowerOffActive(spi);
    TPowerSetting saved;
    GetScreenSaverConfiguration(spi, saved.Active, saved.Timeout);
    const int32_t delay = FDeps.Options.ContinuousModeDelay();
    RunContinuousMode(
        [&spi, delay] {
            SetPowerOffActive(spi, false, false);
            SetScreenSaverConfiguration(spi, true, delay, false);
        },
        [&spi, savedPowerOff, saved](bool powerOff) {
            if (powerOff) SetPowerOffActive(spi, savedPowerOff, false);
            SetScreenSaverConfiguration(spi, saved.Active, saved.Timeout, false);
        },
        kContinuousScreenSaverCaption, ContinuousScreenSaverText(delay), 0);
}

void TDisplayCommands::actPowerOffExecute() {
    if (FConfig.FContinuousModeRunning) return;
    if (!FDeps.Options.ContinuousMode()) {
        FDeps.Requests.PowerOffMonitor();
        FTimerPowerOff.SetEnabled(true);  // an armed timer is not restarted
        return;
    }
    auto& spi = FDeps.Spi;
    const bool savedScreenSaver = GetScreenSaverActive(spi);
    TPowerSetting saved;
    GetPowerOffConfiguration(spi, saved.Active, saved.Timeout);
    const int32_t delay = FDeps.Options.ContinuousModeDelay();
    RunContinuousMode(
        [&spi, delay] {
            SetScreenSaverActive(spi, false, false);
            SetPowerOffConfiguration(spi, true, delay, false);
        },
        [&spi, savedScreenSaver, saved](bool powerOff) {
            if (powerOff) SetPowerOffConfiguration(spi, saved.Active, saved.Timeout, false);
            SetScreenSaverActive(spi, savedScreenSaver, false);
        },
        kContinuousPowerOffCaption, ContinuousPowerOffText(delay), 1);
}

void TDisplayCommands::actDisplayPropertiesExecute() {
    RunProgram(FDeps.Starter, L"rundll32.exe", L"shell32.dll,Control_RunDLL desk.cpl,,1");
}

void TDisplayCommands::TimerPowerOffTimer(TTimer* sender) {
    FDeps.Requests.PowerOffMonitor();
    if (sender) sender->SetEnabled(false);
}

}  // namespace lumivane
