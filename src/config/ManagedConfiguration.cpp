#include "config/ManagedConfiguration.h"

namespace lumivane {

TManagedConfiguration::TManagedConfiguration(const TManagedConfigurationDeps& deps)
    : FDeps(deps),
      FTimerDisableFor(deps.Timers, 0, false),
      FTimerCheckConfiguration(deps.Timers, kCheckConfigurationInterval, true) {
    FTimerDisableFor.SetOnTimer([this](TTimer* t) { TimerDisableForTimer(t); });
    FTimerCheckConfiguration.SetOnTimer([this](TTimer* t) { TimerCheckConfigurationTimer(t); });
}

void TManagedConfiguration::FormCreate() {
    FContinuousModeRunning = false;
    FDeps.Plan.Refresh();
    FInitialConfiguration = GetDisplayPowerConfiguration(FDeps.Spi);
    FInitialPlan = FPreservedPlan = FDeps.Plan.Mark();
    FPreservedConfiguration = FInitialConfiguration;
    FPreserving = false;
    FActivated = FInitialConfiguration.ScreenSaverSetting.Active ||
                 FInitialConfiguration.PowerOffSetting.Active;
}

void TManagedConfiguration::FormDestroy(bool restore) {
    if (restore || FDeps.Options.RestoreConfiguration()) RestoreInitialConfiguration();
}

void TManagedConfiguration::CaptureConfiguration() {
    FPreservedConfiguration = GetDisplayPowerConfiguration(FDeps.Spi);
    FPreservedPlan = FDeps.Plan.Mark();
}

void TManagedConfiguration::SetSessionConnected(bool connected) {
    FSessionConnected = connected;
    // What the triggers said while the user was away takes effect now.
    if (connected && FAwayCause) {
        const std::wstring cause = *FAwayCause;
        FAwayCause.reset();
        SetTriggerCause(cause);
    }
}

void TManagedConfiguration::SetKeepAwake(bool keep) {
    FKeepAwake = keep;
    UpdateAwake();
}

void TManagedConfiguration::SetPeriodAwake(bool wanted) {
    FPeriodAwake = wanted;
    UpdateAwake();
}

void TManagedConfiguration::UpdateAwake() {
    const bool hold = (FPeriodAwake || FAuto.Holding()) && FKeepAwake && !FEnded && FAwake;
    // The reason says what holds it now (`powercfg /requests` shows it).
    const std::wstring reason = FAuto.Holding() ? L"Lumivane: deactivated while " + CauseText(FAutoCause)
                                                : L"Lumivane: deactivated until " + FDeactivatedUntil;
    if (hold == FAwakeHeld && (!hold || reason == FAwakeReason)) return;
    if (FAwakeHeld) {
        FAwake->Release();
        FAwakeHeld = false;
    }
    if (hold) FAwakeHeld = FAwake->Hold(reason);
    FAwakeReason = FAwakeHeld ? reason : std::wstring();
}

bool TManagedConfiguration::WriteForGood() const { return FDeps.Options.UpdateSettings() && !FAuto.Holding(); }

void TManagedConfiguration::UserCommand() {
    FAuto.UserCommand();
    FAutoCause.clear();
    UpdateAwake();
}

void TManagedConfiguration::SetTriggerCause(const std::wstring& cause) {
    if (FEnded) return;
    if (!FSessionConnected) {
        FAwayCause = cause;
        return;
    }
    const TAutoStep step = FAuto.Holds(!cause.empty(), FActivated);
    FAutoCause = FAuto.Holding() ? cause : std::wstring();
    if (step != TAutoStep::None) SetActivation(step == TAutoStep::Activate, true);
    UpdateAwake();
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::Shutdown() {
    // The state from before an automatic deactivation comes back; what is
    // left of it in the plan the end steps undo.
    if (FAuto.AtEnd() == TAutoStep::Activate) SetActivation(true, true);
    FEnded = true;
    UpdateAwake();
    FTimerCheckConfiguration.SetEnabled(false);
    FTimerDisableFor.SetEnabled(false);
}

void TManagedConfiguration::SetActivation(bool v, bool temporary) {
    if (FContinuousModeRunning || FEnded) return;
    // A command acts on the plan as it is now, not as the last tick saw it.
    FDeps.Plan.Refresh();
    if (FTimerDisableFor.Enabled()) TimerDisableForTimer(nullptr);
    if (FDeps.Options.PreserveConfiguration()) FPreserving = true;
    const bool update = !temporary && WriteForGood();
    if (FDeps.Options.ManageScreenSaver()) SetScreenSaverActive(FDeps.Spi, v, update);
    if (FDeps.Options.ManagePowerOff()) SetPowerOffActive(FDeps.Spi, v, update);
    CaptureConfiguration();
    FDeps.Status.UpdateStatus();
    FActivated = v;
}

void TManagedConfiguration::actDeactivateForExecute(uint32_t tag) {
    if (FEnded) return;
    UserCommand();
    if (FTimerDisableFor.Enabled()) TimerDisableForTimer(&FTimerDisableFor);
    actDeactivateExecute();
    FTimerDisableFor.SetInterval(tag);
    FDeactivatedUntilMs = FDeps.Clock.WallClockMs() + tag;
    // The clock may change within the period: the end as the clock will show it.
    FDeactivatedUntil = FormatTime(FDeps.Clock.LongTimeFormat(), FDeps.Clock.LocalTimeOf(FDeactivatedUntilMs));
    FTimerDisableFor.SetEnabled(true);
    SetPeriodAwake(true);
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::TimerDisableForTimer(TTimer* sender) {
    // Away from its session the period runs on; the first tick after the
    // user is back ends it.
    if (sender && !FSessionConnected) return;
    FTimerDisableFor.SetEnabled(false);
    FTimerDisableFor.SetInterval(0);
    SetPeriodAwake(false);
    // While an automatic deactivation holds, the Activate waits for its end.
    if (sender && FAuto.PeriodEnded() == TAutoStep::Activate) SetActivation(true);
}

void TManagedConfiguration::actRestoreConfigurationExecute() {
    UserCommand();
    FPreserving = false;
    SetPeriodAwake(false);
    FRestoring = true;
    FDeps.Pump.ProcessMessages();
    FRestoring = false;
    RestoreInitialConfiguration();
}

namespace {
// A put-back that the option says to make for good is permanent, as the
// routines' writes would be.
TPlanMark WithPermanence(TPlanMark mark, bool update) {
    mark.Permanent = mark.Permanent || update;
    return mark;
}
}  // namespace

void TManagedConfiguration::RestoreInitialConfiguration() {
    FDeps.Plan.Refresh();
    const bool update = FDeps.Options.UpdateSettings();
    SetScreenSaverActive(FDeps.Spi, FInitialConfiguration.ScreenSaverSetting.Active, update);
    const bool initialActive = FInitialConfiguration.PowerOffSetting.Active;
    if (!FInitialPlan.Plan) {
        SetPowerOffActive(FDeps.Spi, initialActive, update);
    } else if (FInitialPlan.SetByAnotherRun) {
        // The plan held another session's copy's change when this one
        // started: that copy puts it back, and this one must not bring it
        // back after it did.
    } else if (GetPowerOffActive(FDeps.Spi) != initialActive) {
        // On the plan the flag comes back with the values it had at the
        // start, on both sources.
        FDeps.Plan.PutBack(WithPermanence(FInitialPlan, update));
    }
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::ReapplyPowerOff(const TPowerSetting& kept, bool update) {
    // On the plan the preserved values come back whole; the routines would
    // write the current source's time-out into the other source.
    if (FPreservedPlan.Plan)
        FDeps.Plan.PutBack(WithPermanence(FPreservedPlan, update));
    else
        SetPowerOffConfiguration(FDeps.Spi, kept.Active, kept.Timeout, update);
}

namespace {

// An unmanaged item is expected off. When it runs as it was preserved there
// is nothing to put back, and writing it again on every tick would only churn
// the user's profile.
bool NeedsReapply(const TPowerSetting& preserved, bool managed, bool current) {
    const bool expected = preserved.Active && managed;
    return expected != current && current != preserved.Active;
}

}  // namespace

void TManagedConfiguration::TimerCheckConfigurationTimer(TTimer*) {
    if (FEnded) return;
    // One read of the plan per tick, however many routines ask.
    FDeps.Plan.Refresh();
    // The period ends at the time the user was shown, also when the
    // computer slept or the clock changed in between.
    if (FTimerDisableFor.Enabled() && FDeps.Clock.WallClockMs() >= FDeactivatedUntilMs)
        TimerDisableForTimer(&FTimerDisableFor);
    if (FPreserving && FSessionConnected) {
        auto& spi = FDeps.Spi;
        const TDisplayPowerConfiguration current = GetDisplayPowerConfiguration(spi);
        const bool update = WriteForGood();
        const auto& keptSs = FPreservedConfiguration.ScreenSaverSetting;
        if (NeedsReapply(keptSs, FDeps.Options.ManageScreenSaver(),
                         current.ScreenSaverSetting.Active))
            SetScreenSaverConfiguration(spi, keptSs.Active, keptSs.Timeout, update);
        const auto& keptPo = FPreservedConfiguration.PowerOffSetting;
        if (NeedsReapply(keptPo, FDeps.Options.ManagePowerOff(),
                         current.PowerOffSetting.Active))
            ReapplyPowerOff(keptPo, update);
    }
    FDeps.Status.UpdateStatus();
}

}  // namespace lumivane
