#pragma once
// Who decides what is in force. Many things want the managed items off or
// the display awake: the user's commands and their periods, the automatic
// triggers, the session's lock. Each is a fact here, and one function over
// all the facts says what must hold now; the managed configuration applies
// it. A new source is a new fact and new rows, not a branch elsewhere.
#include <string>

#include "config/Triggers.h"

namespace lumivane {

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
    bool Ended = false;
};

struct TArbiterDecision {
    // Changes may go into the user's profile (never an automatic one's).
    bool WriteForGood = false;
    // The computer must not sleep by itself; the display must not power off
    // (which also holds off the screen saver and the automatic lock).
    bool HoldSystem = false, HoldDisplay = false;
    // What the system shows for the request (`powercfg /requests`).
    std::wstring AwakeReason;
    friend bool operator==(const TArbiterDecision&, const TArbiterDecision&) = default;
};

TArbiterDecision Arbitrate(const TArbiterFacts& facts);

}  // namespace lumivane
