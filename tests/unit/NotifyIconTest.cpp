#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/FakeNotifyIconShell.h"
#include "fakes/FakeTimerService.h"
#include "tray/NotifyIcon.h"

namespace lumivane::test {
namespace {

using Calls = std::vector<std::string>;

TEST(NotifyIcon, ShellStateFollowsVisible) {
    TShellLog shell;
    {
        TNotifyIcon icon(shell, TNotifyIconLayout::V3);
        icon.ChangeWnd(7);
        icon.SetIcon(55);
        icon.SetToolTip(L"tip");
        icon.ShowBalloon(L"title", L"text");
        EXPECT_TRUE(shell.Calls.empty()) << "no call while hidden";
        icon.SetVisible(false);
        icon.SetVisible(true);
        icon.SetVisible(true);
        ASSERT_EQ(shell.Calls, (Calls{"add wnd=7"})) << "one add for two assignments";
        EXPECT_EQ(shell.Records[0].Flags, 7u | kNifShowTip) << "the tooltip shown with version 4 too";
        EXPECT_EQ(shell.Records[0].CallbackMessage, 1025u);
        EXPECT_EQ(shell.Records[0].ID, 0u);
        EXPECT_EQ(shell.Records[0].Tip, L"tip");
        EXPECT_EQ(shell.Records[0].Icon, icon.Icon());
        EXPECT_NE(icon.Icon(), 55u) << "the icon keeps a copy of its own";
        icon.SetToolTip(L"tip");
        EXPECT_EQ(shell.Records.back().Flags, 6u | kNifShowTip) << "a modify even when nothing changed";
        icon.ChangeWnd(8);
        icon.SetVisible(false);
        icon.SetToolTip(L"hidden");  // nothing to tell a shell that holds no icon
        icon.Readd();
        icon.SetVisible(true);
        EXPECT_EQ(shell.Calls, (Calls{"add wnd=7", "modify wnd=7", "delete wnd=7", "add wnd=8",
                                      "delete wnd=8", "add wnd=8"}));
        shell.Calls.clear();
    }
    EXPECT_EQ(shell.Calls, (Calls{"delete wnd=8"})) << "leaves the notification area with its owner";
    EXPECT_EQ(shell.Copies, shell.Destroys);
}

TEST(NotifyIcon, ARefusedAddIsTriedAgainWithBackOffAndThePendingBalloonFollows) {
    TShellLog shell;
    TFakeTimerService timers;
    TNotifyIcon icon(shell, TNotifyIconLayout::V3);
    icon.SetRetryTimers(timers);
    icon.ChangeWnd(7);
    shell.RefuseAdds = 3;
    icon.SetVisible(true);
    icon.ShowBalloon(L"Lumivane", L"put back");
    icon.SetToolTip(L"tip");
    EXPECT_EQ(shell.Calls, (Calls{"add wnd=7", "modify wnd=7"})) << "no balloon or tooltip for an icon not there";
    // Tries at 0.5 s, then 1 s and 2 s later; the third retry is taken.
    for (const uint64_t wait : {499u, 1u, 999u, 1u, 1999u, 1u}) {
        const size_t before = shell.Calls.size();
        timers.Advance(wait);
        EXPECT_EQ(shell.Calls.size() > before, wait == 1u) << "after " << wait;
    }
    ASSERT_TRUE(icon.Added());
    // Each refused add is followed by a modify that finds no icon either.
    ASSERT_EQ(shell.Calls, (Calls{"add wnd=7", "modify wnd=7", "add wnd=7", "modify wnd=7", "add wnd=7",
                                  "modify wnd=7", "add wnd=7", "modify wnd=7"}));
    EXPECT_EQ(shell.Records.back().Info, L"put back") << "the balloon once the icon is there";
    EXPECT_EQ(shell.Records.back().InfoFlags, kNiifInfo | kNiifRespectQuietTime);
    EXPECT_EQ(shell.Records[6].Tip, L"tip") << "the add carries what was set meanwhile";
    timers.Advance(60000);
    EXPECT_EQ(shell.Calls.size(), 8u) << "no more tries once taken";
    icon.Readd();  // a "TaskbarCreated" from a shell that still holds the icon
    EXPECT_TRUE(icon.Added());
    icon.SetToolTip(L"new");
    EXPECT_EQ(shell.Records.back().Tip, L"new") << "still updated";
    // Hidden while a retry waits: the retry adds nothing.
    TShellLog other;
    TNotifyIcon hidden(other, TNotifyIconLayout::V3);
    hidden.SetRetryTimers(timers);
    other.RefuseAdds = 1;
    hidden.SetVisible(true);
    hidden.SetVisible(false);
    timers.Advance(60000);
    EXPECT_EQ(other.Calls, (Calls{"add wnd=0", "modify wnd=0"}));
    // Taken by another add before the retry's moment: the retry's timer stops.
    TShellLog quick;
    TFakeTimerService retry;
    TNotifyIcon early(quick, TNotifyIconLayout::V3);
    early.SetRetryTimers(retry);
    quick.RefuseAdds = 1;
    early.SetVisible(true);
    ASSERT_EQ(retry.RunningCount(), 1u);
    early.Readd();
    ASSERT_TRUE(early.Added());
    EXPECT_EQ(retry.RunningCount(), 0u) << "no wake-up left for an icon that is there";
}

TEST(NotifyIcon, LoadingDefersTheAdd) {
    TShellLog shell;
    TNotifyIcon icon(shell, TNotifyIconLayout::V3);
    icon.BeginLoading();
    icon.SetVisible(true);
    icon.SetIcon(5);
    icon.SetToolTip(L"x");
    EXPECT_TRUE(shell.Calls.empty());
    icon.Loaded();
    EXPECT_EQ(shell.Calls, (Calls{"add wnd=0"}));
    EXPECT_EQ(shell.Records[0].Tip, L"x");
    icon.SetVisible(false);
    EXPECT_EQ(shell.Calls.back(), "delete wnd=0") << "loaded: Visible acts at once again";
}

TEST(NotifyIcon, ToolTipIsClippedOnItsWayToTheShell) {
    const std::wstring long200(200, L'x');
    for (auto [layout, limit] : {std::pair{TNotifyIconLayout::V1, 63u},
                                 std::pair{TNotifyIconLayout::V2, 127u},
                                 std::pair{TNotifyIconLayout::V3, 127u}}) {
        TShellLog shell;
        TNotifyIcon icon(shell, layout);
        icon.SetToolTip(long200);
        icon.SetVisible(true);
        EXPECT_EQ(shell.Records[0].Tip.size(), limit);
        EXPECT_EQ(icon.ToolTip(), long200);
    }
    EXPECT_EQ(NotifyIconLayoutFor(4, 90), TNotifyIconLayout::V1);
    EXPECT_EQ(NotifyIconLayoutFor(5, 0), TNotifyIconLayout::V2);
    EXPECT_EQ(NotifyIconLayoutFor(5, 1), TNotifyIconLayout::V3);
    EXPECT_EQ(NotifyIconLayoutFor(10, 0), TNotifyIconLayout::V3);
}

TEST(NotifyIcon, CallbacksRaiseTheirEventsOnly) {
    TShellLog shell;
    TNotifyIcon icon(shell, TNotifyIconLayout::V3);
    std::vector<std::string> raised;
    icon.OnClick = [&](TNotifyIcon*) { raised.push_back("click"); };
    icon.OnDblClick = [&](TNotifyIcon*) { raised.push_back("dblclick"); };
    icon.OnMouseMove = [&](TNotifyIcon*) { raised.push_back("move"); };
    icon.OnBalloonClick = [&](TNotifyIcon*) { raised.push_back("balloon click"); };
    // A double click: press, release, double-click press, release.
    for (uint32_t n : {0x0201u, 0x0202u, 0x0203u, 0x0202u}) icon.HandleCallback(0, n);
    EXPECT_EQ(raised, (std::vector<std::string>{"click", "dblclick"}));
    EXPECT_TRUE(icon.HandleCallback(0, 0x0200));
    EXPECT_TRUE(icon.HandleCallback(0, 0x0405));
    // Unassigned events are dropped, not passed on.
    EXPECT_TRUE(icon.HandleCallback(0, 0x0402));
    EXPECT_TRUE(icon.HandleCallback(0, 0x0404));
    // Outside the table: the default procedure.
    for (uint32_t n : {0x0202u, 0x0204u, 0x0206u, 0x0207u, 0x0209u, 0x0401u})
        EXPECT_FALSE(icon.HandleCallback(0, n)) << n;
    EXPECT_EQ(raised.size(), 4u);
}

TEST(NotifyIcon, RightClickOpensTheMenuAtTheCursorOrBeeps) {
    struct TCase {
        THandle Menu;
        bool Beep;
        Calls Expected;
    } cases[] = {
        {42, true, {"cursor", "right", "foreground 9", "process", "menu 42 at 10,20"}},
        {0, true, {"cursor", "right", "beep"}},
        {0, false, {"cursor", "right"}},
    };
    for (const auto& c : cases) {
        TShellLog shell;
        TNotifyIcon icon(shell, TNotifyIconLayout::V3);
        icon.ChangeWnd(9);
        icon.PopupMenu = c.Menu;
        icon.RightClickBeepOnNoMenu = c.Beep;
        icon.OnRightClick = [&](TNotifyIcon*) { shell.Calls.push_back("right"); };
        EXPECT_TRUE(icon.HandleCallback(0, 0x0205));
        EXPECT_FALSE(icon.HandleCallback(0, 0x0204)) << "the press raises nothing";
        EXPECT_EQ(shell.Calls, c.Expected);
    }
}

// With version 4 the event comes in the low word of lParam and the point in
// wParam; the mouse keeps its rules, the keyboard selects and opens the menu
// at the icon, and a menu closed with Escape gives the focus back.
TEST(NotifyIcon, Version4EventsRunTheSameActionsAsTheMouse) {
    auto at = [](int x, int y) { return static_cast<uintptr_t>((y & 0xFFFF) << 16 | (x & 0xFFFF)); };
    const uintptr_t id = 0x10000;  // the icon's identifier above the event
    struct TCase {
        bool Version4;
        uintptr_t WParam, LParam;
        TMenuEnd MenuEnd;
        bool Handled;
        Calls Expected;
    } cases[] = {
        {true, at(5, 6), id | 0x0201, TMenuEnd::Chosen, true, {"click"}},
        {true, at(5, 6), id | 0x0203, TMenuEnd::Chosen, true, {"dblclick"}},
        {true, at(5, 6), id | 0x0400, TMenuEnd::Chosen, true, {}},  // after a press already raised
        {true, at(5, 6), id | 0x0401, TMenuEnd::Chosen, true, {"key select"}},
        {true, at(5, 6), id | 0x0205, TMenuEnd::Chosen, false, {}},  // the context menu follows
        {true, at(300, -5), id | 0x007B, TMenuEnd::Chosen, true, {"foreground 9", "process", "menu 42 at 300,-5"}},
        {true, at(1, 2), id | 0x007B, TMenuEnd::Escaped, true,
         {"foreground 9", "process", "menu 42 at 1,2", "focus wnd=9"}},
        {true, at(1, 2), id | 0x007B, TMenuEnd::Dismissed, true, {"foreground 9", "process", "menu 42 at 1,2"}},
        {true, 0, id | 0x0405, TMenuEnd::Chosen, true, {"balloon click"}},
        // A shell without version 4: the first layout, the menu at the cursor.
        {false, 0, 0x0205, TMenuEnd::Chosen, true, {"cursor", "foreground 9", "process", "menu 42 at 10,20"}},
        {false, 0, 0x0401, TMenuEnd::Chosen, false, {}},
        {false, 0, 0x007B, TMenuEnd::Chosen, false, {}},
    };
    for (const auto& c : cases) {
        TShellLog shell;
        shell.TakesVersion4 = c.Version4;
        shell.MenuEnd = c.MenuEnd;
        TNotifyIcon icon(shell, TNotifyIconLayout::V3);
        icon.ChangeWnd(9);
        icon.SetVisible(true);
        EXPECT_EQ(icon.Version4(), c.Version4);
        icon.PopupMenu = 42;
        for (auto [event, name] : {std::pair{&icon.OnClick, "click"}, {&icon.OnDblClick, "dblclick"},
                                   {&icon.OnKeySelect, "key select"}, {&icon.OnBalloonClick, "balloon click"}})
            *event = [&shell, name = std::string(name)](TNotifyIcon*) { shell.Calls.push_back(name); };
        shell.Calls.clear();
        EXPECT_EQ(icon.HandleCallback(c.WParam, c.LParam), c.Handled) << std::hex << c.LParam;
        EXPECT_EQ(shell.Calls, c.Expected) << std::hex << c.LParam;
    }
    TShellLog shell;
    TNotifyIcon icon(shell, TNotifyIconLayout::V3);
    icon.SetVisible(true);
    icon.Readd();
    EXPECT_EQ(shell.VersionCalls, 2) << "asked again after every add";
}

TEST(NotifyIcon, EveryIconCopyIsFreed) {
    TShellLog shell;
    {
        TNotifyIcon icon(shell, TNotifyIconLayout::V3);
        icon.SetVisible(true);
        for (int i = 0; i < 10000; ++i) icon.SetIcon(static_cast<THandle>(100 + i % 8));
        EXPECT_EQ(shell.Copies - shell.Destroys, 1) << "only the current copy is held";
    }
    EXPECT_EQ(shell.Copies, shell.Destroys);
}

}  // namespace
}  // namespace lumivane::test
