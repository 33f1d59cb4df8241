#include <gtest/gtest.h>

#include <functional>

#include "display/ScreenSaver.h"
#include "fakes/FakeSystemParameters.h"

namespace lumivane::test {
namespace {

using Calls = std::vector<TSpiCall>;

// The low-power phase stands for the power-off: 83 and 79, not 84 and 80;
// a switch writes the power-off flag (86) before the low-power one (85).
TEST(ScreenSaverRoutines, ThePowerOffIsTheLowPowerPhase) {
    const struct {
        const char* Name;
        std::function<void(ISystemParameters&)> Run;
        Calls Expected;
    } cases[] = {
        {"GetPowerOffActive", [](auto& s) { GetPowerOffActive(s); }, {{83, 0, 0}}},
        {"SetPowerOffActive", [](auto& s) { SetPowerOffActive(s, true, false); }, {{86, 1, 0}, {85, 1, 0}}},
        {"GetPowerOffTimeout", [](auto& s) { GetPowerOffTimeout(s); }, {{79, 0, 0}}},
        {"SetPowerOffTimeout", [](auto& s) { SetPowerOffTimeout(s, 1200, false); }, {{81, 1200, 0}}},
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
