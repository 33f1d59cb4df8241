// The settings window's model: its tables against the program's texts, the
// enabling rules, the delay limits, the numeric field and the command set.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ExpectedTexts.h"
#include "fakes/FakeCore.h"
#include "options/MainForm.h"
#include "options/ShortCut.h"
#include "ui/MainLayout.h"

namespace lumivane::test {
namespace {

using C = TControlId;
using A = TCommandId;

TEST(MainContents, TabOrderRunsThroughTheGroupsInTheirRows) {
    std::vector<C> stops;
    for (const TControlDef& c : MainControls())
        if (c.Kind != TControlKind::Group && c.Kind != TControlKind::Label && c.Kind != TControlKind::ValueLabel &&
            c.Kind != TControlKind::UpDown)
            stops.push_back(c.Id);
    const std::vector<C> expected = {
        C::cbManageScreenSaver, C::cbHotkeyScreenSaver, C::cbWinScreenSaver, C::HotKeyScreenSaver,
        C::cbManagePowerOff, C::cbHotkeyPowerOff, C::cbWinPowerOff, C::HotKeyPowerOff,
        C::cbRestoreConfiguration, C::cbPreserveConfiguration, C::cbUpdateSettings, C::cbStartWithWindows,
        C::cbContinuousMode, C::edContinuousModeDelay, C::cmbTrayIconDoubleClick, C::cmbTrayIconClick};
    EXPECT_EQ(stops, expected);
    // A label's mnemonic reaches the control that follows it.
    for (const TControlDef& c : MainControls())
        if (c.Kind == TControlKind::Label && c.Partner != C::None) { EXPECT_EQ(&c + 1, FindControl(c.Partner)) << c.Name; }
    // A name of its own only where no caption says it.
    EXPECT_EQ(AccessibleName(C::cbManageScreenSaver), nullptr);
    EXPECT_NE(AccessibleName(C::udDelay), nullptr);
}

TEST(MainContents, MenusShowShortcutsOnlyInTheMainMenuAndEveryItemIsACommand) {
    EXPECT_TRUE(MainMenu().ShowShortCuts);
    EXPECT_FALSE(NotifyMenu().ShowShortCuts);
    EXPECT_EQ(NotifyMenu().Default, A::mnShowP);
    for (const TMenuDef* menu : {&MainMenu(), &NotifyMenu()}) {
        int depth = -1;
        for (const TMenuItemDef& item : menu->Items) {
            EXPECT_LE(item.Depth, depth + 1) << "no item deeper than the submenu that holds it";
            depth = item.Kind == TMenuItemKind::Submenu ? item.Depth : item.Depth - 1;
            if (item.Kind == TMenuItemKind::Command) { EXPECT_NE(FindCommand(item.Command), nullptr) << item.Name; }
        }
    }
    EXPECT_EQ(NotifyMenu().Items.back().Command, A::actExit);
}

struct TRecordingView final : IFormView {
    std::vector<std::pair<C, bool>> Enabled;
    void ShowChecked(C, bool) override {}
    void ShowEnabled(C id, bool enabled) override { Enabled.emplace_back(id, enabled); }
    void ShowHotKey(C, TShortCut) override {}
    void ShowHotKeyRules(C, THotKeyRules) override {}
    void ShowItemIndex(C, int) override {}
};

TEST(MainForm, DefaultsMatchTheWindowsDefinition) {
    TMainForm form;
    for (const TExpectedControl& row : kExpectedControls) {
        EXPECT_EQ(form.Checked(row.Id), row.Checked) << static_cast<int>(row.Id);
        EXPECT_EQ(form.Enabled(row.Id), row.Enabled) << static_cast<int>(row.Id);
    }
    EXPECT_EQ(form.ContinuousModeDelay(), ExpectedOption(C::edContinuousModeDelay).Default);
    for (C field : {C::HotKeyScreenSaver, C::HotKeyPowerOff})
        EXPECT_EQ(form.HotKey(field), ExpectedOption(field).Default) << static_cast<int>(field);
}

TEST(MainForm, EachBoxEnablesExactlyItsOwnControlsWhenSetByCodeOrUserAndOnlyOnAChange) {
    const std::map<C, std::set<C>> governed = {
        {C::cbContinuousMode, {C::lblContinuousModeDelay, C::edContinuousModeDelay, C::udDelay}},
        {C::cbHotkeyScreenSaver, {C::cbWinScreenSaver, C::HotKeyScreenSaver}},
        {C::cbHotkeyPowerOff, {C::cbWinPowerOff, C::HotKeyPowerOff}},
    };
    // Every box, so that a rule the program has and the table above lacks fails too.
    for (const TControlDef& box : MainControls()) {
        if (box.Kind != TControlKind::CheckBox) continue;
        const auto it = governed.find(box.Id);
        const std::set<C> expected = it == governed.end() ? std::set<C>{} : it->second;
        for (bool checked : {true, false}) {
            TMainForm form;
            form.SetChecked(box.Id, !checked);
            TRecordingView view;
            form.AttachView(&view);
            form.SetChecked(box.Id, checked);
            form.SetChecked(box.Id, checked);  // the same state runs no click handler
            std::set<C> shown;
            for (const auto& [id, enabled] : view.Enabled) {
                shown.insert(id);
                EXPECT_EQ(enabled, checked) << box.Name;
            }
            EXPECT_EQ(shown, expected) << box.Name << (checked ? " checked" : " unchecked");
            EXPECT_EQ(view.Enabled.size(), expected.size()) << box.Name << ": shown once each";
            for (C dependent : expected) EXPECT_EQ(form.Enabled(dependent), checked) << box.Name;
        }
    }
}

TEST(MainForm, DelayIsClampedAtOnceToOneToTen) {
    const struct {
        const wchar_t* Typed;
        const wchar_t* Shown;
        int32_t Delay;
    } rows[] = {{L"", L"1", 1}, {L"0", L"1", 1}, {L"1", L"1", 1}, {L"10", L"10", 10}, {L"11", L"10", 10},
                {L"99", L"10", 10}, {L"abc", L"1", 1}, {L"7", L"7", 7}};
    for (const auto& row : rows) {
        TMainForm form;
        form.edContinuousModeDelay.TextChangedByUser(row.Typed);
        EXPECT_EQ(form.edContinuousModeDelay.Text(), row.Shown) << "typed " << testing::PrintToString(row.Typed);
        EXPECT_EQ(form.ContinuousModeDelay(), row.Delay) << "typed " << testing::PrintToString(row.Typed);
    }
}

TEST(MainForm, ListIndexSetByCodeRunsNothingAndBothListsShareTheChangeHandler) {
    TMainForm form;
    int changes = 0;
    form.cmbTrayIconDoubleClickChange = [&] { ++changes; };
    form.SetItemIndex(C::cmbTrayIconDoubleClick, 3);
    EXPECT_EQ(changes, 0);
    form.ItemIndexChangedByUser(C::cmbTrayIconDoubleClick, 4);
    form.ItemIndexChangedByUser(C::cmbTrayIconClick, 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(form.ItemIndex(C::cmbTrayIconClick), 1);
}

struct TFakeEditControl final : INumberEditControl {
    std::vector<std::wstring> Texts;
    int Recreated = 0;
    void SetText(const std::wstring& text) override { Texts.push_back(text); }
    void Recreate() override { ++Recreated; }
};

TEST(NumberEdit, NumberReadsMinusOneForEmptyOrNonNumericText) {
    TNumberEdit edit(2);
    const struct {
        const wchar_t* Text;
        int Number;
    } rows[] = {{L"", -1}, {L"abc", -1}, {L"7", 7}, {L"07", 7}, {L"1a", -1}, {L"-5", -5},
                {L"99999999999", -1}, {L" 5", -1}};
    for (const auto& row : rows) {
        edit.SetText(row.Text);
        EXPECT_EQ(edit.Number(), row.Number) << testing::PrintToString(row.Text);
    }
    edit.SetNumber(-3);
    EXPECT_EQ(edit.Text(), L"-3");
}

TEST(NumberEdit, ChangeFiresBeforeThePaddingAndExitAfterIt) {
    TNumberEdit edit(2);
    TFakeEditControl control;
    edit.Attach(&control);
    edit.SetPadNumber(true);
    std::vector<std::wstring> seen;
    edit.OnChange = [&](TNumberEdit* e) { seen.push_back(L"change " + e->Text()); };
    edit.OnExit = [&](TNumberEdit* e) { seen.push_back(L"exit " + e->Text()); };
    // A key held: the text stays as typed until the field is left.
    edit.KeyDown();
    edit.TextChangedByUser(L"7");
    EXPECT_EQ(edit.Text(), L"7");
    edit.KeyUp();
    edit.Exit();
    EXPECT_EQ(edit.Text(), L"07");
    const std::vector<std::wstring> expected = {L"change 7", L"change 07", L"exit 07"};
    EXPECT_EQ(seen, expected);
    // Without a key held the next change pads at once; pasted letters become zeros.
    edit.TextChangedByUser(L"abc");
    EXPECT_EQ(edit.Text(), L"00");
    EXPECT_EQ(control.Texts.back(), L"00");
}

TEST(NumberEdit, TurningPaddingOffDropsZerosAndAlignRecreatesTheControl) {
    TNumberEdit edit(2);
    TFakeEditControl control;
    edit.Attach(&control);
    edit.SetText(L"07");
    edit.SetPadNumber(false);
    EXPECT_EQ(edit.Text(), L"7");
    edit.SetText(L"abc");
    edit.SetPadNumber(false);
    EXPECT_EQ(edit.Text(), L"0");
    EXPECT_EQ(edit.StyleBits(), 0x2002u) << "ES_NUMBER | ES_RIGHT";
    edit.SetAlign(TNumberEditAlign::neLeft);
    EXPECT_EQ(edit.StyleBits(), 0x2000u);
    EXPECT_EQ(control.Recreated, 1);
    EXPECT_EQ(edit.Text(), L"0");
}

TEST(ShortCut, HotKeyFieldFlagsTranslateByNameNotByBits) {
    // Ctrl+Alt+S: the field orders its flags Shift 1, Ctrl 2, Alt 4.
    EXPECT_EQ(ShortCutToHotKeyValue(49235), (0x06 << 8) | 'S');
    EXPECT_EQ(ShortCutToHotKeyValue(kScShift | 'P'), (0x01 << 8) | 'P');
    for (TShortCut s : {TShortCut(49235), TShortCut(kScShift | kScAlt | 'Q'), TShortCut(0x70), TShortCut(0)})
        EXPECT_EQ(HotKeyValueToShortCut(ShortCutToHotKeyValue(s)), s);
}

TEST(ShortCut, TheTextNamesEveryKeyOfItsRange) {
    const struct {
        TShortCut Value;
        const wchar_t* Text;
    } rows[] = {{kScCtrl | '0', L"Ctrl+0"}, {kScAlt | '9', L"Alt+9"}, {kScShift | 'A', L"Shift+A"},
                {kScCtrl | kScAlt | 'Z', L"Ctrl+Alt+Z"}, {0x70, L"F1"}, {0x87, L"F24"}, {0x2F, L"#47"}, {0, L""}};
    for (const auto& r : rows) EXPECT_EQ(ShortCutText(r.Value), r.Text) << r.Value;
}

TEST(MainLayout, TheMnemonicMarkIsDroppedAndADoubledOneStaysOnce) {
    EXPECT_EQ(StripMnemonic(L"&Save"), L"Save");
    EXPECT_EQ(StripMnemonic(L"A&&B"), L"A&B");
    EXPECT_EQ(StripMnemonic(L"Tail&"), L"Tail&") << "a mark with nothing after it is shown";
}

// Text widths of a Tahoma-like font: 5 pixels a character at 96 dpi, 6 in bold.
struct TFakeMetrics final : ILayoutMetrics {
    int FDpi;
    explicit TFakeMetrics(int dpi) : FDpi(dpi) {}
    int Dpi() const override { return FDpi; }
    int TextWidth(const std::wstring& text, bool bold) const override {
        return static_cast<int>(text.size()) * (bold ? 6 : 5) * FDpi / 96;
    }
    int LineHeight() const override { return 13 * FDpi / 96; }
    int CheckBoxWidth() const override { return 17 * FDpi / 96; }
    int ListHeight() const override { return 21 * FDpi / 96; }
};

TEST(MainLayout, EveryControlFitsItsGroupWithItsWholeCaptionAtEveryScale) {
    for (int dpi : {96, 120, 144, 192}) {
        TFakeMetrics metrics(dpi);
        const TMainLayout layout(metrics, 42 * dpi / 96);
        EXPECT_EQ(layout.ClientWidth(), 632 * dpi / 96);
        for (const TControlDef& c : MainControls()) {
            const TRect& r = layout.Rect(c.Id);
            EXPECT_GT(r.Width, 0) << c.Name << " at " << dpi;
            const TRect& box = c.Group == C::None ? TRect{0, 0, layout.ClientWidth(), layout.ClientHeight()}
                                                  : layout.Rect(c.Group);
            EXPECT_TRUE(r.Left >= box.Left && r.Right() <= box.Right() && r.Top >= box.Top &&
                        r.Bottom() <= box.Bottom())
                << c.Name << " outside its group at " << dpi;
            if (c.Id == C::lblPowerOffTimeout0) {  // the wider caption of its pair, in the plain font
                EXPECT_EQ(r.Width, metrics.TextWidth(c.Caption, false)) << "the values stand close at " << dpi;
            }
            if (c.Caption && c.Kind == TControlKind::CheckBox) {
                EXPECT_GE(r.Width, metrics.CheckBoxWidth() + metrics.TextWidth(StripMnemonic(c.Caption), false))
                    << c.Name << " clipped at " << dpi;
            }
        }
        // The options group ends right below its last row: no empty band.
        int lowest = 0;
        for (const TControlDef& c : MainControls())
            if (c.Group == C::gbOptions) lowest = std::max(lowest, layout.Rect(c.Id).Bottom());
        EXPECT_LE(layout.Rect(C::gbOptions).Bottom() - lowest, 10 * dpi / 96) << "at " << dpi;
        // Controls of one group never overlap (the up-down sits on its field).
        for (const TControlDef& a : MainControls())
            for (const TControlDef& b : MainControls()) {
                if (&a >= &b || a.Group != b.Group || a.Group == C::None || b.Kind == TControlKind::UpDown) continue;
                const TRect &ra = layout.Rect(a.Id), &rb = layout.Rect(b.Id);
                EXPECT_FALSE(ra.Left < rb.Right() && rb.Left < ra.Right() && ra.Top < rb.Bottom() &&
                             rb.Top < ra.Bottom())
                    << a.Name << " overlaps " << b.Name << " at " << dpi;
            }
    }
}

TEST(CommandDispatch, EveryCommandOfTheTablesRunsAndNothingElseDoes) {
    TFakeCore core;
    const TCommandDispatch& dispatch = core.dispatch;
    for (const TCommandDef& c : MainCommands()) { EXPECT_TRUE(dispatch.Execute(c.Id)) << c.Name; }
    EXPECT_EQ(core.window.Calls.size(), 8u);
    for (uint16_t notACommand : {0, 1, 2, 200, 222, 1001, 1012})
        EXPECT_FALSE(dispatch.Execute(notACommand)) << notACommand;
    // The deactivate-for items run with their own duration.
    dispatch.Execute(A::act2Hours);
    EXPECT_EQ(core.config.TimerDisableFor().Interval(), 7200000u);
    EXPECT_EQ(core.starter.Started.size(), 1u) << "display properties";
}

}  // namespace
}  // namespace lumivane::test
