// The power functions on a plan: this program's process loads the stand-in
// power library in place of Wine's, which lacks the plan functions
// (ctest runs it with LUMIVANE_DLLOVERRIDES=powrprof=n).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "ProgramRun.h"
#include "app/CompositionWin32.h"
#include "common/FreshOptions.h"
#include "common/StandInPower.h"

namespace lumivane::test {
namespace {

// A plan other than the balanced one, as a user may have chosen.
constexpr GUID kHighPerformance = {0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}};

TPlanId IdOf(const GUID& plan) {
    TPlanId id{};
    std::memcpy(id.data(), &plan, sizeof(plan));
    return id;
}

class PowerPlanWin32 : public ::testing::Test {
protected:
    // The library must be in place before the first TPowerPlanWin32 loads it.
    static void SetUpTestSuite() { ASSERT_TRUE(InstallStandInPower()) << "the stand-in replaces a library: Wine only"; }
    void SetUp() override { ResetStandInPower(); }
};

TEST_F(PowerPlanWin32, ReadsBothPowerSourcesOfTheActivePlan) {
    TPowerPlanWin32 plan;
    ASSERT_TRUE(plan.Loaded()) << "the stand-in is loaded only with powrprof=n in the DLL overrides";
    for (const GUID* active : {&kBalancedPlan, &kHighPerformance}) {
        ResetStandInPower();
        SetStandInPlan(kBalancedPlan, {1200, 0});
        SetStandInPlan(kHighPerformance, {0, 900});
        SetStandInActivePlan(*active);
        TPlanId id{};
        uint32_t ac = 1, dc = 1;
        ASSERT_TRUE(plan.ActivePlan(id));
        EXPECT_EQ(id, IdOf(*active));
        EXPECT_TRUE(plan.ReadTimeout(id, true, ac) && plan.ReadTimeout(id, false, dc));
        EXPECT_EQ((TPlanValues{ac, dc}), StandInPlan(*active)) << BracedGuid(*active).c_str();
    }
}

TEST_F(PowerPlanWin32, AnAppliedWriteReadsBackAndLeavesTheOtherSourceAlone) {
    const struct {
        bool Ac;
        TPlanValues After;
    } rows[] = {{true, {0, 420}}, {false, {1200, 0}}};
    TPowerPlanWin32 plan;
    for (const auto& row : rows) {
        ResetStandInPower();
        SetStandInPlan({1200, 420});
        TPlanId id{};
        uint32_t readBack = 1;
        ASSERT_TRUE(plan.ActivePlan(id));
        EXPECT_TRUE(plan.WriteTimeout(id, row.Ac, 0));
        EXPECT_TRUE(plan.Apply(id));
        EXPECT_TRUE(plan.ReadTimeout(id, row.Ac, readBack));
        EXPECT_EQ(readBack, 0u);
        EXPECT_EQ(StandInPlan(), row.After) << "AC " << row.Ac;
        EXPECT_EQ(StandInCounter(L"Writes"), 1u);
        EXPECT_EQ(StandInCounter(L"Applies"), 1u);
    }
}

TEST_F(PowerPlanWin32, ARefusedWriteIsSeenAndChangesNothing) {
    const struct {
        DWORD Refuse;  // 1: access denied; 2: accepted but not kept, as under a policy
        bool Done;
        TPlanValues After;
    } rows[] = {{0, true, {0, 0}}, {1, false, {1200, 420}}, {2, false, {1200, 420}}};
    TSystemParametersWin32 spi;
    TPowerPlanWin32 functions;
    for (const auto& row : rows) {
        ResetStandInPower();
        SetStandInPlan({1200, 420});
        SetStandInSwitch(L"Refuse writes", row.Refuse);
        TPowerPlanParameters plan(spi, functions);
        EXPECT_EQ(plan.Call(spi::kSetPowerOffActive, FALSE, nullptr, 0), row.Done) << "refuse " << row.Refuse;
        EXPECT_EQ(plan.Refused(), !row.Done) << "refuse " << row.Refuse;
        EXPECT_EQ(StandInPlan(), row.After) << "refuse " << row.Refuse;
    }
}

TEST_F(PowerPlanWin32, TheRunIsOnThePlanOnlyWhereItsFunctionsAnswer) {
    const struct {
        DWORD Fail;
        bool OnPlan;
    } rows[] = {{0, true}, {1, false}};
    for (const auto& row : rows) {
        ResetStandInPower();
        SetStandInPlan({1200, 420});
        SetStandInSwitch(L"Fail", row.Fail);
        {
            TPowerPlanWin32 plan;
            EXPECT_EQ(PowerPlanAnswers(plan), row.OnPlan) << "fail " << row.Fail;
        }
        EXPECT_EQ(TRun(false).Lumivane.OnPowerPlan(), row.OnPlan) << "fail " << row.Fail;
        SetStandInSwitch(L"Fail", 0);
        EXPECT_EQ(StandInPlan(), (TPlanValues{1200, 420})) << "a run leaves the user's plan as it found it";
    }
}

TEST_F(PowerPlanWin32, ThePolicyNoteComesFromTheSystemsAccessCheckOrARefusedWrite) {
    const struct {
        DWORD Policy, Refuse;
        const wchar_t* Note;
    } rows[] = {{0, 0, L""}, {1, 0, L"(set by policy)"}, {0, 2, L"(set by policy)"}};
    // Where the system answers, its answer stands over the registry's policy path.
    const wchar_t* timeout =
        L"SOFTWARE\\Policies\\Microsoft\\Power\\PowerSettings\\3C0BC021-C8A8-4E07-A973-6B14CBCB2B7E";
    const DWORD on = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, timeout, L"ACSettingIndex", REG_DWORD, &on, sizeof(on)), 0);
    TSystemParametersWin32 spi;
    TPowerPlanWin32 functions;
    for (const auto& row : rows) {
        ResetStandInPower();
        SetStandInSwitch(L"Policy", row.Policy);
        SetStandInSwitch(L"Refuse writes", row.Refuse);
        TPowerPlanParameters plan(spi, functions);
        SetPowerOffActive(plan, false, false);
        TDisplayPowerNotesWin32 notes(plan, functions);
        EXPECT_EQ(notes.PowerOffNote(), row.Note) << "policy " << row.Policy << ", refuse " << row.Refuse;
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, timeout, L"ACSettingIndex");
}

}  // namespace
}  // namespace lumivane::test
