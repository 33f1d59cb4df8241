// The notification icon's clicks and the hiding and showing of the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TrayAnimation.h"
#include "fakes/FakeCore.h"
#include "tray/TrayActions.h"

namespace lumivane::test {
namespace {

using C = TControlId;
using A = TCommandId;

struct TAnimationLog final : IWindowAnimationOps {
    std::vector<std::string> Calls;
    bool Animation = true, HasTray = true;
    bool GetTrayNotifyRect(TScreenRect& r) override {
        r = {900, 740, 1000, 768};
        return HasTray;
    }
    int32_t ScreenWidth() override { return 1024; }
    int32_t ScreenHeight() override { return 768; }
    bool GetWindowAnimation() override { return Animation; }
    void SetWindowAnimation(bool on) override {
        Animation = on;
        Calls.push_back(on ? "animation on" : "animation off");
    }
    void RestoreWindow() override { Calls.push_back("restore"); }
    void HideWindow() override { Calls.push_back("hide"); }
    void ShowWindow() override { Calls.push_back("show"); }
    void SetForegroundWindow() override { Calls.push_back("front"); }
    TScreenRect WindowBounds() override { return {100, 100, 740, 460}; }
    void DrawAnimatedRects(const TScreenRect& from, const TScreenRect& to) override {
        Calls.push_back("zoom " + std::to_string(from.Left) + " to " + std::to_string(to.Left));
    }
};

// What a user sees: the window zooms to the tray and back, and the system's
// animation setting is as it was after either.
TEST(TrayAnimation, HideZoomsToTheTrayShowZoomsBackAndTheAnimationSettingStays) {
    TAnimationLog ops;
    HideWindowToTray(ops);
    EXPECT_TRUE(ops.Animation);
    EXPECT_EQ(ops.Calls.back(), "zoom 100 to 900");
    ops.Calls.clear();
    ShowWindowFromTray(ops);
    EXPECT_EQ(ops.Calls.front(), "zoom 900 to 100");
    EXPECT_EQ(ops.Calls.back(), "front");
    // Without a notification area: the bottom-right corner. Animation off: no zoom, and it stays off.
    ops.HasTray = false;
    EXPECT_EQ(TrayRectOrFallback(ops), (TScreenRect{924, 738, 1024, 768}));
    ops.Animation = false;
    ops.Calls.clear();
    HideWindowToTray(ops);
    EXPECT_FALSE(ops.Animation);
    EXPECT_EQ(ops.Calls.back(), "hide");
}

struct TTrayWindowLog final : ITrayWindow {
    bool Visible = false;
    int Fronts = 0;
    TCommandId Default = TCommandId::mnShowP;
    bool MainWindowVisible() override { return Visible; }
    void BringMainWindowToFront() override { ++Fronts; }
    uint32_t DoubleClickTime() override { return 500; }
    void SetNotifyMenuDefault(TCommandId item) override { Default = item; }
};

struct TrayActionsTest : ::testing::Test, TFakeCore {
    TWindowCommandsLog& windowCommands = TFakeCore::window;
    TTrayWindowLog window;
    TTrayActions tray{{form, config, dispatch, window, pump, timers}};

    void Lists(int doubleClick, int click) {
        form.SetItemIndex(C::cmbTrayIconDoubleClick, doubleClick);
        form.SetItemIndex(C::cmbTrayIconClick, click);
    }
};

TEST_F(TrayActionsTest, ASingleClickRunsOnceOneDoubleClickTimeAfterThePress) {
    Lists(0, 2);  // show/hide
    tray.NotifyIconClick();
    timers.Advance(300);
    tray.NotifyIconClick();  // a second press of the burst does not restart it
    timers.Advance(199);
    EXPECT_TRUE(windowCommands.Calls.empty());
    timers.Advance(1);
    EXPECT_EQ(windowCommands.Calls, std::vector<std::string>{"show"});
    window.Visible = true;
    timers.Advance(2000);
    EXPECT_EQ(windowCommands.Calls.size(), 1u) << "one-shot";
    tray.NotifyIconClick();
    timers.Advance(500);
    EXPECT_EQ(windowCommands.Calls.back(), "close") << "a visible window is closed into the tray";
}

TEST_F(TrayActionsTest, ADoubleClickNeverAlsoRunsTheSingleClickEvenWhenTheTickComesFirst) {
    Lists(1, 2);  // launch screen saver; show/hide
    tray.NotifyIconClick();
    tray.NotifyIconDblClick();
    timers.Advance(1000);
    EXPECT_EQ(requests.Sent.size(), 1u);
    EXPECT_TRUE(windowCommands.Calls.empty());
    // The timer falls due while the double click still waits in the queue.
    tray.NotifyIconClick();
    pump.Pending = [&] { tray.NotifyIconDblClick(); };
    timers.Advance(500);
    EXPECT_EQ(requests.Sent.size(), 2u);
    EXPECT_TRUE(windowCommands.Calls.empty());
}

TEST_F(TrayActionsTest, AKeySelectIsAClickAndTwoWithinTheDoubleClickTimeADoubleClick) {
    Lists(1, 2);  // launch screen saver; show/hide
    tray.NotifyIconKeySelect();
    timers.Advance(500);
    EXPECT_EQ(windowCommands.Calls, std::vector<std::string>{"show"}) << "Space: the single-click action";
    tray.NotifyIconKeySelect();
    timers.Advance(100);
    tray.NotifyIconKeySelect();  // a second one soon after
    timers.Advance(1000);
    EXPECT_EQ(requests.Sent.size(), 1u) << "the double-click action";
    EXPECT_EQ(windowCommands.Calls.size(), 1u) << "and not the single-click one";
}

TEST_F(TrayActionsTest, ToggleFollowsTheActivationStateAndNoneOnlyBringsAVisibleWindowForward) {
    Lists(5, 1);
    EXPECT_TRUE(config.FActivated);
    tray.NotifyIconDblClick();
    EXPECT_FALSE(config.FActivated) << "deactivated";
    tray.NotifyIconClick();
    timers.Advance(500);
    EXPECT_TRUE(config.FActivated) << "the single-click toggle activated";
    Lists(0, 0);
    tray.NotifyIconClick();
    timers.Advance(500);
    EXPECT_EQ(window.Fronts, 0) << "hidden: nothing at all";
    window.Visible = true;
    tray.NotifyIconClick();
    timers.Advance(500);
    EXPECT_EQ(window.Fronts, 1);
    Lists(-1, -1);  // stored codes outside the lists
    tray.NotifyIconClick();
    timers.Advance(500);
    tray.NotifyIconDblClick();
    EXPECT_EQ(window.Fronts, 1);
    EXPECT_TRUE(windowCommands.Calls.empty());
}

TEST_F(TrayActionsTest, TheMenusDefaultItemFollowsTheDoubleClickAction) {
    // An action with a menu item of its own, toggling (none), and an index beyond the list.
    const std::pair<int, TCommandId> rows[] = {{1, A::actScreenSaver}, {5, A::None}, {-1, A::None}};
    for (const auto& [index, item] : rows) {
        Lists(index, 0);
        tray.cmbTrayIconDoubleClickChange();
        EXPECT_EQ(window.Default, item) << index;
    }
}

}  // namespace
}  // namespace lumivane::test
