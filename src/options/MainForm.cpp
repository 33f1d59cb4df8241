#include "options/MainForm.h"

namespace lumivane {

TMainForm::TMainForm() {
    for (const TControlDef& c : MainControls()) {
        TSlot& slot = Slot(c.Id);
        slot.Checked = c.Checked;
        slot.Enabled = c.Enabled;
    }
    Slot(TControlId::HotKeyScreenSaver).HotKey = kDefaultHotKeyScreenSaver;
    Slot(TControlId::HotKeyPowerOff).HotKey = kDefaultHotKeyPowerOff;
    // The stored options' defaults: the first action of each list.
    Slot(TControlId::cmbTrayIconDoubleClick).ItemIndex = 0;
    Slot(TControlId::cmbTrayIconClick).ItemIndex = 0;
    edContinuousModeDelay.SetText(std::to_wstring(kDelayDefault));
    edContinuousModeDelay.OnChange = [this](TNumberEdit*) { edContinuousModeDelayChange(); };
}

TMainForm::TSlot& TMainForm::Slot(TControlId id) {
    return FSlots.at(static_cast<size_t>(id) - static_cast<size_t>(TControlId::gbScreenSaver));
}

const TMainForm::TSlot& TMainForm::Slot(TControlId id) const {
    return FSlots.at(static_cast<size_t>(id) - static_cast<size_t>(TControlId::gbScreenSaver));
}

void TMainForm::SetChecked(TControlId id, bool checked) {
    TSlot& slot = Slot(id);
    if (slot.Checked == checked) return;
    slot.Checked = checked;
    if (FView) FView->ShowChecked(id, checked);
    Click(id);
}

void TMainForm::SetEnabled(TControlId id, bool enabled) {
    Slot(id).Enabled = enabled;
    if (FView) FView->ShowEnabled(id, enabled);
}

void TMainForm::SetHotKey(TControlId id, TShortCut value) {
    Slot(id).HotKey = value;
    if (FView) FView->ShowHotKey(id, value);
}

void TMainForm::SetHotKeyRules(TControlId id, THotKeyRules rules) {
    TSlot& slot = Slot(id);
    if (slot.Rules == rules) return;
    const bool newModifiers = slot.Rules.Modifiers != rules.Modifiers;
    slot.Rules = rules;
    if (FView) FView->ShowHotKeyRules(id, rules);
    if (newModifiers)
        SetHotKey(id, HotKeyValueToShortCut(static_cast<uint16_t>(ShortCutKey(slot.HotKey) | rules.Modifiers << 8)));
}

void TMainForm::ApplyWinRules(TControlId box, TControlId field) {
    SetHotKeyRules(field, Checked(box) ? kRulesWithWin : kRulesWithoutWin);
}

void TMainForm::SetItemIndex(TControlId id, int index) {
    Slot(id).ItemIndex = index;
    if (FView) FView->ShowItemIndex(id, index);
}

void TMainForm::ItemIndexChangedByUser(TControlId id, int index) {
    Slot(id).ItemIndex = index;
    if (cmbTrayIconDoubleClickChange) cmbTrayIconDoubleClickChange();
}

void TMainForm::Click(TControlId id) {
    switch (id) {
    case TControlId::cbContinuousMode: cbContinuousModeClick(); break;
    case TControlId::cbHotkeyScreenSaver: cbHotkeyScreenSaverClick(); break;
    case TControlId::cbHotkeyPowerOff: cbHotkeyPowerOffClick(); break;
    case TControlId::cbWinScreenSaver: cbWinScreenSaverClick(); break;
    case TControlId::cbWinPowerOff: cbWinPowerOffClick(); break;
    default: break;
    }
}

void TMainForm::ApplyEnablingRule(TControlId master) {
    for (const TEnablingRule& rule : EnablingRules()) {
        if (rule.Master != master) continue;
        for (TControlId dependent : rule.Dependents)
            if (dependent != TControlId::None) SetEnabled(dependent, Checked(master));
    }
}

void TMainForm::cbContinuousModeClick() { ApplyEnablingRule(TControlId::cbContinuousMode); }

void TMainForm::edContinuousModeDelayChange() {
    // Setting Number runs this handler once more, which then finds it in range.
    const int number = edContinuousModeDelay.Number();
    if (number < udDelayMin)
        edContinuousModeDelay.SetNumber(udDelayMin);
    else if (number > udDelayMax)
        edContinuousModeDelay.SetNumber(udDelayMax);
}

}  // namespace lumivane
