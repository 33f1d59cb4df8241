// The real program on a power plan (the stand-in power library): the user's
// 900 s on mains power and 180 s on battery come back exactly, whichever way
// a run that changed them ends.
#include <gtest/gtest.h>

#include <functional>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "common/StandInPower.h"
#include "base/CommandIds.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;
using test::TPlanValues;

constexpr TPlanValues kUser{900, 180}, kOther{1200, 900};
// A second plan of the user's, which the user switches to.
constexpr GUID kOtherPlan = {0x6f1c2a3b, 0x4d5e, 0x4f60, {0x81, 0x92, 0xa3, 0xb4, 0xc5, 0xd6, 0xe7, 0xf8}};

void Command(HWND main, TCommandId id) { PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool PlanBecomes(TPlanValues values) {
    return PollUntil([&] { return test::StandInPlan() == values; }, 30s);
}

struct PowerPlanRun : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(test::InstallStandInPower());
        test::SetStandInPlan(kUser);
        StoreOption(L"Control power off", 1);
        StoreOption(L"Control screen saver", 0);
        StoreOption(L"Use continuous mode", 1);
    }
};

TEST_F(PowerPlanRun, TheUsersValuesComeBackWhicheverWayTheRunEnds) {
    const struct {
        const char* Path;
        bool RestoreOption;
        // Runs with the program deactivated; ends it, or leaves it for the destructor's close message.
        std::function<void(TLumivane&, HWND)> End;
        TPlanValues User = kUser;             // the balanced plan's values at the start
        bool PreserveAndUpdate = false;       // "Preserve current options", "Store changes permanently"
    } paths[] = {
        {"continuous power-off, OK, Activate", true,
         [](TLumivane& lumivane, HWND main) {
             Command(main, TCommandId::actPowerOff);
             std::vector<HWND> dialog;
             ASSERT_TRUE(PollUntil(
                 [&] { return !(dialog = VisibleWindowsOf(lumivane.ProcessId(), L"TfMessage")).empty(); }, 30s));
             EXPECT_TRUE(PlanBecomes({3, 180})) << "the continuous time-out, on mains power only";
             PostMessageW(dialog[0], WM_COMMAND, IDOK, 0);
             ASSERT_TRUE(PollUntil([&] { return VisibleWindowsOf(lumivane.ProcessId(), L"TfMessage").empty(); }, 30s));
             EXPECT_TRUE(PlanBecomes({0, 0})) << "back to deactivated";
             Command(main, TCommandId::actActivate);
             EXPECT_TRUE(PlanBecomes(kUser)) << "Activate";
         }},
        {"Exit with the restore option off", false, [](TLumivane&, HWND main) { Command(main, TCommandId::actExit); }},
        {"the session's end", true,
         [](TLumivane& lumivane, HWND main) {
             SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, nullptr);
             SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 5000, nullptr);
             lumivane.Kill();  // Windows ends the process any time after the answer
         }},
        {"mains at \"never\", Activate", true,
         [](TLumivane&, HWND main) {
             Command(main, TCommandId::actActivate);
             EXPECT_TRUE(PlanBecomes({0, 180})) << "both sources as they were";
         },
         {0, 180}},
        {"a plan switched while deactivated, Exit", true,
         [](TLumivane&, HWND main) {
             test::SetStandInActivePlan(kOtherPlan);
             EXPECT_TRUE(PlanBecomes({0, 0})) << "the deactivation holds on the new plan";
             Command(main, TCommandId::actExit);
         },
         kUser, true},
    };
    for (const auto& p : paths) {
        test::SetStandInActivePlan(test::kBalancedPlan);
        test::SetStandInPlan(p.User);
        test::SetStandInPlan(kOtherPlan, kOther);
        StoreOption(L"Restore initial values on exit", p.RestoreOption);
        StoreOption(L"Preserve current options", p.PreserveAndUpdate);
        StoreOption(L"Store changes permanently ", p.PreserveAndUpdate);
        {
            TLumivane lumivane(L"-quiet", true);
            HWND main = lumivane.MainWindow(10s);
            ASSERT_NE(main, nullptr) << p.Path;
            Command(main, TCommandId::actDeactivate);
            ASSERT_TRUE(PlanBecomes({0, 0})) << p.Path << ": deactivated on both sources";
            p.End(lumivane, main);
        }
        EXPECT_EQ(test::StandInPlan(test::kBalancedPlan), p.User) << p.Path;
        EXPECT_EQ(test::StandInPlan(kOtherPlan), kOther) << p.Path << ": the plan switched to";
        EXPECT_FALSE(AnyJournal()) << p.Path << ": nothing left for the next start";
    }
}

