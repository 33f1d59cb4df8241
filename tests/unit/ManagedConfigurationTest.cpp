#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/ManagedConfiguration.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePowerPlan.h"
#include "fakes/FakeSystemParameters.h"
#include "fakes/FakeTimerService.h"

namespace lumivane::test {
namespace {

using Calls = std::vector<TSpiCall>;
constexpr uint32_t kHour = 3600000;

struct ManagedConfigurationTest : ::testing::Test {
    TFakeSystemParameters spi;
    TFakeOptions options;
    TFakeTimerService timers;
    TFakeClock clock;
    TStatusCounter status;
    TFakePump pump;
    TNoPowerPlan noPlan;
    TManagedConfiguration config{{spi, options, timers, clock, status, pump, noPlan}};

    void Start(const TDisplayPowerConfiguration& initial) {
        spi.SetConfiguration(initial);
        config.FormCreate();
        spi.Calls.clear();
        status.Count = 0;
    }
    int Activations() const {  // Activate runs = sets of the screen-saver flag to on
        int n = 0;
        for (const auto& c : spi.Sets()) n += c.Action == spi::kSetScreenSaveActive && c.UiParam == 1;
        return n;
    }
};

TEST_F(ManagedConfigurationTest, CreationCapturesTheInitialConfiguration) {
    const struct {
        TDisplayPowerConfiguration Initial;
        bool Activated;
    } cases[] = {
        {{{false, 600}, {true, 1200}}, true},  // power-off alone counts as active
        {{{true, 60}, {false, 0}}, true},
        {{{false, 600}, {false, 1200}}, false},
    };
    for (const auto& c : cases) {
        config.FPreserving = true;
        config.FContinuousModeRunning = true;
        Start(c.Initial);
        EXPECT_EQ(config.FInitialConfiguration, c.Initial);
        EXPECT_EQ(config.FPreservedConfiguration, c.Initial);
        EXPECT_FALSE(config.FPreserving);
        EXPECT_FALSE(config.FContinuousModeRunning);
        EXPECT_EQ(config.FActivated, c.Activated);
    }
}

TEST_F(ManagedConfigurationTest, ActivateAndDeactivateSwitchOnlyManagedItems) {
    for (bool v : {true, false}) {
        for (int mask = 0; mask < 4; ++mask) {
            for (bool update : {false, true}) {
                SCOPED_TRACE(testing::Message() << "v=" << v << " mask=" << mask << " update=" << update);
                Start({{!v, 600}, {!v, 1200}});
                options.Manage[0] = mask & 1;
                options.Manage[1] = mask & 2;
                options.Update = update;
                options.Preserve = mask == 3;
                v ? config.actActivateExecute() : config.actDeactivateExecute();
                const uint32_t on = v ? 1 : 0, ini = update ? 1 : 0;
                Calls expected;
                if (mask & 1) expected.push_back({spi::kSetScreenSaveActive, on, ini});
                if (mask & 2) {
                    expected.push_back({spi::kSetPowerOffActive, on, ini});
                    expected.push_back({spi::kSetLowPowerActive, on, ini});
                }
                EXPECT_EQ(spi.Sets(), expected) << "flags only, never a time-out";
                EXPECT_EQ(config.FPreservedConfiguration, spi.Configuration());
                EXPECT_EQ(config.FActivated, v);
                EXPECT_EQ(config.FPreserving, mask == 3);
                EXPECT_EQ(status.Count, 1);
                options = TFakeOptions{};
                config.FPreserving = false;
            }
        }
    }
}

TEST_F(ManagedConfigurationTest, NothingHappensWhileContinuousModeRuns) {
    Start({{true, 600}, {true, 1200}});
    config.FContinuousModeRunning = true;
    config.actDeactivateExecute();
    EXPECT_TRUE(spi.Calls.empty());
    EXPECT_TRUE(config.FActivated);
    EXPECT_EQ(status.Count, 0);
}

TEST_F(ManagedConfigurationTest, DeactivateForEndsWithActivate) {
    Start({{true, 600}, {true, 1200}});
    clock.ChangeAt = clock.Wall + kHour / 2;  // the clocks go back within the period: the end shows an hour less
    clock.ChangeMs = -3'600'000;
    config.actDeactivateForExecute(kHour);
    EXPECT_FALSE(spi.ScreenSaverActive);
    EXPECT_TRUE(config.DeactivateForRunning());
    EXPECT_EQ(config.FDeactivatedUntil, L"14:05:20");
    timers.Advance(kHour - 1);
    EXPECT_FALSE(spi.ScreenSaverActive);
    timers.Advance(1);
    EXPECT_TRUE(spi.ScreenSaverActive && spi.LowPowerActive);
    EXPECT_FALSE(config.DeactivateForRunning());
    EXPECT_EQ(config.TimerDisableFor().Interval(), 0u);
    EXPECT_EQ(config.FDeactivatedUntil, L"14:05:20") << "kept, only no longer shown";
    timers.Advance(10 * kHour);
    EXPECT_EQ(Activations(), 1);
}

TEST_F(ManagedConfigurationTest, DeactivateForReplacesRunningPeriod) {
    Start({{true, 600}, {true, 1200}});
    config.actDeactivateForExecute(kHour);
    timers.Advance(10 * 60000);
    clock.Time = {14, 15, 20, 0};
    spi.Calls.clear();
    config.actDeactivateForExecute(2 * kHour);
    // The running period ends as if it had expired: Activate, then Deactivate.
    EXPECT_EQ(spi.Sets(), (Calls{{17, 1, 0}, {86, 1, 0}, {85, 1, 0},
                                 {17, 0, 0}, {86, 0, 0}, {85, 0, 0}}));
    EXPECT_EQ(config.FDeactivatedUntil, L"16:15:20");
    timers.Advance(2 * kHour - 1);
    EXPECT_FALSE(spi.ScreenSaverActive) << "the new period counts from the second choice";
    timers.Advance(1);
    EXPECT_TRUE(spi.ScreenSaverActive);
}

TEST_F(ManagedConfigurationTest, ActivateOrDeactivateCancelsThePeriod) {
    for (bool activate : {true, false}) {
        Start({{true, 600}, {true, 1200}});
        config.actDeactivateForExecute(kHour);
        activate ? config.actActivateExecute() : config.actDeactivateExecute();
        EXPECT_FALSE(config.DeactivateForRunning());
        const bool stateAfter = spi.ScreenSaverActive;
        timers.Advance(5 * kHour);
        EXPECT_EQ(spi.ScreenSaverActive, stateAfter) << "no Activate follows later";
    }
}

// The computer is kept awake only while a period runs, and let go on every
// way it can end; a plain Deactivate has no end and takes nothing.
TEST_F(ManagedConfigurationTest, APeriodKeepsTheComputerAwakeUntilItEndsWhicheverWay) {
    using Steps = std::vector<std::string>;
    const std::string hold = "hold Lumivane: deactivated until 02:00:00, display";
    struct TCase {
        const char* Name;
        std::function<void(TManagedConfiguration&, TFakeTimerService&)> End;
        Steps Expected;
    } cases[] = {
        {"the period's end", [](auto&, auto& t) { t.Advance(kHour); }, {hold, "release"}},
        {"Activate", [](auto& c, auto&) { c.actActivateExecute(); }, {hold, "release"}},
        {"Deactivate", [](auto& c, auto&) { c.actDeactivateExecute(); }, {hold, "release"}},
        {"restore", [](auto& c, auto&) { c.actRestoreConfigurationExecute(); }, {hold, "release"}},
        {"the run's end", [](auto& c, auto&) { c.Shutdown(); }, {hold, "release"}},
        {"the option off", [](auto& c, auto&) { c.SetKeepAwake(false); }, {hold, "release"}},
        {"a new period", [](auto& c, auto&) { c.actDeactivateForExecute(2 * kHour); },
         {hold, "release", "hold Lumivane: deactivated until 03:00:00, display"}},
        {"a sleep: taken again once", [](auto& c, auto&) { for (auto e : {TPowerEvent::Suspend, TPowerEvent::DisplayOn,
            TPowerEvent::ResumeAutomatic, TPowerEvent::ResumeSuspend, TPowerEvent::DisplayOn}) c.PowerChanged(e); },
         {hold, "release", hold}},
        {"Modern Standby: the display back on", [](auto& c, auto&) { for (auto e : {TPowerEvent::DisplayOff,
            TPowerEvent::DisplayOn, TPowerEvent::ResumeSuspend}) c.PowerChanged(e); }, {hold, "release", hold}},
    };
    for (const auto& c : cases) {
        TAwakeLog awake;
        TManagedConfiguration fresh{{spi, options, timers, clock, status, pump, noPlan}};
        fresh.SetAwakeRequest(awake);
        clock.Time = {1, 0, 0, 0};
        fresh.actDeactivateExecute();
        EXPECT_TRUE(awake.Calls.empty()) << "a plain Deactivate has no end";
        fresh.actDeactivateForExecute(kHour);
        EXPECT_TRUE(fresh.KeptAwake());
        c.End(fresh, timers);
        EXPECT_EQ(awake.Calls, c.Expected) << c.Name;
        EXPECT_EQ(fresh.KeptAwake(), c.Expected.size() == 3) << c.Name;
        fresh.Shutdown();
    }
    // The administrator's KeepAwake, set before the period or arriving while
    // it runs: forced off, nothing is held though the option is on; forced
    // on, the computer is held though the option is off.
    const size_t keepAwake = static_cast<size_t>(TPolicy::KeepAwake);
    const struct {
        std::optional<uint32_t> Before;
        bool Option;
        std::optional<uint32_t> Arriving;
        bool Held;
    } policies[] = {{0, true, {}, false}, {1, false, {}, true}, {{}, true, 0, false}, {{}, false, 1, true}};
    for (const auto& p : policies) {
        TAwakeLog awake;
        TManagedConfiguration fresh{{spi, options, timers, clock, status, pump, noPlan}};
        fresh.SetAwakeRequest(awake);
        fresh.SetKeepAwake(p.Option);
        TPolicies policy;
        policy.Values[keepAwake] = p.Before;
        fresh.SetPolicies(policy);
        fresh.actDeactivateForExecute(kHour);
        policy.Values[keepAwake] = p.Arriving.has_value() ? p.Arriving : p.Before;
        fresh.SetPolicies(policy);
        EXPECT_EQ(fresh.KeptAwake(), p.Held) << p.Before.value_or(9) << p.Option << p.Arriving.value_or(9);
        EXPECT_EQ(awake.Held, p.Held ? 1 : 0) << p.Before.value_or(9) << p.Option << p.Arriving.value_or(9);
        fresh.Shutdown();
    }

    TAwakeLog none;
    none.Answers = false;  // nothing on this system can hold it
    config.SetAwakeRequest(none);
    config.actDeactivateForExecute(kHour);
    EXPECT_FALSE(config.KeptAwake()) << "not claimed when not held";
    config.SetKeepAwake(false);
    config.actDeactivateForExecute(kHour);
    EXPECT_EQ(none.Calls.size(), 1u) << "the option off: never asked";
}

// What is held while a period (F) or a trigger (P) deactivates: the computer
// always; the display only where both items are this program's, nothing
// else keeps it on (a plan that took "never"), and the session is not
// locked (L, U unlocks) unless the user wants the display kept on then too.
// Under Modern Standby on battery (B; M: on mains) only the display keeps
// the computer up: held whatever the plan, else the computer may sleep.
TEST_F(ManagedConfigurationTest, TheDisplayIsHeldOnOnlyWhereNothingElseKeepsItOnAndNotWhileLocked) {
    enum TPlan { None, Takes, Refused, Policy };  // Policy: a policy sets the time-out, the write reads back
    const struct {
        const char* Events;
        bool ManageSs, ManagePo;
        TPlan Plan;
        bool LetSleepWhenLocked, Display;
    } rows[] = {
        {"F", true, true, None, true, true},       {"P", true, true, None, true, true},
        {"F", true, false, None, true, false},     {"F", false, true, None, true, false},
        {"P", false, true, None, true, false},     {"FL", true, true, None, true, false},
        {"PL", true, true, None, true, false},     {"FL", true, true, None, false, true},
        {"FLU", true, true, None, true, true},     {"F", true, true, Takes, true, false},
        {"P", true, true, Takes, true, false},     {"F", true, true, Refused, true, true},
        {"LF", true, true, None, true, false},     {"IF", true, true, None, true, false},
        {"FL", true, true, Takes, false, true},    {"PL", true, true, Takes, false, true},
        {"FLU", true, true, Takes, false, false},  {"F", true, true, Policy, true, true},
        {"BF", true, true, Takes, true, true},     {"BFM", true, true, Takes, true, false},
        {"BF", true, false, Takes, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.Events) + " plan " + std::to_string(row.Plan));
        TFakePowerPlan functions;
        functions.RefuseWrites = row.Plan == Refused;
        if (row.Plan == Policy) functions.PolicySets = true;
        TPowerPlanParameters onPlan{spi, functions};
        ISystemParameters& backend = row.Plan == None ? static_cast<ISystemParameters&>(spi) : onPlan;
        IPowerOffPlan& plan = row.Plan == None ? static_cast<IPowerOffPlan&>(noPlan) : onPlan;
        options.Manage[0] = row.ManageSs;
        options.Manage[1] = row.ManagePo;
        TAwakeLog awake;
        TManagedConfiguration c{{backend, options, timers, clock, status, pump, plan}};
        c.SetAwakeRequest(awake);
        c.SetKeepAwake(true, row.LetSleepWhenLocked);
        spi.SetConfiguration({{true, 600}, {true, 1200}});
        c.FormCreate();
        for (const char* e = row.Events; *e; ++e) switch (*e) {
            case 'F': c.actDeactivateForExecute(kHour); break;
            case 'P': c.SetTriggerCause(L"vlc.exe"); break;
            case 'L': c.SetSessionLocked(true); break;
            case 'U': c.SetSessionLocked(false); break;
            case 'B': c.SetModernStandby(true), c.SetBattery(0, 50, false); break;  // M: on mains again
            case 'M': c.SetBattery(0, 50, true); break;
            case 'I': c.SetPolicies({.InactivityLock = true}); break;  // the machine locks by itself
            }
        EXPECT_EQ(awake.Held, 1) << "the computer is held in every row";
        EXPECT_EQ(awake.Display, row.Display);
        const std::string events = row.Events;
        EXPECT_EQ(c.MaySleep(), events.find('B') != events.npos && events.find('M') == events.npos && !row.Display);
        c.Shutdown();
        EXPECT_EQ(awake.Held, 0);
    }
}

// What a policy makes of the user's deactivations, given and arriving.
TEST_F(ManagedConfigurationTest, AnAdministratorsPolicyRefusesCutsOrEndsADeactivation) {
    TPolicies none, forbidden, twoHours, noAutomatic;
    forbidden.Values[0] = 0;
    twoHours.Values[1] = 120;
    noAutomatic.Values[static_cast<size_t>(TPolicy::AllowAutomaticDeactivation)] = 0;
    const uint64_t h = kHour;
    const struct {
        const char* Case;
        TPolicies Before;
        std::function<void(TManagedConfiguration&)> Command;
        TPolicies After;
        bool Active;
        uint64_t LeftMs;  // of a running period; 0: none
    } rows[] = {
        {"Deactivate refused", forbidden, [](auto& c) { c.actDeactivateExecute(); }, forbidden, true, 0},
        {"a period refused", forbidden, [](auto& c) { c.actDeactivateForExecute(kHour); }, forbidden, true, 0},
        {"a plain one gets an end", twoHours, [](auto& c) { c.actDeactivateExecute(); }, twoHours, false, 2 * h},
        {"a longer one is cut", twoHours, [](auto& c) { c.actDeactivateForExecute(3 * kHour); }, twoHours, false, 2 * h},
        {"a shorter one stays", twoHours, [](auto& c) { c.actDeactivateForExecute(kHour); }, twoHours, false, h},
        {"a running one ends", none, [](auto& c) { c.actDeactivateForExecute(kHour); }, forbidden, true, 0},
        {"a plain one ends", none, [](auto& c) { c.actDeactivateExecute(); }, forbidden, true, 0},
        {"a plain one is given an end", none, [](auto& c) { c.actDeactivateExecute(); }, twoHours, false, 2 * h},
        {"a running one is cut", none, [](auto& c) { c.actDeactivateForExecute(3 * kHour); }, twoHours, false, 2 * h},
        {"an automatic one ends", none, [](auto& c) { c.SetTriggerCause(L"vlc.exe"); }, forbidden, true, 0},
        {"no automatic one: refused", noAutomatic, [](auto& c) { c.SetTriggerCause(L"vlc.exe"); }, noAutomatic, true, 0},
        {"no automatic one: a holding one ends", none, [](auto& c) { c.SetTriggerCause(L"vlc.exe"); }, noAutomatic,
         true, 0},
        {"no automatic one: the user's own stays", noAutomatic, [](auto& c) { c.actDeactivateExecute(); }, noAutomatic,
         false, 0},
        {"no automatic one: a -while job holds", noAutomatic, [](auto& c) { c.SetTriggerCause(L"make.exe", 0, true); },
         noAutomatic, false, 0},
        {"a -while job ends when none is allowed", none, [](auto& c) { c.SetTriggerCause(L"make.exe", 0, true); },
         forbidden, true, 0},
        {"off at the start stays off", none, [](auto&) {}, forbidden, false, 0},
        {"a period just past is not renewed", none,
         [this](auto& c) { c.actDeactivateForExecute(kHour), clock.Wall += kHour; }, twoHours, false, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Case);
        config.SetPolicies(r.Before);
        const bool offAtStart = r.Case == std::string("off at the start stays off");
        Start({{!offAtStart, 600}, {!offAtStart, 1200}});
        r.Command(config);
        config.SetPolicies(r.After);
        EXPECT_EQ(config.FActivated, r.Active);
        EXPECT_EQ(spi.ScreenSaverActive, r.Active);
        EXPECT_EQ(config.DeactivateForRunning() ? config.FDeactivatedUntilMs - clock.Wall : 0, r.LeftMs);
        config.SetPolicies(none);
        config.SetTriggerCause(L"");
        config.actActivateExecute();
    }
}

// On battery below the floor keep-awake and the triggers let go; they come
// back five points above it, or on mains.
TEST_F(ManagedConfigurationTest, TheBatteryFloorLetsGoAndComesBackAboveItsMargin) {
    const struct {
        uint32_t Percent;
        bool OnMains;
        bool Low;
    } steps[] = {{25, false, false}, {19, false, true}, {22, false, true}, {24, false, true},
                 {25, false, false}, {10, true, false}, {10, false, true}};
    TAwakeLog awake;
    config.SetAwakeRequest(awake);
    Start({{true, 600}, {true, 1200}});
    config.SetTriggerCause(L"vlc.exe");
    for (const auto& s : steps) {
        config.SetBattery(20, s.Percent, s.OnMains);
        SCOPED_TRACE(testing::Message() << s.Percent << "% mains " << s.OnMains);
        EXPECT_EQ(awake.Held, s.Low ? 0 : 1);
        EXPECT_EQ(config.AutomaticCause(), s.Low ? L"" : L"vlc.exe") << "the trigger lets go and comes back";
        EXPECT_EQ(config.NotKeptAwakeBelow(), s.Low ? 20u : 0u);
    }
    config.SetBattery(0, 1, false);
    EXPECT_EQ(awake.Held, 1) << "no floor";
}

TEST_F(ManagedConfigurationTest, RestoreLeavesThePeriodRunningAndEndsPreservation) {
    Start({{false, 600}, {true, 1200}});
    options.Preserve = true;
    options.Update = true;
    config.actDeactivateForExecute(kHour);
    bool preservingDuringPump = true;
    pump.Pending = [&] { preservingDuringPump = config.FPreserving; };
    spi.Calls.clear();
    config.actRestoreConfigurationExecute();
    EXPECT_FALSE(preservingDuringPump) << "preservation ends before pending messages run";
    EXPECT_FALSE(config.Restoring()) << "requests are taken again";
    // Initial flags of both items, time-outs untouched.
    EXPECT_EQ(spi.Sets(), (Calls{{17, 0, 1}, {86, 1, 1}, {85, 1, 1}}));
    EXPECT_FALSE(config.FPreserving);
    EXPECT_FALSE(config.FActivated) << "Restore keeps the toggle state";
    EXPECT_TRUE(config.DeactivateForRunning());
    timers.Advance(kHour);
    EXPECT_TRUE(spi.ScreenSaverActive) << "Activate runs when the period ends";
}

TEST_F(ManagedConfigurationTest, LeavingRestoresInitialFlagsOnlyWhenAsked) {
    for (bool restore : {true, false}) {
        Start({{true, 600}, {false, 1200}});
        options.Manage[0] = options.Manage[1] = false;  // managed or not
        options.Restore = restore;
        spi.ScreenSaverActive = false;
        spi.LowPowerActive = spi.PowerOffActive = true;
        spi.Calls.clear();
        config.FormDestroy();
        if (restore)
            EXPECT_EQ(spi.Sets(), (Calls{{17, 1, 0}, {86, 0, 0}, {85, 0, 0}}));
        else
            EXPECT_TRUE(spi.Sets().empty());
    }
}

TEST_F(ManagedConfigurationTest, WatchdogKeepsThePreservedFlags) {
    struct TCase {
        const char* Name;
        bool Managed;
        bool Preserved;
        bool Current;
        int CurrentTimeout;
        bool Reapplied;
        bool ByWindows = false;
    } cases[] = {
        {"managed, switched off by another program", true, true, false, 600, true},
        {"managed, switched on by another program", true, false, true, 600, true},
        {"managed, only the time-out changed", true, true, true, 42, false},
        {"unmanaged, turned on while preserved off", false, false, true, 600, true},
        {"unmanaged, runs as preserved: no churn", false, true, true, 600, false},
        {"unmanaged, turned off", false, true, false, 600, false},
        {"managed, but Windows' policy sets it", true, true, false, 600, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        config.SetPolicies({.ScreenSaverByWindows = c.ByWindows});
        Start({{c.Preserved, 300}, {false, 900}});
        options = TFakeOptions{};
        options.Manage[0] = c.Managed;
        options.Preserve = true;
        options.Update = true;
        config.FPreserving = true;
        spi.ScreenSaverActive = c.Current;
        spi.ScreenSaverTimeout = c.CurrentTimeout;
        spi.Calls.clear();
        timers.Advance(kCheckConfigurationInterval * 4);
        const Calls reapply{{17, c.Preserved ? 1u : 0u, 1}, {15, 300, 1}};
        const Calls sets = spi.Sets();
        if (c.Reapplied) {
            ASSERT_GE(sets.size(), 2u);
            EXPECT_EQ(Calls(sets.begin(), sets.begin() + 2), reapply);
            EXPECT_EQ(spi.ScreenSaverActive, c.Preserved);
        } else {
            EXPECT_TRUE(sets.empty());
        }
        EXPECT_EQ(status.Count, 4) << "the status follows every tick";
    }
}

TEST_F(ManagedConfigurationTest, WatchdogReadsBothItemsBeforeWritingAndIdlesWhenNotPreserving) {
    Start({{true, 300}, {true, 900}});
    config.FPreserving = true;
    spi.ScreenSaverActive = false;
    spi.LowPowerActive = spi.PowerOffActive = false;
    timers.Advance(kCheckConfigurationInterval);
    EXPECT_EQ(spi.Calls, (Calls{{16, 0, 0}, {14, 0, 0}, {83, 0, 0}, {79, 0, 0},
                                {17, 1, 0}, {15, 300, 0},
                                {86, 1, 0}, {85, 1, 0}, {81, 900, 0}}));
    config.FPreserving = false;
    spi.ScreenSaverActive = false;
    spi.Calls.clear();
    timers.Advance(kCheckConfigurationInterval * 10);
    EXPECT_TRUE(spi.Sets().empty());
    EXPECT_FALSE(spi.ScreenSaverActive);
}

TEST_F(ManagedConfigurationTest, APeriodEndsAtItsWallClockTimeEvenAfterTheComputerSlept) {
    config.actDeactivateForExecute(1800000);
    EXPECT_TRUE(config.DeactivateForRunning());
    timers.Advance(1000);
    clock.Wall += 1800000;  // asleep for half an hour: the timer saw none of it
    timers.Advance(500);    // the next watchdog tick
    EXPECT_FALSE(config.DeactivateForRunning());
    EXPECT_TRUE(config.FActivated) << "the period's end activated the items";
}

// The automatic deactivation against the user's own commands, one row per
// order of events: P/p a trigger starts/ends (Q: another starts while it
// holds), A/D/R the user's Activate/Deactivate/Restore, F a one-hour period,
// E that hour passes. The items start active unless the row says otherwise.
TEST_F(ManagedConfigurationTest, AnAutomaticDeactivationGivesBackTheStateFromBeforeButNeverOverridesTheUser) {
    const struct {
        const char* Events;
        bool ActiveAtStart, ActiveAfter, Awake;
        TAutoState State;
        bool ActiveAfterTheEnd;  // the run's end puts back what a holding trigger took
    } rows[] = {
        {"P", true, false, true, TAutoState::Holding, true},
        {"Pp", true, true, false, TAutoState::Idle, true},
        {"PQp", true, true, false, TAutoState::Idle, true},
        {"P", false, false, true, TAutoState::Holding, false},
        {"Pp", false, false, false, TAutoState::Idle, false},
        {"PD", true, false, false, TAutoState::Overridden, false},
        {"PFE", true, true, false, TAutoState::Overridden, true},  // overridden, and a period ends: Activate
        {"PDp", true, false, false, TAutoState::Idle, false},
        {"PAp", true, true, false, TAutoState::Idle, true},
        {"PRp", true, true, false, TAutoState::Idle, true},
        {"PFp", true, false, true, TAutoState::Idle, false},
        {"PFpE", true, true, false, TAutoState::Idle, true},
        {"FPp", true, false, true, TAutoState::Idle, false},
        {"FPE", true, false, true, TAutoState::Holding, true},
        {"FPEp", true, true, false, TAutoState::Idle, true},
        {"FPpE", true, true, false, TAutoState::Idle, true},
        {"PpP", true, false, true, TAutoState::Holding, true},
        {"PDpP", true, false, true, TAutoState::Holding, false},
        {"SDp", true, false, false, TAutoState::Idle, false},   // the user's word inside a window stands
        {"SP", true, false, true, TAutoState::Holding, true},   // the window ends while a program holds
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.Events) + (row.ActiveAtStart ? " from active" : " from inactive"));
        TAwakeLog awake;
        TManagedConfiguration c{{spi, options, timers, clock, status, pump, noPlan}};
        c.SetAwakeRequest(awake);
        spi.SetConfiguration({{row.ActiveAtStart, 600}, {row.ActiveAtStart, 1200}});
        c.FormCreate();
        for (const char* e = row.Events; *e; ++e) switch (*e) {
            case 'P': c.SetTriggerCause(L"POWERPNT.EXE"); break;
            case 'Q': c.SetTriggerCause(kFullScreenCause); break;
            case 'S': c.SetTriggerCause(kScheduleCause, clock.Wall + kHour); break;
            case 'p': c.SetTriggerCause(L""); break;
            case 'A': c.actActivateExecute(); break;
            case 'D': c.actDeactivateExecute(); break;
            case 'R': c.actRestoreConfigurationExecute(); break;
            case 'F': c.actDeactivateForExecute(kHour); break;
            case 'E': clock.Wall += kHour; timers.Advance(kHour); break;
            }
        EXPECT_EQ(spi.ScreenSaverActive, row.ActiveAfter);
        EXPECT_EQ(spi.PowerOffActive, row.ActiveAfter);
        EXPECT_EQ(awake.Held, row.Awake ? 1 : 0);
        EXPECT_EQ(c.AutomaticState(), row.State);
        EXPECT_EQ(c.AutomaticCause().empty(), row.State != TAutoState::Holding);
        c.Shutdown();
        EXPECT_EQ(awake.Held, 0) << "the end lets go";
        EXPECT_EQ(spi.ScreenSaverActive, row.ActiveAfterTheEnd);
    }
}

