// Lumivane.exe from the command line, in a desktop that also holds a recorder
// of system requests and a window that never answers.
#include <gtest/gtest.h>

#include <memory>

#include "Harness.h"
#include "base/CommandIds.h"
#include "options/OptionControls.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

class CommandLine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hung = new THungWindow;
        recorder = new TRecorder;
    }
    static void TearDownTestSuite() {
        delete recorder;
        delete hung;
    }
    void SetUp() override { recorder->Clear(); }

    // Runs Lumivane with `arguments` until it ends by itself.
    TRun RunToEnd(const std::wstring& arguments) {
        TLumivane lumivane(arguments);
        const TRun run = lumivane.Wait(15s);
        EXPECT_TRUE(run.Ended) << "Lumivane " << std::string(arguments.begin(), arguments.end())
                               << " did not end";
        return run;
    }

    static inline THungWindow* hung = nullptr;
    static inline TRecorder* recorder = nullptr;
};

TEST_F(CommandLine, TheHungWindowReallyDoesNotAnswer) {
    EXPECT_FALSE(SendMessageTimeoutW(hung->Window(), WM_NULL, 0, 0, SMTO_NORMAL, 200, nullptr));
    EXPECT_TRUE(SendMessageTimeoutW(recorder->Window(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr));
}

TEST_F(CommandLine, ScreenSaverSendsOneRequestAndEnds) {
    const TRun run = RunToEnd(L"-screensaver");
    const auto requests = recorder->Settled();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    EXPECT_EQ(requests[0].Parameter, 0);
    EXPECT_EQ(run.ExitCode, 0u);
}

// How far apart the two requests come and how soon the program ends after
// them are timings: bench/requests.cpp measures them.
TEST_F(CommandLine, PowerOffSendsTwoRequestsTheSecondAfterItsTimerAndEndsAfterBoth) {
    const TRun run = RunToEnd(L"-poweroff");
    const auto requests = recorder->Settled();
    ASSERT_EQ(requests.size(), 2u) << "both sent before the end";
    for (const auto& r : requests) {
        EXPECT_EQ(r.Command, static_cast<WPARAM>(SC_MONITORPOWER));
        EXPECT_EQ(r.Parameter, 2) << "power off, not low power";
    }
    // The second waits for a 300 ms timer that starts after the program
    // does; a late recorder can only make this longer.
    EXPECT_GE(Ms(requests[1].At - run.Start), 300) << "the second request did not wait";
}

TEST_F(CommandLine, BothCommandsRunInOrderAndTheProgramEndsOnce) {
    RunToEnd(L"-SCREENSAVER -PowerOff");
    const auto requests = recorder->Settled();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    EXPECT_EQ(requests[1].Command, static_cast<WPARAM>(SC_MONITORPOWER));
    EXPECT_EQ(requests[2].Command, static_cast<WPARAM>(SC_MONITORPOWER));
}

TEST_F(CommandLine, RepeatedArgumentRunsTwice) {
    RunToEnd(L"-screensaver unknown -screensaver");
    EXPECT_EQ(recorder->Settled().size(), 2u);
}

TEST_F(CommandLine, QuietOnlyAsFirstArgumentInAnyCase) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"-quiet", false}, {L"-QUIET", false}, {L"x -quiet", true}, {L"", true}};
    for (const auto& [arguments, visible] : cases) {
        TLumivane lumivane(arguments);
        HWND main = lumivane.MainWindow(10s);
        ASSERT_NE(main, nullptr) << "no main window";
        wchar_t caption[64] = {};
        GetWindowTextW(main, caption, 64);
        EXPECT_STREQ(caption, L"Lumivane");
        EXPECT_EQ(IsWindowVisible(main) != FALSE, visible)
            << std::string(arguments, arguments + wcslen(arguments));
    }
}

// The first rules had a second start only wake the running copy, so a
// shortcut "Lumivane -screensaver" opened the settings window instead: now
// the running copy runs the commands, and a start without one wakes it.
TEST_F(CommandLine, ASecondStartHandsItsCommandsToTheFirstAndWithoutOneWakesIt) {
    TLumivane first(L"-quiet");
    HWND main = first.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    ASSERT_FALSE(IsWindowVisible(main));

    TLumivane second(L"-screensaver -poweroff");
    const TRun run = second.Wait(10s);
    ASSERT_TRUE(run.Ended);
    EXPECT_EQ(run.ExitCode, 0u);
    const auto requests = recorder->WaitFor(3, 5s);
    ASSERT_EQ(requests.size(), 3u) << "the screen saver, then the monitor off twice";
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    EXPECT_EQ(requests[1].Command, static_cast<WPARAM>(SC_MONITORPOWER));
    EXPECT_FALSE(IsWindowVisible(main)) << "without showing the window";
    EXPECT_EQ(FindMainWindow(second.ProcessId()), nullptr);

    TLumivane third(L"");
    ASSERT_TRUE(third.Wait(10s).Ended);
    EXPECT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s))
        << "the first instance's window did not appear";
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actExit), 0);
    ASSERT_TRUE(first.Wait(10s).Ended);
    EXPECT_EQ(recorder->Settled().size(), 3u) << "nothing more";
}