TEST_F(PowerPlanRun, AKilledRunsValuesComeBackAtTheNextStart) {
    {
        TLumivane lumivane(L"-quiet", true);
        HWND main = lumivane.MainWindow(10s);
        ASSERT_NE(main, nullptr);
        Command(main, TCommandId::actDeactivate);
        ASSERT_TRUE(PlanBecomes({0, 0}));
        ASSERT_TRUE(AnyJournal());
        lumivane.Kill();
    }
    EXPECT_EQ(test::StandInPlan(), (TPlanValues{0, 0})) << "the killed run left it off";
    TLumivane again(L"-quiet", true);
    ASSERT_NE(again.MainWindow(10s), nullptr);
    // The window is there before its start steps, the recovery among them, are done.
    EXPECT_TRUE(PollUntil([] { return test::StandInPlan() == kUser && !AnyJournal(); }, 30s))
        << "both sources back at the start, and the journal gone";
}

// What the uninstaller runs: a killed run's values come back with no start
// of the program; a running copy keeps its own. Ending by itself shows that
// it made no window and no message box, which would wait for the user.
TEST_F(PowerPlanRun, RecoverPutsBackAKilledRunsValuesAndLeavesARunningCopysAlone) {
    TLumivane lumivane(L"-quiet", true);
    ASSERT_NE(lumivane.MainWindow(10s), nullptr);
    Command(lumivane.MainWindow(10s), TCommandId::actDeactivate);
    ASSERT_TRUE(PlanBecomes({0, 0}));
    for (const bool killed : {false, true}) {
        if (killed) lumivane.Kill();
        const TRun run = TLumivane(L"-recover", true).Wait(20s);
        EXPECT_TRUE(run.Ended && run.ExitCode == 0) << killed << " " << run.ExitCode;
        EXPECT_EQ(test::StandInPlan(), (killed ? kUser : TPlanValues{0, 0})) << killed;
        EXPECT_EQ(AnyJournal(), !killed) << killed;
    }
}

// The plan refuses the put-back (a policy arrived while deactivated): the
// run says so, keeps its journal, and a later run brings the values back.
TEST_F(PowerPlanRun, APutBackThePlanRefusesIsToldKeptAndDoneByALaterRun) {
    // The box a run shows: its text, then it is closed.
    auto boxText = [](TLumivane& run) {
        std::vector<HWND> boxes;
        if (!PollUntil([&] { return !(boxes = VisibleWindowsOf(run.ProcessId(), L"#32770")).empty(); }, 30s)) return std::wstring();
        const std::wstring text = TextOf(GetDlgItem(boxes[0], 0xFFFF));
        PostMessageW(boxes[0], WM_COMMAND, IDOK, 0);
        return text;
    };
    auto deactivated = [](TLumivane& run) {
        Command(run.MainWindow(10s), TCommandId::actDeactivate);
        return PlanBecomes({0, 0});
    };
    {
        TLumivane run(L"-quiet", true);
        ASSERT_TRUE(deactivated(run));
        test::SetStandInSwitch(L"Refuse writes", 1);
        Command(run.MainWindow(10s), TCommandId::actExit);
        EXPECT_NE(boxText(run).find(L"powercfg /setacvalueindex 381b4222-f694-41f0-9685-ff5bb260df2e SUB_VIDEO VIDEOIDLE 900"),
                  std::wstring::npos) << "the user's Exit tells it, with the way back by hand";
        EXPECT_TRUE(run.Wait(20s).Ended);
    }
    EXPECT_TRUE(AnyJournal());
    {
        TLumivane run(L"-quiet", true);  // still refused: its start says so too
        EXPECT_NE(boxText(run).find(L"next start"), std::wstring::npos);
        test::SetStandInSwitch(L"Refuse writes", 0);
        const TRun exit = TLumivane(L"-exit", true).Wait(30s);
        EXPECT_EQ(exit.ExitCode, 0u) << "the run that inherited it put it back at its end";
    }
    EXPECT_EQ(test::StandInPlan(), kUser);
    EXPECT_FALSE(AnyJournal());
    // From the command line: -exit and -recover say so in their exit code.
    TLumivane run(L"-quiet", true);
    ASSERT_TRUE(deactivated(run));
    test::SetStandInSwitch(L"Refuse writes", 1);
    EXPECT_EQ(TLumivane(L"-exit", true).Wait(30s).ExitCode, 7u);
    EXPECT_EQ(TLumivane(L"-recover", true).Wait(30s).ExitCode, 7u);
    test::SetStandInSwitch(L"Refuse writes", 0);
    EXPECT_EQ(TLumivane(L"-recover", true).Wait(30s).ExitCode, 0u);
    EXPECT_EQ(test::StandInPlan(), kUser);
    EXPECT_FALSE(AnyJournal());
}

}  // namespace
}  // namespace lumivane::e2e
