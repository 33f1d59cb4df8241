// The settings window of the real program, driven with the keyboard and the
// controls as a user drives it.
#include <gtest/gtest.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "options/OptionControls.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

TEST(SettingsWindow, ShortcutsFromTheKeyboardRunTheirCommandsAndAltXEnds) {
    const TScreenSaverOn screenSaverOn;
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    ASSERT_TRUE(PollUntil([&] { return GetForegroundWindow() == main; }, 30s));
    HWND active = Item(main, TControlId::lblScreenSaverActive), powerOff = Item(main, TControlId::lblPowerOffActive);
    ASSERT_NE(active, nullptr);
    ASSERT_TRUE(PollUntil([&] { return TextOf(active) == L"Yes"; }, 30s));
    EXPECT_NE(TextOf(Item(main, TControlId::lblScreenSaverTimeout)).find(L" minutes"), std::wstring::npos);

    PressKeys({VK_CONTROL, 'D'});
    EXPECT_TRUE(PollUntil([&] { return TextOf(active) == L"No" && TextOf(powerOff) == L"No"; }, 30s))
        << "Ctrl+D deactivates both labels";
    PressKeys({VK_CONTROL, 'R'});
    EXPECT_TRUE(PollUntil([&] { return TextOf(active) == L"Yes"; }, 30s)) << "Ctrl+R restores the start-up state";
    PressKeys({VK_CONTROL, 'D'});
    ASSERT_TRUE(PollUntil([&] { return TextOf(active) == L"No"; }, 30s));
    PressKeys({VK_CONTROL, 'A'});
    EXPECT_TRUE(PollUntil([&] { return TextOf(active) == L"Yes"; }, 30s)) << "Ctrl+A activates";
    // Ctrl+S saves what the controls hold now, and leaves the window as it is.
    ASSERT_EQ(StoredOption(L"Use continuous mode"), std::nullopt) << "saved before Ctrl+S";
    SendMessageW(Item(main, TControlId::cbContinuousMode), BM_CLICK, 0, 0);
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_TRUE(PollUntil([&] { return StoredOption(L"Use continuous mode") == 1u; }, 30s)) << "Ctrl+S saves";
    RoundTrip(main);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetForegroundWindow(), main);
    PressKeys({VK_MENU, 'X'});
    const TRun run = lumivane.Wait(10s);
    EXPECT_TRUE(run.Ended) << "Alt+X ends the program";
}

TEST(SettingsWindow, ContinuousModeEnablesTheDelayWhichTakesDigitsOnlyUpToTen) {
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    HWND box = Item(main, TControlId::cbContinuousMode), edit = Item(main, TControlId::edContinuousModeDelay);
    ASSERT_TRUE(box && edit);
    EXPECT_FALSE(IsWindowEnabled(edit));
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(edit));
    EXPECT_TRUE(IsWindowEnabled(Item(main, TControlId::udDelay)));
    EXPECT_TRUE(IsWindowEnabled(Item(main, TControlId::lblContinuousModeDelay)));
    test::ExpectDelayFieldKeepsOneToTen(edit);
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(edit));
}

}  // namespace
}  // namespace lumivane::e2e