TEST_F(CommandLine, TwentyStartsAtOnceLeaveExactlyOneRunningWithItsWindowShown) {
    std::vector<std::unique_ptr<TLumivane>> starts;
    for (int i = 0; i < 20; ++i) starts.push_back(std::make_unique<TLumivane>(L""));
    // Every start but one ends by itself.
    std::vector<TLumivane*> running;
    ASSERT_TRUE(PollUntil(
        [&] {
            running.clear();
            for (auto& s : starts)
                if (!s->Wait(0ms).Ended) running.push_back(s.get());
            return running.size() <= 1;
        },
        20s));
    ASSERT_EQ(running.size(), 1u);
    // Its window answering is the sign that it is past the start's decision.
    HWND main = running[0]->MainWindow(30s);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(running[0]->Wait(0ms).Ended) << "and that one stays";
    EXPECT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s));
}

TEST_F(CommandLine, AHungWindowIsSkippedAndNeverActsOnTheRequestLater) {
    // Windows (and Wine) call a window hung after five seconds without reading.
    THungWindow hungHere;
    ASSERT_TRUE(PollUntil([&] { return IsHungAppWindow(hungHere.Window()) != FALSE; }, 60s));
    RunToEnd(L"-screensaver");
    EXPECT_EQ(recorder->Settled().size(), 1u) << "a responsive window still gets it";
    EXPECT_EQ(hungHere.Recover(), 0) << "the hung window found no request when it recovered";
}

}  // namespace
}  // namespace lumivane::e2e

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

// The main window's actions, driven as its menus will drive them.
TEST(MainWindowActions, LaunchScreenSaverAndPowerOffFromTheRunningProgram) {
    TRecorder recorder;
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actScreenSaver), 0);
    ASSERT_EQ(recorder.WaitFor(1, 3s).size(), 1u);
    EXPECT_EQ(recorder.Requests()[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    const auto powerOffGiven = TClock::now();
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actPowerOff), 0);
    ASSERT_EQ(recorder.WaitFor(3, 3s).size(), 3u);
    EXPECT_TRUE(IsWindow(main)) << "the program keeps running";
    // Ended, the program can send nothing more: every request it sent is in.
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actExit), 0);
    ASSERT_TRUE(lumivane.Wait(10s).Ended);
    const auto requests = recorder.Settled();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].Command, static_cast<WPARAM>(SC_MONITORPOWER));
    EXPECT_EQ(requests[2].Command, static_cast<WPARAM>(SC_MONITORPOWER));
    // The second power-off request waits for a 300 ms timer; the margin is the
    // clocks' granularity. A late recorder can only make this longer.
    EXPECT_GE(Ms(requests[2].At - powerOffGiven), 280) << "the second power-off request did not wait";
}

}  // namespace
}  // namespace lumivane::e2e

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

// The bold value labels of the main window: active and time-out of each item.
std::vector<HWND> StatusLabels(HWND main) {
    std::vector<HWND> values;
    for (TControlId id : {TControlId::lblScreenSaverActive, TControlId::lblScreenSaverTimeout,
                          TControlId::lblPowerOffActive, TControlId::lblPowerOffTimeout})
        if (HWND label = GetDlgItem(main, static_cast<int>(id))) values.push_back(label);
    return values;
}

// Wine keeps these parameters per process (a change made by another process
// is not seen by a running one), so the labels are driven here through the
// program's own commands; the in-process tests cover other programs' changes.
TEST(Status, LabelsFollowTheDeactivateAndActivateCommands) {
    const TScreenSaverOn screenSaverOn;
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    const auto labels = StatusLabels(main);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_NE(TextOf(labels[0]), L"No");
    EXPECT_NE(TextOf(labels[1]).find(L" minutes"), std::wstring::npos);
    const std::pair<TCommandId, const wchar_t*> steps[] = {
        {TCommandId::actDeactivate, L"No"}, {TCommandId::actActivate, nullptr},
        {TCommandId::actHalfHour, L"Deactivated until "}};
    for (const auto& [command, expected] : steps) {
        PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(command), 0);
        EXPECT_TRUE(PollUntil(
            [&, expected = expected] {
                const std::wstring ss = TextOf(labels[0]), po = TextOf(labels[2]);
                if (!expected) return ss != L"No" && ss.find(L"Deactivated") == std::wstring::npos;
                return ss.rfind(expected, 0) == 0 && po.rfind(expected, 0) == 0;
            },
            3s))
            << "after command " << static_cast<int>(command);
    }
}

// The popup-menu window of a process, once it is open.
HWND OpenMenuOf(DWORD processId) {
    const auto menus = VisibleWindowsOf(processId, L"#32768");
    return menus.empty() ? nullptr : menus.front();
}

TEST(NotifyIcon, ARealRightClickOpensTheMenuAtTheCursorAndExitEndsTheProgram) {
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    const POINT icon = NotifyIconPoint();
    ClickAt(icon, 1, true);
    HWND menu = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (menu = OpenMenuOf(lumivane.ProcessId())) != nullptr; }, 30s))
        << "no popup menu";
    // At the cursor: pushed up and left only as far as the screen's work
    // area (above the taskbar) needs.
    RECT at{};
    GetWindowRect(menu, &at);
    EXPECT_TRUE(at.left <= icon.x && icon.x <= at.right) << at.left << ".." << at.right << " vs " << icon.x;
    EXPECT_TRUE(at.top == icon.y || (at.bottom <= icon.y && icon.y - at.bottom <= 30))
        << at.top << ".." << at.bottom << " vs " << icon.y;
    // Its mnemonic chooses "E&xit".
    PostMessageW(menu, WM_CHAR, L'x', 0);
    const TRun run = lumivane.Wait(10s);
    EXPECT_TRUE(run.Ended) << "Exit did not end the program";
}

}  // namespace
}  // namespace lumivane::e2e
