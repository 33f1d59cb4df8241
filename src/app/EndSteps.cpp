#include "app/EndSteps.h"

namespace lumivane {

TEndPlan PlanEndSteps(const TEndInputs& in) {
    TEndPlan plan;
    // A timer that fires after the end steps (the watchdog, the end of a
    // deactivate-for period) would write its values into a plan that
    // outlives the session.
    plan.StopTimers = true;
    // The session may end while the continuous-mode dialog is open, and its
    // own put-back may never come.
    plan.UndoContinuousMode = in.ContinuousModeRunning;
    plan.RestoreInitial = in.RestoreOption;
    // Temporary changes to the plan were to last no longer than the program:
    // after this end no next start may ever come (the uninstaller, say).
    // The continuous run's short time-out is always temporary.
    plan.UndoPlanChanges = in.TemporaryPlanChanges || in.ContinuousModeRunning;
    // Every change this run made is either put back now or meant to stay;
    // what the system refused to take back stays in it for the next start.
    plan.RemoveJournal = true;
    return plan;
}

std::vector<TPlanChange> RunEndSteps(const TEndStepsDeps& d) {
    const TEndPlan plan = PlanEndSteps(
        {d.Options.RestoreConfiguration(), d.Journal.TemporaryPlanChanges(), d.Config.FContinuousModeRunning});
    if (plan.StopTimers) {
        d.Config.Shutdown();
        d.Commands.TimerPowerOff().SetEnabled(false);
    }
    if (plan.UndoContinuousMode) d.Commands.EndContinuousMode();
    d.Config.FormDestroy(plan.RestoreInitial);
    if (plan.UndoPlanChanges) d.Journal.UndoPlanChanges();
    if (d.SaveOptions) d.SaveOptions();
    return plan.RemoveJournal ? d.Journal.Remove() : std::vector<TPlanChange>{};
}

}  // namespace lumivane
