// The monitor power-off on the power plan: the routines of the display-power
// unit, unchanged, against a fake of the system's power functions.
#include <gtest/gtest.h>

#include <map>

#include "display/PowerPlan.h"
#include "fakes/FakeSystemParameters.h"

namespace lumivane::test {
namespace {

struct TFakePowerPlan final : IPowerPlan {
    struct TValues {
        uint32_t Ac = 600, Dc = 300;
    };
    std::map<TPlanId, TValues> Plans{{TPlanId{1}, {}}, {TPlanId{2}, {1200, 900}}};
    TPlanId Active{1};
    bool Battery = false, Missing = false, ByPolicy = false;
    int Applied = 0;
    bool ActivePlan(TPlanId& plan) override {
        plan = Active;
        return !Missing;
    }
    bool ReadTimeout(const TPlanId& plan, bool ac, uint32_t& seconds) override {
        if (Missing) return false;
        seconds = ac ? Plans[plan].Ac : Plans[plan].Dc;
        return true;
    }
    bool WriteTimeout(const TPlanId& plan, bool ac, uint32_t seconds) override {
        // A policy keeps the value: the write "succeeds" and does not read back.
        if (!ByPolicy) (ac ? Plans[plan].Ac : Plans[plan].Dc) = seconds;
        return true;
    }
    bool Apply(const TPlanId& plan) override {
        ++Applied;
        Active = plan;  // setting a plan active again makes it the active one
        return true;
    }
    bool OnBattery() override { return Battery; }
};

struct PowerPlanTest : ::testing::Test {
    TFakeSystemParameters spi;
    TFakePowerPlan plan;
    TPowerPlanParameters params{spi, plan};
};

TEST_F(PowerPlanTest, TheBackendIsChosenOnlyWhereThePowerFunctionsAnswer) {
    EXPECT_TRUE(PowerPlanAnswers(plan));
    plan.Missing = true;
    EXPECT_FALSE(PowerPlanAnswers(plan));
}

TEST_F(PowerPlanTest, FlagAndTimeOutFollowThePowerSource) {
    EXPECT_TRUE(GetPowerOffActive(params));
    EXPECT_EQ(GetPowerOffTimeout(params), 600);
    plan.Battery = true;
    EXPECT_EQ(GetPowerOffTimeout(params), 300);
    SetPowerOffTimeout(params, 120, false);
    EXPECT_EQ(plan.Plans[TPlanId{1}].Dc, 120u) << "written for the current source";
    EXPECT_EQ(plan.Plans[TPlanId{1}].Ac, 600u);
    EXPECT_GT(plan.Applied, 0) << "applied at once";
    // The screen saver still goes to the system parameters.
    SetScreenSaverActive(params, false, false);
    EXPECT_FALSE(GetScreenSaverActive(spi));
}

TEST_F(PowerPlanTest, OffThenOnPutsBothValuesBackIntoThePlanThatWasChangedWithoutSwitchingPlans) {
    SetPowerOffActive(params, false, false);
    EXPECT_FALSE(GetPowerOffActive(params));
    EXPECT_EQ(plan.Plans[TPlanId{1}].Ac, 0u);
    EXPECT_EQ(plan.Plans[TPlanId{1}].Dc, 0u);
    plan.Active = TPlanId{2};  // the user switched to a plan whose power-off is on
    SetPowerOffActive(params, true, false);
    EXPECT_EQ(plan.Plans[TPlanId{1}].Ac, 600u) << "back into the plan that was switched off";
    EXPECT_EQ(plan.Plans[TPlanId{1}].Dc, 300u);
    EXPECT_EQ(plan.Active, TPlanId{2}) << "the user's plan stays the active one";
    // With nothing remembered, Windows' own defaults.
    plan.Plans[TPlanId{2}] = {0, 0};
    SetPowerOffActive(params, true, false);
    EXPECT_EQ(plan.Plans[TPlanId{2}].Ac, 600u);
    EXPECT_EQ(plan.Plans[TPlanId{2}].Dc, 300u);
}

TEST_F(PowerPlanTest, AnItemOffOnTheCurrentSourceKeepsTheOtherSourcesValue) {
    // On mains with "never", five minutes on battery: the item reads off.
    plan.Plans[TPlanId{1}] = {0, 300};
    EXPECT_FALSE(GetPowerOffActive(params));
    // Continuous mode switches it off, then back to what it was: off.
    SetPowerOffActive(params, false, false);
    SetPowerOffActive(params, false, false);
    EXPECT_EQ(plan.Plans[TPlanId{1}].Dc, 300u) << "the battery value is not lost";
}

TEST_F(PowerPlanTest, AWriteThatDoesNotReadBackIsRefused) {
    EXPECT_FALSE(params.Refused());
    plan.ByPolicy = true;
    EXPECT_FALSE(params.Call(spi::kSetLowPowerActive, 0, nullptr, 0));
    EXPECT_TRUE(params.Refused()) << "the status shows it set by policy";
    EXPECT_TRUE(GetPowerOffActive(params)) << "the plan kept its value";
    EXPECT_FALSE(params.Call(spi::kSetLowPowerTimeout, 60, nullptr, 0));
}

}  // namespace
}  // namespace lumivane::test
