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

void TManagedConfiguration::SetSessionConnected(bool connected) { FSessionConnected = connected; }

void TManagedConfiguration::SetKeepAwake(bool keep) {
    FKeepAwake = keep;
    SetAwakeWanted(FAwakeWanted);
}

void TManagedConfiguration::SetAwakeWanted(bool wanted) {
    FAwakeWanted = wanted;
    const bool hold = wanted && FKeepAwake && !FEnded && FAwake;
    if (hold == FAwakeHeld) return;
    if (hold) {
        FAwakeHeld = FAwake->Hold(L"Lumivane: deactivated until " + FDeactivatedUntil);
    } else {
        FAwake->Release();
        FAwakeHeld = false;
    }
}

void TManagedConfiguration::Shutdown() {
    FEnded = true;
    SetAwakeWanted(false);
    FTimerCheckConfiguration.SetEnabled(false);
    FTimerDisableFor.SetEnabled(false);
}

void TManagedConfiguration::SetActivation(bool v) {
    if (FContinuousModeRunning || FEnded) return;
    // A command acts on the plan as it is now, not as the last tick saw it.
    FDeps.Plan.Refresh();
    if (FTimerDisableFor.Enabled()) TimerDisableForTimer(nullptr);
    if (FDeps.Options.PreserveConfiguration()) FPreserving = true;
    const bool update = FDeps.Options.UpdateSettings();
    if (FDeps.Options.ManageScreenSaver()) SetScreenSaverActive(FDeps.Spi, v, update);
    if (FDeps.Options.ManagePowerOff()) SetPowerOffActive(FDeps.Spi, v, update);
    CaptureConfiguration();
    FDeps.Status.UpdateStatus();
    FActivated = v;
}

void TManagedConfiguration::actDeactivateForExecute(uint32_t tag) {
    if (FEnded) return;
    if (FTimerDisableFor.Enabled()) TimerDisableForTimer(&FTimerDisableFor);
    actDeactivateExecute();
    FTimerDisableFor.SetInterval(tag);
    FDeactivatedUntilMs = FDeps.Clock.WallClockMs() + tag;
    FDeactivatedUntil = FormatTime(FDeps.Clock.LongTimeFormat(),
                                   TimeOfDayAfter(FDeps.Clock.Now(), FTimerDisableFor.Interval()));
    FTimerDisableFor.SetEnabled(true);
    SetAwakeWanted(true);
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::TimerDisableForTimer(TTimer* sender) {
    // Away from its session the period runs on; the first tick after the
    // user is back ends it.
    if (sender && !FSessionConnected) return;
    FTimerDisableFor.SetEnabled(false);
    FTimerDisableFor.SetInterval(0);
    SetAwakeWanted(false);
    if (sender) actActivateExecute();
}

void TManagedConfiguration::actRestoreConfigurationExecute() {
    FPreserving = false;
    SetAwakeWanted(false);
    FDeps.Pump.ProcessMessages();
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
        const bool update = FDeps.Options.UpdateSettings();
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
