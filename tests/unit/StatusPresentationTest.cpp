#include <gtest/gtest.h>

#include "status/StatusPresentation.h"
#include "sources/TimeFormat.h"
#include "fakes/FakeCore.h"
#include "fakes/FakeNotifyIconShell.h"
#include "tray/NotifyIcon.h"

namespace lumivane::test {
namespace {

TEST(StatusTexts, LabelsFollowFlagsTimeoutsAndThePeriod) {
    const TStatusContext idle{};
    const TStatusContext period{true, L"14:35:20", false, {}, {}, false, {}};
    TStatusContext unmanaged = period;  // shows its own state, not the period
    unmanaged.ManagesScreenSaver = unmanaged.ManagesPowerOff = false;
    const struct {
        TPowerSetting Setting;
        TStatusContext Context;
        const wchar_t* State;
        const wchar_t* Timeout;
        const wchar_t* Tip;
    } cases[] = {
        {{true, 600}, idle, L"Yes", L"10 minutes", L"Active"},
        {{true, 10}, idle, L"Continuous", L"0 minutes", L"Active"},
        {{true, 11}, idle, L"Yes", L"0 minutes", L"Active"},
        {{true, 0}, idle, L"Continuous", L"Never", L"Active"},
        {{false, 0}, idle, L"No", L"Never", L"Never"},  // a plan at "never"
        {{false, 1200}, unmanaged, L"No", L"20 minutes", L"Inactive"},
        {{false, 0}, unmanaged, L"No", L"Never", L"Never"},
        {{true, 90}, idle, L"Yes", L"1 minutes", L"Active"},
        {{false, 59}, idle, L"No", L"0 minutes", L"Inactive"},
        {{false, 1200}, period, L"Deactivated until 14:35:20", L"20 minutes",
         L"Deactivated until 14:35:20"},
        // An unmanaged item kept active by another program during a period.
        {{true, 900}, period, L"Yes", L"15 minutes", L"Yes"},
        {{true, 3}, period, L"Continuous", L"0 minutes", L"Continuous"},
    };
    for (const auto& c : cases) {
        const TStatusTexts ss = ComputeStatus({c.Setting, {false, 0}}, c.Context);
        EXPECT_EQ(ss.ScreenSaverActive, c.State);
        EXPECT_EQ(ss.ScreenSaverTimeout, c.Timeout);
        EXPECT_EQ(ss.ToolTip.substr(0, ss.ToolTip.find(L'\r')),
                  std::wstring(L"Screen saver:  ") + c.Tip);
        const TStatusTexts po = ComputeStatus({{false, 0}, c.Setting}, c.Context);
        EXPECT_EQ(po.PowerOffActive, c.State);
        EXPECT_EQ(po.PowerOffTimeout, c.Timeout);
        EXPECT_EQ(po.ToolTip.substr(po.ToolTip.find(L'\r') + 1),
                  std::wstring(L"Monitor power off:  ") + c.Tip);
    }
}

TEST(StatusTexts, ToolTipByteForByte) {
    const TStatusTexts s = ComputeStatus({{true, 600}, {false, 1200}}, {});
    EXPECT_EQ(s.ToolTip, L"Screen saver:  Active\rMonitor power off:  Inactive");
    EXPECT_EQ(s.ToolTip.size(), 50u);
    TStatusContext floor;
    floor.NotKeptAwakeBelow = 20;
    EXPECT_EQ(ComputeStatus({{false, 600}, {false, 1200}}, floor).ToolTip,
              L"Screen saver:  Inactive\rMonitor power off:  Inactive, battery below 20 %: not kept awake");
    EXPECT_EQ(ComputeStatus({{false, 600}, {false, 1200}}, floor).KeptAwake, L"Battery below 20 %: not kept awake");
    floor.NotKeptAwakeBelow = 0, floor.KeptAwake = floor.MaySleep = true;  // Modern Standby on battery
    EXPECT_EQ(ComputeStatus({{false, 600}, {false, 1200}}, floor).ToolTip,
              L"Screen saver:  Inactive\rMonitor power off:  Inactive, computer may sleep");
}

// The cause of an automatic deactivation in the window and the tooltip; a
// long name is cut so that the tooltip keeps both lines within its 127
// characters and the window's state within its two lines.
TEST(StatusTexts, AnAutomaticDeactivationSaysWhy) {
    const std::wstring longName = std::wstring(40, L'x') + L".exe";
    const struct {
        std::wstring Cause;
        bool Kept;
        const wchar_t *State, *ToolTip;
    } rows[] = {
        {L"POWERPNT.EXE", true, L"Deactivated while POWERPNT.EXE runs",
         L"Deactivated while POWERPNT.EXE runs\rScreen saver:  Inactive, monitor power off:  Inactive, computer "
         L"kept awake"},
        {kFullScreenCause, false, L"Deactivated while a program is full screen",
         L"Deactivated while a program is full screen\rScreen saver:  Inactive, monitor power off:  Inactive"},
        {L"abcdefghijklmnopqrst.exe", false, L"Deactivated while abcdefghijklmnopqrst.exe runs",
         L"Deactivated while abcdefghijklmnopqrst.exe runs\rScreen saver:  Inactive, monitor power off:  Inactive"},
        {longName, true, L"Deactivated while xxxxxxxxxxxxxxxxxxxxxxx\u2026 runs",
         L"Deactivated while xxxxxxxxxxxxxxxxxxxxxxxxxxx\u2026 runs\rScreen saver:  Inactive, monitor power off:  "
         L"Inactive, computer kept awake"},
        {kCallCause, false, L"Deactivated during a call",
         L"Deactivated during a call\rScreen saver:  Inactive, monitor power off:  Inactive"},
        {kPresentingCause, false, L"Deactivated while presenting",
         L"Deactivated while presenting\rScreen saver:  Inactive, monitor power off:  Inactive"},
    };
    for (const auto& row : rows) {
        TStatusContext context;
        context.AutomaticCause = row.Cause;
        context.KeptAwake = row.Kept;
        const TStatusTexts s = ComputeStatus({{false, 600}, {false, 1200}}, context);
        EXPECT_EQ(s.ScreenSaverActive, row.State);
        EXPECT_EQ(s.PowerOffActive, row.State);
        EXPECT_EQ(s.KeptAwake, row.Kept ? L"Computer kept awake" : L"");
        EXPECT_EQ(s.ToolTip, row.ToolTip);
        EXPECT_LE(s.ToolTip.size(), 127u);
        context.ManagesPowerOff = false;
        EXPECT_EQ(ComputeStatus({{false, 600}, {false, 1200}}, context).PowerOffActive, L"No") << "not managed";
    }
}

TEST(StatusTexts, IconIndexInBothSets) {
    const struct {
        bool Ss, Po;
        int Index;
    } cases[] = {{true, true, 0}, {false, false, 1}, {true, false, 2}, {false, true, 3}};
    for (const auto& c : cases) EXPECT_EQ(ComputeStatus({{c.Ss, 600}, {c.Po, 600}}, {}).IconIndex, c.Index);
}

TEST(UntilText, LocaleFormatsAndMidnight) {
    const TLongTimeFormat h24{L"HH:mm:ss", L"AM", L"PM"};
    const TLongTimeFormat h12{L"h:mm:ss tt", L"AM", L"PM"};
    const TLongTimeFormat quoted{L"H'h'mm'm'ss's' t", L"a.m.", L"p.m."};
    const TTimeOfDay evening{20, 4, 5, 500};
    EXPECT_EQ(FormatTime(h24, TimeOfDayAfter(evening, 1800000)), L"20:34:05");
    EXPECT_EQ(FormatTime(h12, TimeOfDayAfter(evening, 1800000)), L"8:34:05 PM");
    // 12 hours from 20:04:05 ends the next morning: time of day only.
    const TTimeOfDay next = TimeOfDayAfter(evening, 43200000);
    EXPECT_EQ(FormatTime(h24, next), L"08:04:05");
    EXPECT_EQ(FormatTime(h12, next), L"8:04:05 AM");
    EXPECT_EQ(FormatTime(h12, {0, 0, 7, 0}), L"12:00:07 AM");
    EXPECT_EQ(FormatTime(h12, {12, 30, 0, 0}), L"12:30:00 PM");
    EXPECT_EQ(FormatTime(quoted, {9, 5, 3, 0}), L"9h05m03s a");
    EXPECT_EQ(FormatTime({L"HH:mm:ss 'o''clock'", L"", L""}, {9, 5, 3, 0}), L"09:05:03 o'clock");
    // Milliseconds carry into the seconds.
    EXPECT_EQ(FormatTime(h24, TimeOfDayAfter({23, 59, 59, 600}, 500)), L"00:00:00");
}

struct TNoView final : IStatusView, IStateIcons {
    int Shown = 0;
    void ShowStatus(const TStatusTexts&) override { ++Shown; }
    THandle StateIcon(int index) override { return static_cast<THandle>(index + 1); }
};

TEST(StatusTexts, NotesFollowTheStateAndTheTooltipStaysWithinItsLimit) {
    TStatusContext context{};
    context.ScreenSaverNote = kNoteNoneChosen;
    context.PowerOffNote = kNoteSetByPolicy;
    const TStatusTexts s = ComputeStatus({{true, 600}, {false, 0}}, context);
    EXPECT_EQ(s.ScreenSaverActive, L"Yes (none chosen)");
    EXPECT_EQ(s.PowerOffActive, L"No (set by policy)");
    EXPECT_EQ(s.ToolTip, L"Screen saver:  Active (none chosen)\rMonitor power off:  Never (set by policy)");
    context.DeactivateForRunning = true;
    context.DeactivatedUntil = L"10:22:44 AM";
    const TStatusTexts longest = ComputeStatus({{false, 600}, {false, 0}}, context);
    EXPECT_LE(longest.ToolTip.size(), ToolTipLimit(TNotifyIconLayout::V2));
    EXPECT_EQ(ComputeStatus({{true, 600}, {false, 0}}, {}).ScreenSaverActive, L"Yes") << "no notes, no change";
}

TEST(StatusRefresh, TheShellGetsTheIconOnlyWhenItOrItsTooltipChanged) {
    TFakeCore core;
    TShellLog shell;
    TNotifyIcon icon(shell, TNotifyIconLayout::V3);
    icon.SetVisible(true);
    TNoView view;
    TStatusPresenter status(core.spi, core.config, icon, view, view);
    status.Hold(true);
    status.UpdateStatus();
    EXPECT_EQ(shell.Sent(TNotifyIconMessage::Modify) + view.Shown, 0) << "held while the start's steps run";
    status.Hold(false);
    status.UpdateStatus();
    const int first = shell.Sent(TNotifyIconMessage::Modify);
    EXPECT_EQ(first, 1) << "picture and tooltip in one message";
    for (int i = 0; i < 100; ++i) status.UpdateStatus();
    EXPECT_EQ(shell.Sent(TNotifyIconMessage::Modify), first) << "an idle refresh hands nothing over";
    EXPECT_EQ(view.Shown, 101) << "the window's labels still follow every refresh";
    SetScreenSaverActive(core.spi, false, false);  // another program's change
    status.UpdateStatus();
    EXPECT_EQ(shell.Sent(TNotifyIconMessage::Modify), first + 1);
    const int changed = shell.Sent(TNotifyIconMessage::Modify);
    status.Invalidate();  // new pictures after a change of scale
    status.UpdateStatus();
    EXPECT_GT(shell.Sent(TNotifyIconMessage::Modify), changed);
}

}  // namespace
}  // namespace lumivane::test
