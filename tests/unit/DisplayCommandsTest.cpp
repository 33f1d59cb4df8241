#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "commands/DisplayCommands.h"
#include "fakes/FakeCore.h"

namespace lumivane::test {
namespace {

struct TOptions final : IContinuousModeOptions {
    bool On = false;
    int32_t Delay = 3;
    bool ContinuousMode() const override { return On; }
    int32_t ContinuousModeDelay() const override { return Delay; }
};

struct TCommandSeams {
    TFakeSystemParameters spi;
    TRequestsLog requests;
    TDialogLog dialog;
    TStarterLog starter;
    TOptions options;
    TFakeOptions configOptions;
    TNoPowerPlan noPlan;
};

struct DisplayCommandsTest : ::testing::Test, TCommandSeams, TWiredCore {
    const TDisplayPowerConfiguration kBefore{{false, 600}, {true, 1200}};

    DisplayCommandsTest() : TWiredCore(spi, configOptions, options, requests, dialog, starter, noPlan) {
        requests.Now = &timers.Now;
        spi.SetConfiguration(kBefore);
        config.FormCreate();
        spi.Calls.clear();
    }
};

TEST_F(DisplayCommandsTest, ImmediateCommandsChangeNoSetting) {
    commands.actScreenSaverExecute();
    commands.actPowerOffExecute();
    timers.Advance(2000);
    EXPECT_TRUE(spi.Sets().empty());
    EXPECT_EQ(spi.Configuration(), kBefore);
    EXPECT_EQ(dialog.Shown, 0);
    EXPECT_EQ(requests.Sent.front(), "screensaver");
}

TEST_F(DisplayCommandsTest, PowerOffSendsTwoRequests300msApartAndTheTimerIsOneShot) {
    commands.actPowerOffExecute();
    EXPECT_TRUE(commands.TimerPowerOff().Enabled());
    timers.Advance(5000);
    EXPECT_EQ(requests.Sent, (std::vector<std::string>{"poweroff", "poweroff"}));
    EXPECT_EQ(requests.At, (std::vector<uint64_t>{0, 300}));
    EXPECT_FALSE(commands.TimerPowerOff().Enabled());
}

TEST_F(DisplayCommandsTest, SecondPowerOffWhileArmedDoesNotRestartTheTimer) {
    commands.actPowerOffExecute();
    timers.Advance(100);
    commands.actPowerOffExecute();
    timers.Advance(1000);
    EXPECT_EQ(requests.Sent, (std::vector<std::string>(3, "poweroff")));
    EXPECT_EQ(requests.At, (std::vector<uint64_t>{0, 100, 300}));
    // Once stopped, the next power-off arms it again.
    commands.actPowerOffExecute();
    timers.Advance(1000);
    EXPECT_EQ(requests.Sent.size(), 5u);
    EXPECT_EQ(requests.At.back(), 1100u + 300u);
}

struct TContinuousCase {
    const char* Name;
    void (TDisplayCommands::*Command)();
    std::vector<TSpiCall> ExpectedSets;        // setting up, then undoing
    TDisplayPowerConfiguration DuringDialog;   // what the system runs with meanwhile
    const wchar_t* Caption;
    int Icon;
};

TEST_F(DisplayCommandsTest, ContinuousModeSetsUpAndRestoresInItsOwnOrder) {
    const TContinuousCase cases[] = {
        {"screen saver", &TDisplayCommands::actScreenSaverExecute,
         {// power-off flag off, screen saver on with the delay
          {86, 0, 0}, {85, 0, 0}, {17, 1, 0}, {15, 5, 0},
          // undo: the other feature's flag first, then its own setting
          {86, 1, 0}, {85, 1, 0}, {17, 0, 0}, {15, 600, 0}},
         {{true, 5}, {false, 1200}}, L"Continuous screen saver mode", 0},
        {"power off", &TDisplayCommands::actPowerOffExecute,
         {// screen saver off, power-off on with the delay
          {17, 0, 0}, {86, 1, 0}, {85, 1, 0}, {81, 5, 0},
          // undo: its own setting first, then the other feature's flag
          {86, 1, 0}, {85, 1, 0}, {81, 1200, 0}, {17, 0, 0}},
         {{false, 600}, {true, 5}}, L"Continuous monitor power off mode", 1},
    };
    for (const auto& c : cases) {
        for (bool preservingBefore : {false, true}) {
            SCOPED_TRACE(std::string(c.Name) + (preservingBefore ? ", preserving" : ""));
            spi.SetConfiguration(kBefore);
            spi.Calls.clear();
            requests.Clear();
            status.Count = 0;
            options.On = true;
            options.Delay = 5;
            config.FPreserving = preservingBefore;
            int statusWhenOpened = -1;
            dialog.WhileOpen = [&] {
                statusWhenOpened = status.Count;
                EXPECT_EQ(spi.Configuration(), c.DuringDialog);
                EXPECT_EQ(config.FPreservedConfiguration, c.DuringDialog);
                EXPECT_TRUE(config.FPreserving);
                EXPECT_TRUE(config.FContinuousModeRunning);
                // Commands that come in while the dialog is open do nothing.
                const auto callsBefore = spi.Calls.size();
                commands.actScreenSaverExecute();
                commands.actPowerOffExecute();
                EXPECT_EQ(spi.Calls.size(), callsBefore);
                EXPECT_TRUE(requests.Sent.empty());
            };
            (commands.*c.Command)();
            EXPECT_EQ(spi.Sets(), c.ExpectedSets);
            EXPECT_EQ(spi.Configuration(), kBefore);
            EXPECT_EQ(config.FPreservedConfiguration, kBefore);
            EXPECT_EQ(config.FPreserving, preservingBefore);
            EXPECT_FALSE(config.FContinuousModeRunning);
            EXPECT_EQ(statusWhenOpened, 1);
            EXPECT_EQ(status.Count, 2);
            EXPECT_EQ(dialog.Caption, c.Caption);
            EXPECT_EQ(dialog.Icon, c.Icon);
            EXPECT_NE(dialog.Text.find(L"after 5 second(s)"), std::wstring::npos);
            EXPECT_FALSE(commands.TimerPowerOff().Enabled()) << "no immediate request";
            EXPECT_TRUE(requests.Sent.empty());
            const auto sets = spi.Sets();
            EXPECT_TRUE(std::all_of(sets.begin(), sets.end(),
                                    [](const TSpiCall& s) { return s.WinIni == 0; }))
                << "continuous mode never reaches the user's profile";
        }
    }
}

TEST_F(DisplayCommandsTest, SettingsComeBackEvenWhenTheDialogFails) {
    options.On = true;
    dialog.WhileOpen = [] { throw std::runtime_error("dialog failed"); };
    EXPECT_THROW(commands.actPowerOffExecute(), std::runtime_error);
    EXPECT_EQ(spi.Configuration(), kBefore);
    EXPECT_FALSE(config.FContinuousModeRunning);
    EXPECT_FALSE(config.FPreserving);
}

TEST_F(DisplayCommandsTest, SettingsComeBackWhenTheRunFailsBeforeItsDialog) {
    options.On = true;
    // The refresh after the continuous values were applied fails once.
    bool failed = false;
    status.OnUpdate = [&] {
        if (!std::exchange(failed, true)) throw std::runtime_error("refresh failed");
    };
    EXPECT_THROW(commands.actScreenSaverExecute(), std::runtime_error);
    EXPECT_EQ(dialog.Shown, 0);
    EXPECT_EQ(spi.Configuration(), kBefore);
    EXPECT_FALSE(config.FContinuousModeRunning);
    EXPECT_FALSE(config.FPreserving);
}

// The message box shows Windows' line ends: a lone CR gets its LF, the rest stays.
TEST(MessageDialog, ALoneCarriageReturnGetsItsLineFeed) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"a\r\rb\r\nc\r", L"a\r\n\r\nb\r\nc\r\n"}, {L"\r", L"\r\n"},
        {L"a\r\nb", L"a\r\nb"}, {L"a\nb", L"a\nb"}, {L"ab", L"ab"}, {L"", L""}};
    for (const auto& [text, shown] : rows) EXPECT_EQ(WithWindowsLineBreaks(text), shown) << testing::PrintToString(text);
}

TEST_F(DisplayCommandsTest, DisplayPropertiesStartsTheAppletHiddenWithoutWaiting) {
    commands.actDisplayPropertiesExecute();
    ASSERT_EQ(starter.Started.size(), 1u);
    EXPECT_EQ(starter.Started[0], L"rundll32.exe|shell32.dll,Control_RunDLL desk.cpl,,1|0|0|0");
    EXPECT_TRUE(spi.Calls.empty());
}

TEST(RunProcessRules, CommandLineAndStartFlags) {
    EXPECT_EQ(ProcessCommandLine(L"rundll32.exe", L"shell32.dll,Control_RunDLL desk.cpl,,1"),
              L"rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1");
    EXPECT_EQ(ProcessCommandLine(L"", L"notepad.exe x"), L"notepad.exe x");
    EXPECT_EQ(ProcessCommandLine(L"C:\\Prog\u00e9\\a.exe", L""), L"C:\\Prog\u00e9\\a.exe ");
    EXPECT_EQ(ProcessStartFlags(0, 0), 1u);
    EXPECT_EQ(ProcessStartFlags(0x40, 5), 0x41u);
    EXPECT_EQ(ProcessStartFlags(0x40, -1), 0x40u);
}

}  // namespace
}  // namespace lumivane::test
