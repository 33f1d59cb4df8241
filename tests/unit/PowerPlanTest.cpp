// The monitor power-off on the power plan: whole runs of the program's core
// against a fake of the system's power functions. The user's plan holds
// 900 s on mains power and 180 s on battery; every path out must leave
// exactly that behind.
#include <gtest/gtest.h>

#include <functional>

#include "app/EndSteps.h"
#include "config/RestoreJournal.h"
#include "fakes/FakeCore.h"
#include "fakes/FakePowerPlan.h"
#include "fakes/FakeProcesses.h"
#include "fakes/FakeRegistry.h"
#include "options/OptionsStore.h"

namespace lumivane::test {
namespace {

// The machine: one plan and one registry that every run shares.
struct TMachine {
    TFakeSystemParameters spi;
    TFakePowerPlan functions;
    TFakeRegistry registry;
    TPlanMarkers planMarkers;
};

// What one run of the program has of its own on the machine.
struct TRunSeams {
    TRunSeams(TMachine& m, uint32_t pid) : machine(m) { processes.Pid = pid; }
    TMachine& machine;
    TFakeProcesses processes{&machine.planMarkers};
    TPowerPlanParameters params{machine.spi, machine.functions};
    TJournalledParameters journal{params, params, machine.registry, processes};
    TMainForm form;
    TRequestsLog requests;
    TDialogLog dialog;
    TStarterLog starter;
};

// One run of the program on the machine, as the composition wires it.
struct TRun : TRunSeams, TWiredCore {
    explicit TRun(TMachine& m, uint32_t pid = 42)
        : TRunSeams(m, pid), TWiredCore(journal, form, form, requests, dialog, starter, journal) {}
    TRecovery recovery;

