#pragma once
// What users' stored options know of the program, written out once for the
// native tests and the tests under Wine alike: the value names and their
// defaults are a contract with every stored set of options, so a misspelt
// value name in the program must fail a test, which a test that reads its
// expectations from the table it checks cannot do.
#include <cstdint>

#include "base/RegistryDefault.h"
#include "options/OptionControls.h"

namespace lumivane::test {

inline constexpr const wchar_t* kExpectedOptionsKey = L"Software\\Tessaly\\Lumivane";
inline constexpr const wchar_t* kExpectedRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The default of a Manage box: whether its item was active at start.
inline constexpr int32_t kActiveAtStart = INT32_MIN;

struct TExpectedValue {
    const wchar_t* Name;  // with its blanks: users' stored options carry them
    uint32_t Type;
    TControlId Control;  // the control whose state it holds
    int32_t Default;     // what a first run saves
};

// Every value a save writes, in the order it writes them.
inline constexpr TExpectedValue kExpectedOptionValues[] = {
    {L"Restore initial values on exit", kRegDword, TControlId::cbRestoreConfiguration, 1},
    {L"Store changes permanently ", kRegDword, TControlId::cbUpdateSettings, 0},
    {L"Start with Windows", kRegDword, TControlId::cbStartWithWindows, 0},
    {L"Preserve current options", kRegDword, TControlId::cbPreserveConfiguration, 0},
    {L"Use continuous mode", kRegDword, TControlId::cbContinuousMode, 0},
    {L"Continuous mode delay", kRegDword, TControlId::edContinuousModeDelay, 3},
    {L"Control screen saver", kRegDword, TControlId::cbManageScreenSaver, kActiveAtStart},
    {L"Control power off", kRegDword, TControlId::cbManagePowerOff, kActiveAtStart},
    {L"Use hotkey - screen saver", kRegDword, TControlId::cbHotkeyScreenSaver, 0},
    {L"Use hotkey - power off", kRegDword, TControlId::cbHotkeyPowerOff, 0},
    {L"Hotkey - screen saver", kRegDword, TControlId::HotKeyScreenSaver, 49235},  // Ctrl+Alt+S
    {L"Hotkey - power off", kRegDword, TControlId::HotKeyPowerOff, 49232},        // Ctrl+Alt+P
    {L"Win hotkey - screen saver", kRegDword, TControlId::cbWinScreenSaver, 0},
    {L"Win hotkey - power off", kRegDword, TControlId::cbWinPowerOff, 0},
    {L"Tray icon option - single click", kRegDword, TControlId::cmbTrayIconClick, 0},
    {L"Tray icon option", kRegDword, TControlId::cmbTrayIconDoubleClick, 0},
};
// Read at start and never written: only a user sets it.
inline constexpr TExpectedValue kExpectedHighColorValue{L"HighColorNotifyIcon", kRegDword, TControlId::None, 0};

// The stored value that holds the control's state.
inline const TExpectedValue& ExpectedOption(TControlId control) {
    for (const TExpectedValue& v : kExpectedOptionValues)
        if (v.Control == control) return v;
    return kExpectedHighColorValue;
}
inline const wchar_t* StoredName(TControlId control) { return ExpectedOption(control).Name; }

struct TExpectedControl {
    TControlId Id;
    bool Checked, Enabled;  // before any option is loaded
};

// Every control of the settings window, as it starts. Its captions and hints
// are the program's table's (src/ui/MainContents.cpp): the tests under Wine
// hold the controls against that table, not against a copy of it.
inline constexpr TExpectedControl kExpectedControls[] = {
    {TControlId::gbScreenSaver, false, true},
    {TControlId::lblScreenSaverActive0, false, true},
    {TControlId::lblScreenSaverActive, false, true},
    {TControlId::lblScreenSaverTimeout0, false, true},
    {TControlId::lblScreenSaverTimeout, false, true},
    {TControlId::cbManageScreenSaver, true, true},
    {TControlId::cbHotkeyScreenSaver, false, true},
    {TControlId::cbWinScreenSaver, false, false},
    {TControlId::HotKeyScreenSaver, false, false},
    {TControlId::gbPowerOff, false, true},
    {TControlId::lblPowerOffActive0, false, true},
    {TControlId::lblPowerOffActive, false, true},
    {TControlId::lblPowerOffTimeout0, false, true},
    {TControlId::lblPowerOffTimeout, false, true},
    {TControlId::cbManagePowerOff, true, true},
    {TControlId::cbHotkeyPowerOff, false, true},
    {TControlId::cbWinPowerOff, false, false},
    {TControlId::HotKeyPowerOff, false, false},
    {TControlId::gbOptions, false, true},
    {TControlId::cbRestoreConfiguration, true, true},
    {TControlId::cbPreserveConfiguration, false, true},
    {TControlId::cbUpdateSettings, false, true},
    {TControlId::cbStartWithWindows, false, true},
    {TControlId::cbContinuousMode, false, true},
    {TControlId::lblContinuousModeDelay, false, false},
    {TControlId::edContinuousModeDelay, false, false},
    {TControlId::udDelay, false, false},
    {TControlId::gbNotifyIcon, false, true},
    {TControlId::lblTrayIconDoubleClick, false, true},
    {TControlId::cmbTrayIconDoubleClick, false, true},
    {TControlId::lblTrayIconClick, false, true},
    {TControlId::cmbTrayIconClick, false, true},
    {TControlId::lblKeptAwake, false, true},
};

inline const TExpectedControl* FindExpectedControl(TControlId id) {
    for (const TExpectedControl& c : kExpectedControls)
        if (c.Id == id) return &c;
    return nullptr;
}

// How many items the two lists of "Taskbar icon" hold: a stored index is one of them.
inline constexpr int kExpectedDoubleClickItems = 6, kExpectedClickItems = 3;

}  // namespace lumivane::test
