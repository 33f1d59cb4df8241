#include "config/Arbiter.h"

#include <utility>

namespace lumivane {

TAutoStep TAutoDeactivation::Holds(bool holds, bool active) {
    switch (FState) {
    case TAutoState::Idle:
        if (!holds) return TAutoStep::None;
        FState = TAutoState::Holding;
        FActiveBefore = active;
        return active ? TAutoStep::Deactivate : TAutoStep::None;
    case TAutoState::Holding:
        if (holds) return TAutoStep::None;
        FState = TAutoState::Idle;
        return FActiveBefore ? TAutoStep::Activate : TAutoStep::None;
    case TAutoState::Overridden:
        if (!holds) FState = TAutoState::Idle;
        return TAutoStep::None;
    }
    return TAutoStep::None;
}

void TAutoDeactivation::UserCommand() {
    if (FState == TAutoState::Holding) FState = TAutoState::Overridden;
}

TAutoStep TAutoDeactivation::PeriodEnded() {
    if (FState != TAutoState::Holding) return TAutoStep::Activate;
    FActiveBefore = true;
    return TAutoStep::None;
}

TAutoStep TAutoDeactivation::AtEnd() const {
    return FState == TAutoState::Holding && FActiveBefore ? TAutoStep::Activate : TAutoStep::None;
}

bool TBatteryFloor::Update(uint32_t floor, uint32_t percent, bool onMains) {
    FHolds = floor && !onMains && percent < floor + (FHolds ? kBatteryFloorMargin : 0);
    return FHolds;
}

bool TRequestRenewal::Renew(TPowerEvent event) {
    switch (event) {
    case TPowerEvent::Suspend:
    case TPowerEvent::DisplayOff: FDue = true; return false;
    // Whichever comes first after the sleep renews; the later ones find it done.
    case TPowerEvent::ResumeAutomatic:
    case TPowerEvent::ResumeSuspend:
    case TPowerEvent::DisplayOn: return std::exchange(FDue, false);
    }
    return false;
}

TArbiterDecision Arbitrate(const TArbiterFacts& f) {
    TArbiterDecision d;
    const bool automatic = f.Automatic == TAutoState::Holding;
    d.WriteForGood = f.UpdateSettings && !automatic;
    // Only a deactivation with an end keeps anything awake: a plain
    // Deactivate is the user's setting, and Windows' own sleep goes on.
    d.HoldSystem = (f.PeriodRunning || automatic) && f.KeepAwake && !f.BatteryLow && !f.Ended;
    // The display request overrides more than the power-off: it also keeps
    // the screen saver and the automatic lock away. So it is taken only
    // where the user gave both items to this program, the power-off is off,
    // and nothing else keeps the display on. Locked, Windows' own time-out
    // for the lock screen turns it off, unless the user asked otherwise. A
    // machine that must lock after a time without input is never held.
    // Locked, the plan's "never" counts for nothing: Windows turns the
    // display off after its own time-out for the lock screen, and only a
    // request keeps it on then.
    const bool lockedKeepsOn = f.SessionLocked && !f.LetDisplaySleepWhenLocked;
    // A policy's time-out holds whatever the plan reads back.
    const bool planKeepsOn = f.PlanKeepsDisplayOn && !f.PolicySetsDisplayTimeout;
    // Nor on battery under Modern Standby, where only the display request keeps the computer up.
    d.HoldDisplay = d.HoldSystem && f.ManagePowerOff && f.ManageScreenSaver && !f.Activated && !f.InactivityLock &&
                    (!planKeepsOn || lockedKeepsOn || f.StandbyOnBattery) &&
                    !(f.SessionLocked && f.LetDisplaySleepWhenLocked);
    d.MaySleep = f.StandbyOnBattery && d.HoldSystem && !d.HoldDisplay;
    if (d.HoldSystem)
        d.AwakeReason = automatic ? L"Lumivane: deactivated " + CauseText(f.TriggerCause)
                                  : L"Lumivane: deactivated until " + f.PeriodEnd;
    return d;
}

}  // namespace lumivane
