#pragma once
// What the end of a run does with the display-power settings and the
// journal, decided in one place from one set of inputs, whichever way the
// run ends: Exit, a close message (the installer closing the copy), or the
// session's end, which asks for nothing different.
#include <functional>

#include "commands/DisplayCommands.h"
#include "config/RestoreJournal.h"

namespace lumivane {

struct TEndInputs {
    bool RestoreOption = false;          // "Restore initial configuration on exit"
    // The run's own values are in force in the power plan, the last of them
    // written without "Update Windows configuration". The plan is
    // machine-wide and persistent: nothing but this run would undo them.
    bool TemporaryPlanChanges = false;
    bool ContinuousModeRunning = false;  // its dialog is still open
};

struct TEndPlan {
    bool StopTimers = false;          // first: nothing may write after the end steps
    bool UndoContinuousMode = false;  // its short time-out back, before anything else
    bool RestoreInitial = false;      // the start-up configuration back
    bool UndoPlanChanges = false;     // the user's plan values back, whatever the option
    bool RemoveJournal = false;       // a clean end leaves none, but for what is not back
    friend bool operator==(const TEndPlan&, const TEndPlan&) = default;
};

TEndPlan PlanEndSteps(const TEndInputs& in);

struct TEndStepsDeps {
    TManagedConfiguration& Config;
    TDisplayCommands& Commands;
    TJournalledParameters& Journal;
    IConfigurationOptions& Options;
    std::function<void()> SaveOptions;
};

// The end steps as decided, in their order; the caller runs them once.
// Returns the plan changes the system refused to take back.
std::vector<TPlanChange> RunEndSteps(const TEndStepsDeps& deps);

}  // namespace lumivane
