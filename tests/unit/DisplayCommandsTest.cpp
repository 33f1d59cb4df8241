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

struct TRequestLog final : ISystemRequests {
    TFakeTimerService* Clock = nullptr;
    std::vector<std::pair<std::string, uint64_t>> Sent;
    void StartScreenSaver() override { Sent.emplace_back("screensaver", Clock->Now); }
    void PowerOffMonitor() override { Sent.emplace_back("poweroff", Clock->Now); }
};

struct TDialogLog final : IMessageDialog {
    std::wstring Caption, Text;
    int Icon = -1;
    int Shown = 0;
    std::function<void()> WhileOpen;
    void ShowMessageDialog(const std::wstring& caption, const std::wstring& text,
                           int iconIndex) override {
        ++Shown;
        Caption = caption;
        Text = text;
        Icon = iconIndex;
        if (WhileOpen) WhileOpen();
    }
};

struct TStarterLog final : IProcessStarter {
    std::vector<std::wstring> Started;
    void RunProcess(const std::wstring& file, const std::wstring& params, uint32_t flags,
                    bool wait, int32_t show) override {
        Started.push_back(file + L"|" + params + L"|" + std::to_wstring(flags) + L"|" +
                          std::to_wstring(wait) + L"|" + std::to_wstring(show));
    }
};

struct TOptions final : IContinuousModeOptions {
    bool On = false;
    int32_t Delay = 3;
    bool ContinuousMode() const override { return On; }
    int32_t ContinuousModeDelay() const override { return Delay; }
};

struct TCommandSeams {
    TFakeSystemParameters spi;
    TRequestLog requests;
    TDialogLog dialog;
    TStarterLog starter;
    TOptions options;
    TFakeOptions configOptions;
    TNoPowerPlan noPlan;
};

struct DisplayCommandsTest : ::testing::Test, TCommandSeams, TWiredCore {
    const TDisplayPowerConfiguration kBefore{{false, 600}, {true, 1200}};

    DisplayCommandsTest() : TWiredCore(spi, configOptions, options, requests, dialog, starter, noPlan) {
        requests.Clock = &timers;
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
    EXPECT_EQ(requests.Sent.front().first, "screensaver");
}

TEST_F(DisplayCommandsTest, PowerOffSendsTwoRequests300msApartAndTheTimerIsOneShot) {
    commands.actPowerOffExecute();
    EXPECT_TRUE(commands.TimerPowerOff().Enabled());
    timers.Advance(5000);
    using Sent = std::vector<std::pair<std::string, uint64_t>>;
    EXPECT_EQ(requests.Sent, (Sent{{"poweroff", 0}, {"poweroff", 300}}));
    EXPECT_FALSE(commands.TimerPowerOff().Enabled());
}

TEST_F(DisplayCommandsTest, SecondPowerOffWhileArmedDoesNotRestartTheTimer) {
    commands.actPowerOffExecute();
    timers.Advance(100);
    commands.actPowerOffExecute();
    timers.Advance(1000);
    using Sent = std::vector<std::pair<std::string, uint64_t>>;
    EXPECT_EQ(requests.Sent, (Sent{{"poweroff", 0}, {"poweroff", 100}, {"poweroff", 300}}));
    // Once stopped, the next power-off arms it again.
    commands.actPowerOffExecute();
    timers.Advance(1000);
    EXPECT_EQ(requests.Sent.size(), 5u);
    EXPECT_EQ(requests.Sent.back().second, 1100u + 300u);
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
            requests.Sent.clear();
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

TEST_F(DisplayCommandsTest, DialogTextsAreExact) {
    EXPECT_EQ(ContinuousScreenSaverText(3),
              L"The screen saver will be launched after 3 second(s). Press OK to finish the "
              L"Continuous screen saver mode.\r\rNote: a screen saver needs to be selected in "
              L"the Display properties.");
    EXPECT_EQ(ContinuousPowerOffText(10),
              L"The monitor will be powered off after 10 second(s). Press OK to finish the "
              L"Continuous monitor power off mode.");
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
