#include <gtest/gtest.h>

#include <functional>

#include "display/ScreenSaver.h"
#include "fakes/FakeSystemParameters.h"

namespace lumivane::test {
namespace {

using Calls = std::vector<TSpiCall>;

struct TRoutineCase {
    const char* Name;
    std::function<void(ISystemParameters&)> Run;
    Calls Expected;
};

TEST(ScreenSaverRoutines, EachRoutineMakesItsCallsInOrder) {
    const TRoutineCase cases[] = {
        {"GetScreenSaverActive", [](auto& s) { GetScreenSaverActive(s); }, {{16, 0, 0}}},
        {"SetScreenSaverActive on, permanent", [](auto& s) { SetScreenSaverActive(s, true, true); },
         {{17, 1, 1}}},
        {"SetScreenSaverActive off", [](auto& s) { SetScreenSaverActive(s, false, false); },
         {{17, 0, 0}}},
        {"GetScreenSaverTimeout", [](auto& s) { GetScreenSaverTimeout(s); }, {{14, 0, 0}}},
        {"SetScreenSaverTimeout", [](auto& s) { SetScreenSaverTimeout(s, 600, true); },
         {{15, 600, 1}}},
        // The low-power phase stands for the power-off: 83 and 79, not 84 and 80.
        {"GetPowerOffActive", [](auto& s) { GetPowerOffActive(s); }, {{83, 0, 0}}},
        {"SetPowerOffActive writes 86 before 85",
         [](auto& s) { SetPowerOffActive(s, true, false); }, {{86, 1, 0}, {85, 1, 0}}},
        {"GetPowerOffTimeout", [](auto& s) { GetPowerOffTimeout(s); }, {{79, 0, 0}}},
        {"SetPowerOffTimeout writes the low-power time-out",
         [](auto& s) { SetPowerOffTimeout(s, 1200, false); }, {{81, 1200, 0}}},
        {"GetScreenSaverConfiguration flag then time-out",
         [](auto& s) { bool a; int32_t t; GetScreenSaverConfiguration(s, a, t); },
         {{16, 0, 0}, {14, 0, 0}}},
        {"GetPowerOffConfiguration flag then time-out",
         [](auto& s) { bool a; int32_t t; GetPowerOffConfiguration(s, a, t); },
         {{83, 0, 0}, {79, 0, 0}}},
        {"SetScreenSaverConfiguration flag before time-out",
         [](auto& s) { SetScreenSaverConfiguration(s, true, 300, true); },
         {{17, 1, 1}, {15, 300, 1}}},
        {"SetPowerOffConfiguration flags before time-out",
         [](auto& s) { SetPowerOffConfiguration(s, false, 900, false); },
         {{86, 0, 0}, {85, 0, 0}, {81, 900, 0}}},
    };
    for (const auto& c : cases) {
        TFakeSystemParameters spi;
        c.Run(spi);
        EXPECT_EQ(spi.Calls, c.Expected) << c.Name;
    }
}

TEST(ScreenSaverRoutines, GettersReadTheLowPowerPhaseAndPairsKeepTheOtherValue) {
    TFakeSystemParameters spi;
    spi.ScreenSaverActive = true;
    spi.ScreenSaverTimeout = 600;
    spi.PowerOffActive = false;  // only the low-power phase counts
    spi.LowPowerActive = true;
    spi.PowerOffTimeout = 7;
    spi.LowPowerTimeout = 1200;
    EXPECT_EQ(GetDisplayPowerConfiguration(spi),
              (TDisplayPowerConfiguration{{true, 600}, {true, 1200}}));

    SetPowerOffActive(spi, true, false);
    EXPECT_TRUE(spi.PowerOffActive && spi.LowPowerActive);
    SetScreenSaverTimeout(spi, 60, false);
    EXPECT_TRUE(GetScreenSaverActive(spi)) << "a time-out leaves the flag alone";
    SetScreenSaverActive(spi, false, false);
    EXPECT_EQ(GetScreenSaverTimeout(spi), 60) << "a flag leaves the time-out alone";
}

TEST(ScreenSaverRoutines, FailedQueriesYieldZeroWhateverTheBufferHolds) {
    TFakeSystemParameters spi;
    spi.LowPowerActive = true;
    spi.LowPowerTimeout = 1200;
    spi.ScreenSaverActive = true;
    spi.ScreenSaverTimeout = 600;
    spi.Failing = {spi::kGetLowPowerTimeout, spi::kGetScreenSaveActive};
    bool active = true;
    int32_t timeout = -1;
    GetPowerOffConfiguration(spi, active, timeout);
    EXPECT_TRUE(active);
    EXPECT_EQ(timeout, 0);
    GetScreenSaverConfiguration(spi, active, timeout);
    EXPECT_FALSE(active);
    EXPECT_EQ(timeout, 600);
}

TEST(ScreenSaverRoutines, TimeoutsPassThroughUnchanged) {
    for (int32_t seconds : {0, 1, 600, 86400, -1}) {
        TFakeSystemParameters spi;
        SetScreenSaverTimeout(spi, seconds, false);
        SetPowerOffTimeout(spi, seconds, false);
        EXPECT_EQ(GetScreenSaverTimeout(spi), seconds);
        EXPECT_EQ(GetPowerOffTimeout(spi), seconds);
    }
}

// Within a tick each setting is asked of the system once; outside one, after
// any change and in the next tick, it is asked again.
TEST(OncePerTickParameters, EachSettingIsAskedOnceATickAndAgainAfterAChange) {
    using Run = std::function<void(TOncePerTickParameters&)>;
    const Run read = [](TOncePerTickParameters& p) { GetScreenSaverActive(p); };
    const struct {
        const char* Name;
        std::vector<Run> Steps;
        size_t Asked;
        bool Fails = false;
    } cases[] = {
        {"in a tick", {&TOncePerTickParameters::BeginTick, read, read}, 1},
        {"outside a tick", {read, read}, 2},
        {"a change between", {&TOncePerTickParameters::BeginTick, read,
                              [](TOncePerTickParameters& p) { SetScreenSaverActive(p, true, false); }, read}, 3},
        {"the next tick", {&TOncePerTickParameters::BeginTick, read, &TOncePerTickParameters::EndTick,
                           &TOncePerTickParameters::BeginTick, read}, 2},
        {"a failed read", {&TOncePerTickParameters::BeginTick, read, read}, 1, true},
    };
    for (const auto& c : cases) {
        TFakeSystemParameters spi;
        spi.ScreenSaverActive = true;
        if (c.Fails) spi.Failing = {spi::kGetScreenSaveActive};
        TOncePerTickParameters once(spi);
        for (const auto& step : c.Steps) step(once);
        EXPECT_EQ(spi.Calls.size(), c.Asked) << c.Name;
        EXPECT_EQ(GetScreenSaverActive(once), !c.Fails) << c.Name;
    }
}

}  // namespace
}  // namespace lumivane::test
