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

TEST_F(CommandLine, ScreenSaverSendsOneRequestAndEnds) {
    const TRun run = RunToEnd(L"-screensaver");
    const auto requests = recorder->Settled();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    EXPECT_EQ(requests[0].Parameter, 0);
    EXPECT_EQ(run.ExitCode, 0u);
}

// Power off sends two requests, both before the program ends. How far apart
// they come and how soon the program ends after them are timings:
// bench/requests.cpp measures them; DisplayCommandsTest has the timer's order.
TEST_F(CommandLine, BothCommandsRunInOrderAndTheProgramEndsOnceAfterThePowerOffsTwoRequests) {
    const TRun run = RunToEnd(L"-SCREENSAVER -PowerOff");
    EXPECT_EQ(run.ExitCode, 0u);
    const auto requests = recorder->Settled();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    EXPECT_EQ(requests[0].Parameter, 0);
    for (size_t i : {1, 2}) {
        EXPECT_EQ(requests[i].Command, static_cast<WPARAM>(SC_MONITORPOWER));
        EXPECT_EQ(requests[i].Parameter, 2) << "power off, not low power";
    }
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
