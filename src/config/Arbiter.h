#pragma once
// Who decides what is in force. Many things want the managed items off or
// the display awake: the user's commands and their periods, the automatic
// triggers, the session's lock. The rule between the triggers and the
// user's commands is a state table; every other source is a fact, and one
// function over all the facts says what must hold now. The managed
// configuration applies it. A new source is a new fact and new rows, not a
// branch elsewhere.
#include <string>

#include "sources/Triggers.h"

namespace lumivane {

// The rule between the automatic deactivation and the user's own commands.
//
//   state        event                        step           next
//   Idle         trigger holds, items active  Deactivate     Holding (active before)
//   Idle         trigger holds, items off     -              Holding (off before)
//   Holding      last trigger ends            Activate if    Idle
//                                             active before
//   Holding      the user's command           -              Overridden
//   Holding      a deactivate-for period ends -              Holding (active before)
//   Overridden   last trigger ends            -              Idle
//   Overridden   the user's command           -              Overridden
//   Idle         a period ends                Activate       Idle
//   Overridden   a period ends                Activate       Overridden
//
// An automatic deactivation never overrides a command the user gave while
// it held; a period that ends while it holds activates at its end instead.
enum class TAutoState { Idle, Holding, Overridden };
enum class TAutoStep { None, Deactivate, Activate };

class TAutoDeactivation {
public:
    // The triggers changed: `holds` whether any holds now, `active` whether
    // the items are active now.
    TAutoStep Holds(bool holds, bool active);
    void UserCommand();
    // A deactivate-for period reached its end: Activate unless held.
    TAutoStep PeriodEnded();
    TAutoState State() const { return FState; }
    bool Holding() const { return FState == TAutoState::Holding; }
    // What the run's end puts back: Activate when this holds items that were
    // active before it.
    TAutoStep AtEnd() const;

private:
    TAutoState FState = TAutoState::Idle;
    bool FActiveBefore = false;
};

// On battery below the floor, keep-awake and the triggers let go; they come
// back once the charge is kBatteryFloorMargin points above it, or on mains.
constexpr uint32_t kBatteryFloorMargin = 5;
class TBatteryFloor {
public:
    // `floor` 0 is none; `percent` the charge as the system reports it.
    bool Update(uint32_t floor, uint32_t percent, bool onMains);
    bool Holds() const { return FHolds; }

private:
    bool FHolds = false;
};

// What the system says of its sleep and of the display's power.
enum class TPowerEvent { Suspend, ResumeAutomatic, ResumeSuspend, DisplayOff, DisplayOn };

// The system ends every power request when it sleeps, and says nothing of
// it: the requests must be taken anew once it is back. A resume is told
// twice (automatic, then after the user's input) and, under Modern Standby,
// late or not at all; the display coming back on stands in for it. A
// sleep is always told before it (or the display goes dark), so the
// requests are taken anew once per sleep, at the first sign of the return.
class TRequestRenewal {
public:
    // Whether the requests must be taken anew now.
    bool Renew(TPowerEvent event);

private:
    bool FDue = false;  // a sleep or a dark display since the last renewal
};

// Everything the arbiter decides from, each source one field.
struct TArbiterFacts {
    // The triggers against the user's commands (TAutoDeactivation).
    TAutoState Automatic = TAutoState::Idle;
    std::wstring TriggerCause;     // the holding trigger's, while Automatic holds
    bool PeriodRunning = false;    // a deactivate-for period or an Until… runs
    std::wstring PeriodEnd;        // its end as shown, "17:30:00"
    bool Activated = true;         // the managed items as the last step left them
    bool ManageScreenSaver = true, ManagePowerOff = true;
    bool UpdateSettings = false;   // "Update Windows configuration"
    bool KeepAwake = true;         // Triggers\KeepAwake
    bool SessionLocked = false;
    bool LetDisplaySleepWhenLocked = true;
    // The power plan itself holds the power-off at "never": the run is on a
    // plan and its write took (a policy can refuse it).
    bool PlanKeepsDisplayOn = false;
    // A policy sets the display time-out: the plan's "never" may not hold.
    bool PolicySetsDisplayTimeout = false;
    // A Modern Standby system on battery: it ends the computer's request
    // 5 minutes after its sleep time-out, and only a lit display keeps it up.
    bool StandbyOnBattery = false;
    // The machine locks after a time without input (a policy).
    bool InactivityLock = false;
    bool BatteryLow = false;  // the battery floor holds
    bool Ended = false;
};

// What must hold now.
struct TArbiterDecision {
    // Changes may go into the user's profile (never an automatic one's).
    bool WriteForGood = false;
    // The computer must not sleep by itself; the display must not power off
    // (which also holds off the screen saver and the automatic lock).
    bool HoldSystem = false, HoldDisplay = false;
    // What the system shows for the request (`powercfg /requests`).
    std::wstring AwakeReason;
    // The computer is held, not the display, where that does not keep it up.
    bool MaySleep = false;
    friend bool operator==(const TArbiterDecision&, const TArbiterDecision&) = default;
};

TArbiterDecision Arbitrate(const TArbiterFacts& facts);

}  // namespace lumivane
