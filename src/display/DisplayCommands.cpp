#include "display/DisplayCommands.h"

namespace lumivane {

const wchar_t* const kContinuousScreenSaverCaption = L"Continuous screen saver mode";
const wchar_t* const kContinuousPowerOffCaption = L"Continuous monitor power off mode";

std::wstring ProcessCommandLine(const std::wstring& FileName, const std::wstring& Parameters) {
    if (FileName.empty()) return Parameters;
    return FileName + L" " + Parameters;
}

uint32_t ProcessStartFlags(uint32_t StartFlags, int32_t ShowCommand) {
    return ShowCommand == -1 ? StartFlags : (StartFlags | kStartfUseShowWindow);
}

void RunProgram(IProcessStarter& starter, const std::wstring& FileName,
                const std::wstring& Parameters) {
    starter.RunProcess(FileName, Parameters, 0, false, kSwHide);
}

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

template <typename Apply, typename Restore>
void TDisplayCommands::RunContinuousMode(Apply apply, Restore restore, const wchar_t* caption,
                                         const std::wstring& text, int iconIndex) {
    FConfig.FContinuousModeRunning = true;
    const bool savedPreserving = FConfig.FPreserving;
    // Whatever ends the run (OK, Escape, the close box, the program being
    // asked to end, a failure while the values are applied), the settings go
    // back before anything else runs: the guard exists before the first change.
    struct TRestoreGuard {
        TDisplayCommands& Self;
        Restore& Undo;
        bool SavedPreserving;
        ~TRestoreGuard() {
            Undo();
            Self.FConfig.CaptureConfiguration();
            Self.FConfig.FPreserving = SavedPreserving;
            Self.FDeps.Status.UpdateStatus();
            Self.FConfig.FContinuousModeRunning = false;
        }
    } guard{*this, restore, savedPreserving};
    apply();
    FConfig.CaptureConfiguration();
    FConfig.FPreserving = true;
    FDeps.Status.UpdateStatus();
    FDeps.Dialog.ShowMessageDialog(caption, text, iconIndex);
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
        [&] {
            SetPowerOffActive(spi, false, false);
            SetScreenSaverConfiguration(spi, true, delay, false);
        },
        [&] {
            SetPowerOffActive(spi, savedPowerOff, false);
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
        [&] {
            SetScreenSaverActive(spi, false, false);
            SetPowerOffConfiguration(spi, true, delay, false);
        },
        [&] {
            SetPowerOffConfiguration(spi, saved.Active, saved.Timeout, false);
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
