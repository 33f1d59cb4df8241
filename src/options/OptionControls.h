#pragma once
// The settings window's controls as data: their identifiers, defaults and
// the rules between them, which the options record starts from and keeps.
// The Win32 side builds the window from these tables; the tests check them.
#include <cstdint>
#include <span>

#include "options/ShortCut.h"

namespace lumivane {

// Controls of the main window. Their numbers lie apart from the commands and
// from the dialog manager's IDOK and IDCANCEL, so a control's notification is
// never taken for a command.
enum class TControlId : uint16_t {
    None = 0,
    gbScreenSaver = 1001,
    lblScreenSaverActive0,
    lblScreenSaverActive,
    lblScreenSaverTimeout0,
    lblScreenSaverTimeout,
    cbManageScreenSaver,
    cbHotkeyScreenSaver,
    cbWinScreenSaver,
    HotKeyScreenSaver,
    gbPowerOff,
    lblPowerOffActive0,
    lblPowerOffActive,
    lblPowerOffTimeout0,
    lblPowerOffTimeout,
    cbManagePowerOff,
    cbHotkeyPowerOff,
    cbWinPowerOff,
    HotKeyPowerOff,
    gbOptions,
    cbRestoreConfiguration,
    cbPreserveConfiguration,
    cbUpdateSettings,
    cbStartWithWindows,
    cbContinuousMode,
    lblContinuousModeDelay,
    edContinuousModeDelay,
    udDelay,
    gbNotifyIcon,
    lblTrayIconDoubleClick,
    cmbTrayIconDoubleClick,
    lblTrayIconClick,
    cmbTrayIconClick,
    lblKeptAwake,
    CoolBar,
    ToolBar,
};

constexpr bool IsControlId(uint16_t id) {
    return id >= static_cast<uint16_t>(TControlId::gbScreenSaver) &&
           id <= static_cast<uint16_t>(TControlId::ToolBar);
}

enum class TControlKind { Group, Label, ValueLabel, CheckBox, HotKey, NumberEdit, UpDown, List };

struct TControlDef {
    TControlId Id;
    const char* Name;
    TControlKind Kind;
    TControlId Group;        // the group box it sits in; None for a group box
    const wchar_t* Caption;  // nullptr: none
    const wchar_t* Hint;     // nullptr: shows none; lines separated by '\r'
    bool Checked;            // check boxes: the default state
    bool Enabled;            // before the options are loaded
    TControlId Partner;      // a label's focus control; the up-down's buddy
};

// Every control in creation order, which is also the tab order.
std::span<const TControlDef> MainControls();
const TControlDef* FindControl(TControlId id);
// The name screen readers announce where no static label stands right
// before the control and its caption is not its own (the hot key fields,
// the two "Win +" boxes, the delay's arrows); nullptr: the label or caption.
const wchar_t* AccessibleName(TControlId id);

// A check box and the controls that are enabled exactly while it is checked.
struct TEnablingRule {
    TControlId Master;
    TControlId Dependents[3];  // None where there are fewer
};
std::span<const TEnablingRule> EnablingRules();

// Items of the two tray-action lists, by index.
std::span<const wchar_t* const> TrayDoubleClickItems();
std::span<const wchar_t* const> TrayClickItems();

// Defaults of the hot key fields and the delay.
constexpr TShortCut kDefaultHotKeyScreenSaver = 49235;  // Ctrl+Alt+S
constexpr TShortCut kDefaultHotKeyPowerOff = 49232;     // Ctrl+Alt+P
constexpr int kDelayMin = 1, kDelayMax = 10, kDelayDefault = 3, kDelayMaxLength = 2;

}  // namespace lumivane