    void Start(bool restoreOption = true) {
        form.SetChecked(TControlId::cbRestoreConfiguration, restoreOption);
        form.SetChecked(TControlId::cbManagePowerOff, true);
        form.SetChecked(TControlId::cbContinuousMode, true);
        recovery = RecoverFromJournal(machine.registry, processes, params, params, restoreOption);
        config.FormCreate();
        journal.SetInitial(config.FInitialConfiguration);
        journal.Inherit(recovery.NotPutBack);
    }
    std::vector<TPlanChange> End() { return RunEndSteps({config, commands, journal, form, nullptr}); }
    bool HasJournal() { return machine.registry.Has(kOptionsKey, JournalValueName(processes.Session)); }
};

using TValues = TFakePowerPlan::TValues;
const TValues kUser{900, 180}, kOther{1200, 900};  // plan 1, active at the start, and plan 2

constexpr uint32_t kTicks = 3 * kCheckConfigurationInterval;

// Deactivated and preserved, the user switches to plan 2 and the watchdog ticks.
void SwitchWhilePreserved(TRun& r) {
    r.form.SetChecked(TControlId::cbPreserveConfiguration, true);
    r.config.actDeactivateExecute();
    r.machine.functions.Active = TPlanId{2};
    r.timers.Advance(kTicks);
}

TEST(PowerPlan, EveryPathOutPutsBothOfTheUsersValuesBack) {
    const struct {
        const char* Path;
        bool RestoreOption;
        std::function<void(TRun&)> Steps;
        TValues Expected = kUser, AtStart = kUser, Other = kOther;  // plan 1 at the end and at the start; plan 2
        bool Killed = false;  // no end steps: the next start puts back
        const wchar_t* Balloon = nullptr;  // the balloon after a kill, where it matters
        int KillAfterWrite = 0;  // killed right after the plan's n-th value is written
        bool RefusedAtExit = false, RefusedAtRecovery = false;  // the plan keeps what the run wrote
    } paths[] = {
        {"continuous power-off while deactivated, then Activate", true,
         [](TRun& r) {
             r.config.actDeactivateExecute();
             r.commands.actPowerOffExecute();
             r.config.actActivateExecute();
         }},
        {"continuous power-off while deactivated, then Exit", true,
         [](TRun& r) {
             r.config.actDeactivateExecute();
             r.commands.actPowerOffExecute();
         }},
        {"a change of power source while the continuous dialog is open", true,
         [](TRun& r) {
             r.dialog.WhileOpen = [&] {
                 r.machine.functions.Battery = true;
                 r.params.Refresh();
             };
             r.commands.actPowerOffExecute();
         }},
        {"continuous screen saver while deactivated, then Activate", true,
         [](TRun& r) {
             r.config.actDeactivateExecute();
             r.commands.actScreenSaverExecute();
             r.config.actActivateExecute();
         }},
        {"Exit with the restore option off after a temporary Deactivate", false,
         [](TRun& r) { r.config.actDeactivateExecute(); }},
        // Permanent changes follow the option, also when continuous mode ran
        // over them: its put-back keeps them permanent.
        {"Exit with the restore option off after a permanent Deactivate and continuous mode", false,
         [](TRun& r) {
             r.form.SetChecked(TControlId::cbUpdateSettings, true);
             r.config.actDeactivateExecute();
             r.form.SetChecked(TControlId::cbUpdateSettings, false);
             r.commands.actPowerOffExecute();
         },
         {0, 0}},
        {"a refused put-back, then one that goes through", true,
         [](TRun& r) {
             // The user's values as Deactivate found them, not as the start did.
             r.machine.functions.Plans[TPlanId{1}] = {1200, 300};
             r.config.actDeactivateExecute();
             r.machine.functions.RefuseWrites = true;
             r.config.actActivateExecute();
             r.machine.functions.RefuseWrites = false;
             r.config.actActivateExecute();
             EXPECT_EQ(r.machine.functions.Values(), (TValues{1200, 300})) << "Activate, before any end step";
         },
         {1200, 300}},
        {"the session ends inside continuous mode", true,
         [](TRun& r) {
             r.dialog.WhileOpen = [&] { r.End(); };
             r.commands.actPowerOffExecute();
         }},
        {"mains at \"never\": Deactivate switches battery off too, Activate puts both back", true,
         [](TRun& r) {
             r.config.actDeactivateExecute();
             EXPECT_EQ(r.machine.functions.Values(), (TValues{0, 0})) << "unplugged, the display stays on";
             r.config.actActivateExecute();
             EXPECT_EQ(r.machine.functions.Values(), (TValues{0, 180})) << "Activate, before any end step";
         },
         {0, 180}, {0, 180}},
        {"battery at \"never\", preserved: unplugging writes nothing on any tick", true,
         [](TRun& r) {
             r.form.SetChecked(TControlId::cbPreserveConfiguration, true);
             r.config.actActivateExecute();
             r.machine.functions.Battery = true;
             r.machine.registry.Writes = 0;
             r.timers.Advance(kTicks);
             EXPECT_EQ(r.machine.functions.Writes + r.machine.registry.Writes, 0) << "no plan or journal write";
         },
         {900, 0}, {900, 0}},
        {"Activate, nothing remembered, at \"never\": the values first seen; after a switch no other plan's", false,
         [](TRun& r) {
             r.form.SetChecked(TControlId::cbUpdateSettings, true);
             r.machine.functions.Plans = {{TPlanId{1}, {0, 0}}, {TPlanId{2}, {0, 900}}};
             r.config.actActivateExecute();
             r.machine.functions.Active = TPlanId{2};
             r.config.actActivateExecute();
         },
         kUser, kUser, {kDefaultTimeoutAc, 900}},
        {"a plan switched while deactivated, then Exit with Update and Restore on exit", true,
         [](TRun& r) {
             r.form.SetChecked(TControlId::cbUpdateSettings, true);
             r.config.actDeactivateExecute();
             r.machine.functions.Active = TPlanId{2};
         }},
        {"a plan switched while deactivated and preserved: the new one is deactivated, the old never written", true,
         [](TRun& r) {
             SwitchWhilePreserved(r);
             EXPECT_EQ(r.machine.functions.Values(2), (TValues{0, 0}));
             EXPECT_EQ(r.machine.functions.Writes, 4) << "each plan's two values, once";
             r.config.actActivateExecute();
             EXPECT_EQ(r.machine.functions.Values(2), kOther) << "Activate, before any end step";
         }},
        {"a plan switched while deactivated and preserved, then killed", true, SwitchWhilePreserved, kUser, kUser,
         kOther, true,
         L"Lumivane did not end normally last time. Put back: monitor power-off 20 min on mains power, 15 min on battery."},
        {"a plan switched while the continuous dialog is open inside a deactivation, then killed", true,
         [](TRun& r) {
             r.config.actDeactivateExecute();
             r.dialog.WhileOpen = [&] { r.machine.functions.Active = TPlanId{2}, r.params.Refresh(); };
             r.commands.actPowerOffExecute();
         },
         kUser, kUser, kOther, true},
        {"the user's battery value changed while deactivated, Deactivate again, then killed", true,
         [](TRun& r) {
             r.config.actDeactivateExecute();
             r.machine.functions.Plans[TPlanId{1}].Dc = 600;
             r.config.actDeactivateExecute();
         },
         {900, 600}, kUser, kOther, true},
        {.Path = "killed between the plan's two writes", .RestoreOption = false,
         .Steps = [](TRun& r) { r.config.actDeactivateExecute(); }, .Killed = true, .KillAfterWrite = 1},
        {.Path = "killed right after the plan's two writes", .RestoreOption = false,
         .Steps = [](TRun& r) { r.config.actDeactivateExecute(); }, .Killed = true, .KillAfterWrite = 2},
        {.Path = "the put-back refused at Exit", .RestoreOption = false,
         .Steps = [](TRun& r) { r.config.actDeactivateExecute(); }, .RefusedAtExit = true},
        {.Path = "the put-back refused at Exit and at the next start", .RestoreOption = false,
         .Steps = [](TRun& r) { r.config.actDeactivateExecute(); }, .RefusedAtExit = true, .RefusedAtRecovery = true},
    };
    for (const auto& p : paths) {
        TMachine machine;
        machine.functions.Plans[TPlanId{1}] = p.AtStart;
        const bool lost = p.Killed || p.RefusedAtExit;  // the next start has something to put back
        {
            TRun run(machine);
            run.Start(p.RestoreOption);
            machine.functions.KillAfterWrites = p.KillAfterWrite;
            try {
                p.Steps(run);
            } catch (const TFakePowerPlan::TKilled&) {
            }
            machine.functions.RefuseWrites = p.RefusedAtExit;
            if (!p.Killed) { EXPECT_EQ(run.End().empty(), !p.RefusedAtExit) << p.Path << ": what is not back"; }
            EXPECT_EQ(run.HasJournal(), lost) << p.Path << ": a clean end leaves no journal";
        }
        machine.functions.RefuseWrites = p.RefusedAtRecovery;
        TRun next(machine, 43);
        next.Start(p.RestoreOption);
        EXPECT_EQ(next.recovery.NotPutBack.empty(), !p.RefusedAtRecovery) << p.Path;
        EXPECT_EQ(RecoveryProblemText(next.recovery).find(L"powercfg /setdcvalueindex ") != std::wstring::npos,
                  p.RefusedAtRecovery) << p.Path;
        // The plan by the GUID powercfg takes: three little-endian numbers, then bytes.
        EXPECT_EQ(PlanGuidText({0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE, 1, 2, 3, 4, 5, 6, 7, 0xFF}),
                  L"12345678-9abc-def0-0102-0304050607ff");
        if (p.RefusedAtRecovery) {
            EXPECT_TRUE(next.HasJournal()) << p.Path << ": kept until it is back";
            EXPECT_EQ(machine.functions.Values(), (TValues{0, 0})) << p.Path;
            machine.functions.RefuseWrites = false;
            EXPECT_TRUE(next.End().empty()) << p.Path << ": the start's run tries again at its end";
            EXPECT_FALSE(next.HasJournal()) << p.Path;
        }
        EXPECT_EQ(machine.functions.Values(), p.Expected) << p.Path;
        EXPECT_EQ(machine.functions.Values(2), p.Other) << p.Path << ": the other plan";
        EXPECT_EQ(RecoveryText(next.recovery).empty(), !lost || p.RefusedAtRecovery) << p.Path << ": a balloon only after a kill";
        if (p.Balloon) { EXPECT_EQ(RecoveryText(next.recovery), p.Balloon) << p.Path; }
    }
}

TEST(PowerPlan, TheJournalIsOnTheDiskBeforeThePlansFirstWriteAndThePlanBeforeTheJournalGoes) {
    TMachine machine;
    std::vector<std::wstring> log;
    TRun run(machine);
    run.Start();
    machine.registry.Log = &log;
    machine.functions.Log = &log;
    run.config.actDeactivateExecute();
    run.config.actDeactivateExecute();  // the plan is the run's already: no second flush
    run.End();
    const std::wstring flush = L"flush " + std::wstring(kOptionsKey);
    const auto first = [&](const std::wstring& entry) { return std::find(log.begin(), log.end(), entry) - log.begin(); };
    EXPECT_LT(first(flush), first(L"plan write")) << "the way back on the disk first";
    EXPECT_EQ(std::count(log.begin(), log.end(), flush), 1) << "once per plan, not per change";
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ((std::vector<std::wstring>(log.end() - 2, log.end())),
              (std::vector<std::wstring>{L"plan flush", L"delete " + JournalValueName(1)}));
    // A journal that cannot be written: the machine-wide plan is left alone.
    TRun refused(machine, 44);
    refused.Start();
    machine.registry.WritesAllowed = machine.registry.Writes;
    refused.config.actDeactivateExecute();
    EXPECT_EQ(machine.functions.Values(), kUser);
    EXPECT_TRUE(refused.params.Unrecorded()) << "the status says so";
}

TEST(PowerPlan, ALostRunsPermanentChangeFollowsTheOptionAndATemporaryOneComesBackAlways) {
    const struct {
        bool Permanent, RestoreOption;
        TValues After;
    } rows[] = {{true, false, {0, 0}}, {true, true, kUser}, {false, false, kUser}};
    for (const auto& r : rows) {
        TMachine machine;
        {
            TRun run(machine);
            run.Start(r.RestoreOption);
            run.form.SetChecked(TControlId::cbUpdateSettings, r.Permanent);
            run.config.actDeactivateExecute();
        }  // killed
        TRun next(machine, 43);
        next.Start(r.RestoreOption);
        EXPECT_EQ(machine.functions.Values(), r.After) << r.Permanent << r.RestoreOption;
    }
}

TEST(PowerPlan, PowerFunctionsThatFailAreNeverTakenForAnAnswer) {
    TFakePowerPlan functions;
    TFakeSystemParameters spi;
    TPowerPlanParameters params{spi, functions};
    EXPECT_EQ(GetPowerOffTimeout(params), 900) << "the mains value, read through the routines";
    // A write into a plan that is not the active one never switches plans.
    EXPECT_TRUE(WritePlan(functions, {TPlanId{2}, 60, 60}));
    EXPECT_EQ(functions.Applied, 0);
    EXPECT_EQ(functions.Active, TPlanId{1});
    for (const uint32_t on : {0u, 1u, 1u}) EXPECT_TRUE(params.Call(spi::kSetPowerOffActive, on, nullptr, 0)) << on;
    functions.FailBatteryReads = true;
    EXPECT_FALSE(PowerPlanAnswers(functions)) << "a plan whose battery value cannot be read";
    params.Refresh();
    EXPECT_FALSE(params.Current().has_value());
    EXPECT_FALSE(params.Call(spi::kSetPowerOffTimeout, 60, nullptr, 0));
    int32_t seconds = 0;
    EXPECT_FALSE(params.Call(spi::kGetPowerOffTimeout, 0, &seconds, 0)) << "no plan read: no answer";
    EXPECT_EQ(functions.Values(), kUser) << "nothing written";
}

TEST(PowerPlan, AKilledRunsValuesComeBackOnBothSourcesAtTheNextStart) {
    TMachine machine;
    {
        TRun run(machine);
        run.Start();
        run.config.actDeactivateExecute();
        ASSERT_EQ(machine.functions.Values(), (TValues{0, 0}));
    }  // killed: no end steps
    machine.functions.Battery = true;
    TRun next(machine, 43);
    next.Start();
    EXPECT_EQ(machine.functions.Values(), kUser);
    EXPECT_EQ(RecoveryText(next.recovery),
              L"Lumivane did not end normally last time. Put back: monitor power-off 15 min on mains power, "
              L"3 min on battery.");
    EXPECT_FALSE(next.HasJournal());
    // A value the user changed since stays as it is: only the other comes back.
    {
        TRun run(machine, 44);
        run.Start();
        run.config.actDeactivateExecute();
    }
    machine.functions.Plans[TPlanId{1}].Dc = 600;
    TRun third(machine, 45);
    third.Start();
    EXPECT_EQ(machine.functions.Values(), (TValues{900, 600}));
}

TEST(PowerPlan, AfterTheSessionsEndNoTimerWritesAnyMore) {
    TMachine machine;
    TRun run(machine);
    run.Start();
    run.form.SetChecked(TControlId::cbPreserveConfiguration, true);
    run.config.actDeactivateForExecute(kDeactivateForTags[0]);
    run.form.SetChecked(TControlId::cbContinuousMode, false);
    run.commands.actPowerOffExecute();  // arms the second power-off request
    run.End();
    EXPECT_FALSE(run.timers.Running(run.config.TimerDisableFor()));
    EXPECT_FALSE(run.timers.Running(run.config.TimerCheckConfiguration()));
    EXPECT_FALSE(run.timers.Running(run.commands.TimerPowerOff()));
    EXPECT_EQ(machine.functions.Values(), kUser);
    machine.functions.Plans[TPlanId{1}] = {0, 0};  // whatever happens meanwhile is not the run's to undo
    run.clock.Wall += kDeactivateForTags[0];
    run.timers.Advance(kDeactivateForTags[0]);
    EXPECT_EQ(machine.functions.Values(), (TValues{0, 0})) << "neither the watchdog nor the period's end wrote";
    run.commands.actPowerOffExecute();  // a hot key while Windows ends the session
    run.config.actDeactivateForExecute(kDeactivateForTags[0]);
    EXPECT_EQ(machine.functions.Values(), (TValues{0, 0})) << "nor any command";
}

TEST(PowerPlan, AwayFromItsSessionACopyChangesNothingUntilTheUserIsBack) {
    TMachine machine;
    TRun run(machine);
    run.Start();
    run.form.SetChecked(TControlId::cbPreserveConfiguration, true);
    run.config.actDeactivateForExecute(kDeactivateForTags[0]);
    run.config.SetSessionConnected(false);
    // The other session's user puts the display time-out back on.
    machine.functions.Plans[TPlanId{1}] = {600, 300};
    run.clock.Wall += kDeactivateForTags[0];
    run.timers.Advance(kDeactivateForTags[0] + 1000);
    EXPECT_EQ(machine.functions.Values(), (TValues{600, 300})) << "no watchdog, no end of the period";
    run.config.SetSessionConnected(true);
    run.timers.Advance(kCheckConfigurationInterval);
    EXPECT_FALSE(run.config.DeactivateForRunning()) << "the period ends once the user is back";
}

TEST(PowerPlan, ACopyInAnotherSessionNeverBringsBackTheFirstCopysChange) {
    TMachine machine;
    TRun first(machine, 42);
    first.Start();
    first.config.actDeactivateExecute();  // the first user presents
    // The second user logs on: the first session is no longer connected.
    first.config.SetSessionConnected(false);
    TRun second(machine, 43);
    second.processes.Session = 2;
    second.processes.Markers = {42};  // the first run goes on
    second.Start();
    EXPECT_EQ(second.recovery.Kind, TRecovery::TKind::LeftAlone) << "the same user's live copy keeps its journal";
    // Back to the first user, who activates and later leaves.
    second.config.SetSessionConnected(false);
    first.config.SetSessionConnected(true);
    first.config.actActivateExecute();
    first.End();
    ASSERT_EQ(machine.functions.Values(), kUser);
    // The second copy ends with "Restore initial configuration on exit",
    // its changes made for good.
    second.form.SetChecked(TControlId::cbUpdateSettings, true);
    second.End();
    EXPECT_EQ(machine.functions.Values(), kUser) << "the first copy's \"never\" is no start-up value of the second";
}

// A plan already at "never" on both sources: the switch-off is done without
// a write. A put-back says whether it happened.
TEST(PowerPlan, APlanAlreadyOffOnBothSourcesIsNotWrittenAgainAndAPutBackSaysWhetherItHappened) {
    TFakeSystemParameters spi;
    TFakePowerPlan functions;
    functions.Plans[functions.Active] = {0, 0};
    TPowerPlanParameters plan(spi, functions);
    for (const uint32_t action : {spi::kSetPowerOffActive, spi::kSetLowPowerActive})
        EXPECT_TRUE(plan.Call(action, 0, nullptr, 0)) << action;
    EXPECT_EQ(functions.Writes, 0);
    EXPECT_EQ(functions.Plans[functions.Active], (TFakePowerPlan::TValues{0, 0}));
    EXPECT_FALSE(plan.PutBack({})) << "nothing marked";
    EXPECT_TRUE(plan.PutBack({TPlanSnapshot{functions.Active, 600, 300}, {}, false}));
    EXPECT_EQ(functions.Plans[functions.Active], (TFakePowerPlan::TValues{600, 300}));
    functions.RefuseWrites = true;
    EXPECT_FALSE(plan.PutBack({TPlanSnapshot{functions.Active, 900, 180}, {}, false})) << "refused";
}

TEST(PowerPlan, ATickReadsThePlanOnce) {
    TMachine machine;
    TRun run(machine);
    run.Start();
    run.form.SetChecked(TControlId::cbPreserveConfiguration, true);
    run.config.actActivateExecute();
    machine.functions.Calls = 0;
    run.timers.Advance(kCheckConfigurationInterval);
    EXPECT_LE(machine.functions.Calls, 4) << "the active plan, two values and the power source";
}

}  // namespace
}  // namespace lumivane::test
