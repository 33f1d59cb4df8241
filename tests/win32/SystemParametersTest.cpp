// The parameter routines and the time zone's rules against the system's own calls.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/SummerTimeZone.h"
#include "status/StatusWin32.h"
#include "sources/TimeZoneWin32.h"
#include "display/ScreenSaverWin32.h"

namespace lumivane::test {
namespace {

struct SystemParametersTest : ::testing::Test {
    TSystemParametersWin32 spi;
    TDisplayPowerConfiguration saved = GetDisplayPowerConfiguration(spi);
    BOOL savedPowerOff = FALSE;
    void SetUp() override { SystemParametersInfoW(SPI_GETPOWEROFFACTIVE, 0, &savedPowerOff, 0); }
    void TearDown() override {
        SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active,
                                    saved.ScreenSaverSetting.Timeout, false);
        SystemParametersInfoW(SPI_SETPOWEROFFACTIVE, savedPowerOff, nullptr, 0);
        SystemParametersInfoW(SPI_SETLOWPOWERACTIVE, saved.PowerOffSetting.Active, nullptr, 0);
    }
};

TEST_F(SystemParametersTest, ScreenSaverFlagAndTimeoutRoundTrip) {
    for (const auto& [active, timeout] : {std::pair{true, 120}, std::pair{false, 900}}) {
        SetScreenSaverConfiguration(spi, active, timeout, false);
        BOOL rawActive = !active;
        UINT rawTimeout = 0;
        SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &rawActive, 0);
        SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &rawTimeout, 0);
        EXPECT_EQ(rawActive != FALSE, active);
        EXPECT_EQ(rawTimeout, static_cast<UINT>(timeout));
        bool gotActive = !active;
        int32_t gotTimeout = 0;
        GetScreenSaverConfiguration(spi, gotActive, gotTimeout);
        EXPECT_EQ(gotActive, active);
        EXPECT_EQ(gotTimeout, timeout);
    }
}

TEST_F(SystemParametersTest, PowerOffFlagSwitchesBothPhases) {
    for (bool active : {true, false}) {
        SetPowerOffActive(spi, active, false);
        BOOL lowPower = !active, powerOff = !active;
        SystemParametersInfoW(SPI_GETLOWPOWERACTIVE, 0, &lowPower, 0);
        SystemParametersInfoW(SPI_GETPOWEROFFACTIVE, 0, &powerOff, 0);
        EXPECT_EQ(lowPower != FALSE, active);
        EXPECT_EQ(powerOff != FALSE, active);
        EXPECT_EQ(GetPowerOffActive(spi), active);
    }
}

// Wine does not implement the low-power time-out (error 1439): the case
// itself, with the real call. Windows answers; there the unit tests' fake
// stands in for a system that cannot tell.
TEST_F(SystemParametersTest, PowerOffTimeoutIsZeroWhenTheSystemCannotTell) {
    UINT raw = 0x5A5A;
    if (SystemParametersInfoW(SPI_GETLOWPOWERTIMEOUT, 0, &raw, 0)) GTEST_SKIP() << "this system tells";
    EXPECT_EQ(GetPowerOffTimeout(spi), 0);
}

// Berlin's rules as Windows gives them for any year, and no rules for a year.
BOOL WINAPI BerlinForYear(USHORT, PDYNAMIC_TIME_ZONE_INFORMATION, LPTIME_ZONE_INFORMATION rules) {
    *rules = {-60, {}, {0, 10, 0, 5, 3, 0, 0, 0}, 0, {}, {0, 3, 0, 5, 2, 0, 0, 0}, -60};
    return TRUE;
}
BOOL WINAPI NoRulesForYear(USHORT, PDYNAMIC_TIME_ZONE_INFORMATION, LPTIME_ZONE_INFORMATION) { return FALSE; }
TEST(TimeZoneRules, AgreeWithTheSystemsLocalTimeAndFollowTheYearsRules) {
    const TTimeZoneRulesWin32 system, withoutYears(NoRulesForYear), berlin(BerlinForYear);
    for (const auto& [at, inBerlin] : {std::pair{At(2026, 3, 29, 0, 59), 60}, {At(2026, 3, 29, 1), 120},
                                       {At(2026, 10, 25, 0, 59), 120}, {At(2026, 10, 25, 1), 60}}) {
        const TTimeOfDay local = TClockWin32().LocalTimeOf(at).Time;  // the system's own conversion
        const int offset = (local.Hour * 60 + local.Minute - static_cast<int>(at / 60'000 % 1440) + 2160) % 1440 - 720;
        EXPECT_TRUE(system.OffsetMinutesAt(at) == offset && withoutYears.OffsetMinutesAt(at) == offset) << at;
        EXPECT_EQ(berlin.OffsetMinutesAt(at), inBerlin) << at;
    }
}

}  // namespace
}  // namespace lumivane::test