// "Update Windows configuration" and the watchdog never make an automatic
// deactivation permanent; the run's end gives the items back.
TEST_F(ManagedConfigurationTest, AnAutomaticDeactivationIsNeverWrittenForGood) {
    TAwakeLog awake;
    config.SetAwakeRequest(awake);
    Start({{true, 600}, {true, 1200}});
    options.Update = options.Preserve = true;
    config.SetTriggerCause(L"POWERPNT.EXE");
    EXPECT_EQ(awake.Reason, L"Lumivane: deactivated while POWERPNT.EXE runs");
    spi.ScreenSaverActive = true;  // another program
    timers.Advance(kCheckConfigurationInterval);
    EXPECT_FALSE(spi.ScreenSaverActive) << "the watchdog keeps it off";
    config.SetSessionConnected(false);
    config.SetTriggerCause(L"");
    config.SetTriggerCause(kFullScreenCause);
    EXPECT_FALSE(spi.ScreenSaverActive) << "away from the session nothing changes";
    config.SetTriggerCause(L"");
    EXPECT_FALSE(spi.ScreenSaverActive);
    config.SetSessionConnected(true);
    EXPECT_TRUE(spi.ScreenSaverActive) << "back: the last word counts";
    config.SetTriggerCause(L"POWERPNT.EXE");
    config.Shutdown();
    EXPECT_TRUE(spi.ScreenSaverActive && spi.PowerOffActive) << "the end gives the items back";
    ASSERT_FALSE(spi.Sets().empty());
    for (const auto& set : spi.Sets()) EXPECT_EQ(set.WinIni, 0u) << set.Action;
}

}  // namespace
}  // namespace lumivane::test
