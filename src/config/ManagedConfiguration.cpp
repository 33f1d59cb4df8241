#include "config/ManagedConfiguration.h"

#include <algorithm>
#include <utility>

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
        SetTriggerCause(cause, 0, FTriggerByCommand);
    }
}

void TManagedConfiguration::SetKeepAwake(bool keep, bool letDisplaySleepWhenLocked) {
    FKeepAwake = keep;
    FLetDisplaySleepWhenLocked = letDisplaySleepWhenLocked;
    UpdateAwake();
}

void TManagedConfiguration::SetSessionLocked(bool locked) {
    FSessionLocked = locked;
    // Only the requests follow the lock: the plan stays as it is, so that a
    // lock and an unlock never rewrite the machine-wide plan.
    UpdateAwake();
}

void TManagedConfiguration::PowerChanged(TPowerEvent event) {
    if (!FRenewal.Renew(event)) return;
    // The handle outlives the sleep, the request in it does not: let go of
    // it whole, then take what is due now.
    if (FAwakeHeld) {
        FAwake->Release();
        FAwakeHeld = false;
        FAwakeHeldAs = {};
    }
    UpdateAwake();
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::SetBattery(uint32_t floor, uint32_t percent, bool onMains) {
    const bool was = FBatteryFloor.Holds();
    const bool sourceChanged = std::exchange(FOnMains, onMains) != onMains;
    FFloor = floor;
    if (FBatteryFloor.Update(floor, percent, onMains) == was) {
        // Under Modern Standby the source decides the display request.
        if (!sourceChanged) return;
        UpdateAwake();
        FDeps.Status.UpdateStatus();
        return;
    }
    // The triggers' last word counts again, or no longer.
    SetTriggerCause(FTriggerWord, 0, FTriggerByCommand);
    UpdateAwake();
    FDeps.Status.UpdateStatus();
}

uint32_t TManagedConfiguration::NotKeptAwakeBelow() const {
    if (!FBatteryFloor.Holds()) return 0;
    TArbiterFacts f = Facts(false);
    f.BatteryLow = false;
    // The automatic deactivation has let go too: a trigger that would hold counts.
    if (!FTriggerWord.empty()) f.Automatic = TAutoState::Holding;
    return Arbitrate(f).HoldSystem ? FFloor : 0;
}

void TManagedConfiguration::SetPeriodAwake(bool wanted) {
    FPeriodAwake = wanted;
    UpdateAwake();
}

TArbiterFacts TManagedConfiguration::Facts(bool withPlan) const {
    TArbiterFacts f;
    f.Automatic = FAuto.State();
    f.TriggerCause = FAutoCause;
    f.PeriodRunning = FPeriodAwake;
    f.PeriodEnd = FDeactivatedUntil;
    f.Activated = FActivated;
    f.ManageScreenSaver = ManagesScreenSaver();
    f.ManagePowerOff = FDeps.Options.ManagePowerOff();
    f.UpdateSettings = FDeps.Options.UpdateSettings();
    f.KeepAwake = FPolicies.Forced(TPolicy::KeepAwake, FKeepAwake);
    f.InactivityLock = FPolicies.InactivityLock;
    f.BatteryLow = FBatteryFloor.Holds();
    f.SessionLocked = FSessionLocked;
    f.LetDisplaySleepWhenLocked = FLetDisplaySleepWhenLocked;
    // Asked of the plan only when the answer matters: it is a read of the
    // plan and of the other runs' marks.
    f.PlanKeepsDisplayOn = withPlan && FDeps.Plan.Mark().Plan && !GetPowerOffActive(FDeps.Spi);
    f.PolicySetsDisplayTimeout = f.PlanKeepsDisplayOn && FDeps.Plan.PolicySetsDisplayTimeout();
    f.StandbyOnBattery = FModernStandby && !FOnMains;
    f.Ended = FEnded;
    return f;
}

void TManagedConfiguration::UpdateAwake() {
    TArbiterDecision wanted = Arbitrate(Facts(false));
    if (wanted.HoldSystem) wanted = Arbitrate(Facts(true));
    const bool same = wanted.HoldSystem == FAwakeHeldAs.HoldSystem && wanted.HoldDisplay == FAwakeHeldAs.HoldDisplay &&
                      wanted.AwakeReason == FAwakeHeldAs.AwakeReason;
    if (!FAwake || (!FAwakeHeld && !wanted.HoldSystem) || (FAwakeHeld && same)) return;
    if (FAwakeHeld) {
        FAwake->Release();
        FAwakeHeld = false;
    }
    if (wanted.HoldSystem) FAwakeHeld = FAwake->Hold(wanted.AwakeReason, wanted.HoldDisplay);
    FAwakeHeldAs = FAwakeHeld ? wanted : TArbiterDecision{};
}

bool TManagedConfiguration::WriteForGood() const { return Arbitrate(Facts(false)).WriteForGood; }

void TManagedConfiguration::UserCommand() {
    FAuto.UserCommand();
    FAutoCause.clear();
    UpdateAwake();
}

void TManagedConfiguration::SetTriggerCause(const std::wstring& cause, uint64_t untilMs, bool byCommand) {
    FAutoUntilMs = untilMs;
    if (FEnded) return;
    FTriggerByCommand = byCommand;
    if (!FSessionConnected) {
        FAwayCause = cause;
        return;
    }
    FTriggerWord = cause;
    const bool allowed = FPolicies.Allows(TPolicy::AllowDeactivation) &&
                         (byCommand || FPolicies.Allows(TPolicy::AllowAutomaticDeactivation)) && !FBatteryFloor.Holds();
    const TAutoStep step = FAuto.Holds(allowed && !cause.empty(), FActivated);
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
    if (ManagesScreenSaver()) SetScreenSaverActive(FDeps.Spi, v, update);
    if (FDeps.Options.ManagePowerOff()) SetPowerOffActive(FDeps.Spi, v, update);
    CaptureConfiguration();
    FDeps.Status.UpdateStatus();
    FActivated = v;
    FRunDeactivated = !v;
}

bool TManagedConfiguration::ManagesScreenSaver() const {
    return FDeps.Options.ManageScreenSaver() && !FPolicies.ScreenSaverByWindows;
}

void TManagedConfiguration::Deactivate() {
    UserCommand();
    SetActivation(false);
}

void TManagedConfiguration::actDeactivateExecute() {
    const std::optional<uint64_t> ms = PermittedDeactivation(FPolicies, 0);
    if (!ms) return;
    if (*ms) return StartPeriod(*ms);
    Deactivate();
}

void TManagedConfiguration::actDeactivateForExecute(uint32_t tag) {
    if (const std::optional<uint64_t> ms = PermittedDeactivation(FPolicies, tag)) StartPeriod(*ms);
}

void TManagedConfiguration::SetPolicies(const TPolicies& policies) {
    FPolicies = policies;
    if (FEnded) return;
    const uint64_t now = FDeps.Clock.WallClockMs();
    const bool running = FTimerDisableFor.Enabled();
    const uint64_t left = running ? std::max<uint64_t>(FDeactivatedUntilMs, now + 1) - now : 0;
    const std::optional<uint64_t> allowed = PermittedDeactivation(policies, left);
    // Only what this run deactivated: items the start found off stay so.
    const bool ours = FRunDeactivated && !FAuto.Holding();
    if (FAuto.Holding() && !(allowed && (FTriggerByCommand || policies.Allows(TPolicy::AllowAutomaticDeactivation))))
        SetTriggerCause(L"");
    else if (ours && !allowed)
        actActivateExecute();
    else if (ours && *allowed != left)
        StartPeriod(*allowed);
    UpdateAwake();
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::StartPeriod(uint64_t ms) {
    if (FEnded) return;
    UserCommand();
    if (FTimerDisableFor.Enabled()) TimerDisableForTimer(&FTimerDisableFor);
    Deactivate();
    const uint32_t tag = static_cast<uint32_t>(ms);
    FTimerDisableFor.SetInterval(tag);
    FDeactivatedUntilMs = FDeps.Clock.WallClockMs() + tag;
    // The clock may change within the period: the end as the clock will show it.
    FDeactivatedUntil = FormatTime(FDeps.Clock.LongTimeFormat(), FDeps.Clock.LocalTimeOf(FDeactivatedUntilMs).Time);
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
    // A screen saver that Windows' policy sets is the administrator's.
    if (!FPolicies.ScreenSaverByWindows)
        SetScreenSaverActive(FDeps.Spi, FInitialConfiguration.ScreenSaverSetting.Active, update);
    const bool initialActive = FInitialConfiguration.PowerOffSetting.Active;
    if (!FInitialPlan.Plan) {
        SetPowerOffActive(FDeps.Spi, initialActive, update);
        FDeps.Status.UpdateStatus();
        return;
    }
    // Every plan the run changed gets its own values back, by its GUID,
    // also one the user has switched away from.
    FDeps.Plan.PutBackRunsChanges(update);
    const std::optional<TPlanSnapshot> now = FDeps.Plan.Mark().Plan;
    // The plan held another session's copy's change when this one started:
    // that copy puts it back, and this one must not bring it back after it
    // did. Nor are the start's values ever written into another plan.
    if (!FInitialPlan.SetByAnotherRun && now && now->Plan == FInitialPlan.Plan->Plan &&
        GetPowerOffActive(FDeps.Spi) != initialActive) {
        // On the plan the flag comes back with the values it had at the
        // start, on both sources.
        FDeps.Plan.PutBack(WithPermanence(FInitialPlan, update));
    }
    FDeps.Status.UpdateStatus();
}

void TManagedConfiguration::ReapplyPowerOff(const TPowerSetting& kept, bool update) {
    if (!FPreservedPlan.Plan) {
        SetPowerOffConfiguration(FDeps.Spi, kept.Active, kept.Timeout, update);
        return;
    }
    // On the plan the preserved values come back whole; the routines would
    // write the current source's time-out into the other source. A change
    // of power source alone changes the flag and nothing to write: each
    // write makes the plan active again, which every program is told of.
    const std::optional<TPlanSnapshot> now = FDeps.Plan.Mark().Plan;
    const TPlanSnapshot& preserved = *FPreservedPlan.Plan;
    if (!now || *now == preserved) return;
    if (now->Plan == preserved.Plan) {
        FDeps.Plan.PutBack(WithPermanence(FPreservedPlan, update));
    } else if (preserved.Ac == 0 && preserved.Dc == 0) {
        // The user switched plans while deactivated: the choice holds on
        // the new plan too, from a snapshot of its own, and the old plan is
        // never written again meanwhile.
        SetPowerOffActive(FDeps.Spi, false, update);
        FPreservedPlan = FDeps.Plan.Mark();
    }
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
        if (!FPolicies.ScreenSaverByWindows &&
            NeedsReapply(keptSs, FDeps.Options.ManageScreenSaver(), current.ScreenSaverSetting.Active))
            SetScreenSaverConfiguration(spi, keptSs.Active, keptSs.Timeout, update);
        const auto& keptPo = FPreservedConfiguration.PowerOffSetting;
        if (NeedsReapply(keptPo, FDeps.Options.ManagePowerOff(),
                         current.PowerOffSetting.Active))
            ReapplyPowerOff(keptPo, update);
    }
    // Whether the plan still keeps the display on decides the display request.
    if (FAwakeHeld) UpdateAwake();
    FDeps.Status.UpdateStatus();
}

}  // namespace lumivane
