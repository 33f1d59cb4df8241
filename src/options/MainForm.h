#pragma once
// The settings window's model, the options record: the live state of every
// option control and the rules between them. The Win32 window shows this
// state and reports the user's changes; the rest of the program reads the
// options here, also before the window was ever shown.
#include <array>
#include <functional>

#include "config/ManagedConfiguration.h"
#include "display/DisplayRequests.h"
#include "options/NumberEdit.h"
#include "options/OptionControls.h"

namespace lumivane {

// What a hot key field refuses and what it puts in place of a refused
// combination: its invalid-combination flags (HKCOMB_*) and modifiers (HOTKEYF_*).
struct THotKeyRules {
    uint8_t InvalidKeys;
    uint8_t Modifiers;
    friend bool operator==(const THotKeyRules&, const THotKeyRules&) = default;
};
constexpr uint8_t kHcNone = 0x01, kHcShift = 0x02;
// "Win +" unchecked: no modifier, or Shift alone, becomes Ctrl+Alt.
constexpr THotKeyRules kRulesWithoutWin{kHcNone | kHcShift, kHotKeyControl | kHotKeyAlt};
// "Win +" checked: a key alone is a combination; Shift alone is refused.
constexpr THotKeyRules kRulesWithWin{kHcShift, 0};

// Where the model's changes show (the window, once its controls exist).
class IFormView {
public:
    virtual ~IFormView() = default;
    virtual void ShowChecked(TControlId id, bool checked) = 0;
    virtual void ShowEnabled(TControlId id, bool enabled) = 0;
    virtual void ShowHotKey(TControlId id, TShortCut value) = 0;
    virtual void ShowHotKeyRules(TControlId id, THotKeyRules rules) = 0;
    virtual void ShowItemIndex(TControlId id, int index) = 0;
};

class TMainForm final : public IConfigurationOptions, public IContinuousModeOptions {
public:
    TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    void AttachView(IFormView* view) { FView = view; }

    // Check boxes: setting a new state, by the user or by code, runs the box's
    // click handler; setting the same state does nothing.
    bool Checked(TControlId id) const { return Slot(id).Checked; }
    void SetChecked(TControlId id, bool checked);
    bool Enabled(TControlId id) const { return Slot(id).Enabled; }
    void SetEnabled(TControlId id, bool enabled);
    // Hot key fields.
    TShortCut HotKey(TControlId id) const { return Slot(id).HotKey; }
    void SetHotKey(TControlId id, TShortCut value);
    void HotKeyChangedByUser(TControlId id, TShortCut value) { Slot(id).HotKey = value; }
    THotKeyRules HotKeyRules(TControlId id) const { return Slot(id).Rules; }
    // A change of the modifiers also gives the shown combination the new
    // modifiers, keeping its key; each setting does nothing when unchanged.
    void SetHotKeyRules(TControlId id, THotKeyRules rules);
    // Lists: setting the index by code runs nothing; the user's choice runs
    // the list's change handler.
    int ItemIndex(TControlId id) const { return Slot(id).ItemIndex; }
    void SetItemIndex(TControlId id, int index);
    void ItemIndexChangedByUser(TControlId id, int index);

    TNumberEdit edContinuousModeDelay{kDelayMaxLength};
    static constexpr int udDelayMin = kDelayMin, udDelayMax = kDelayMax;

    // Handlers of the window's controls.
    void cbContinuousModeClick();
    void edContinuousModeDelayChange();
    void cbHotkeyScreenSaverClick() { ApplyEnablingRule(TControlId::cbHotkeyScreenSaver); }
    void cbHotkeyPowerOffClick() { ApplyEnablingRule(TControlId::cbHotkeyPowerOff); }
    void cbWinScreenSaverClick() { ApplyWinRules(TControlId::cbWinScreenSaver, TControlId::HotKeyScreenSaver); }
    void cbWinPowerOffClick() { ApplyWinRules(TControlId::cbWinPowerOff, TControlId::HotKeyPowerOff); }
    // The tray lists' shared change handler; the tray actions set it.
    std::function<void()> cmbTrayIconDoubleClickChange;

    // IConfigurationOptions
    bool ManageScreenSaver() const override { return Checked(TControlId::cbManageScreenSaver); }
    bool ManagePowerOff() const override { return Checked(TControlId::cbManagePowerOff); }
    bool UpdateSettings() const override { return Checked(TControlId::cbUpdateSettings); }
    bool PreserveConfiguration() const override { return Checked(TControlId::cbPreserveConfiguration); }
    bool RestoreConfiguration() const override { return Checked(TControlId::cbRestoreConfiguration); }
    // IContinuousModeOptions
    bool ContinuousMode() const override { return Checked(TControlId::cbContinuousMode); }
    int32_t ContinuousModeDelay() const override { return edContinuousModeDelay.Number(); }

private:
    struct TSlot {
        bool Checked = false;
        bool Enabled = true;
        TShortCut HotKey = 0;
        THotKeyRules Rules = kRulesWithoutWin;
        int ItemIndex = -1;
    };
    static constexpr size_t kSlots = static_cast<size_t>(TControlId::ToolBar) -
                                     static_cast<size_t>(TControlId::gbScreenSaver) + 1;
    TSlot& Slot(TControlId id);
    const TSlot& Slot(TControlId id) const;
    void Click(TControlId id);
    void ApplyEnablingRule(TControlId master);
    void ApplyWinRules(TControlId box, TControlId field);

    std::array<TSlot, kSlots> FSlots{};
    IFormView* FView = nullptr;
};

}  // namespace lumivane
