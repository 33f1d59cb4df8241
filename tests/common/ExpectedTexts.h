#pragma once
// What users and their stored options know of the program, written out once
// for the native tests and the tests under Wine alike. The tests hold the
// program's own tables against these: a misspelt caption or value name in
// the program must fail a test, which a test that reads its expectations
// from the table it checks cannot do.
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
    const wchar_t* Caption;  // nullptr: none
    const wchar_t* Hint;     // nullptr: none; lines separated by '\r'
    bool Checked, Enabled;   // before any option is loaded
};

inline constexpr const wchar_t* kExpectedWinHint = L"Use Windows Logo key for the hotkey";
inline constexpr const wchar_t* kExpectedDelayHint = L"Time out for continuous mode";

// Every control of the settings window.
inline constexpr TExpectedControl kExpectedControls[] = {
    {TControlId::gbScreenSaver, L"Screen saver", nullptr, false, true},
    {TControlId::lblScreenSaverActive0, L"Screen saver active:", nullptr, false, true},
    {TControlId::lblScreenSaverActive, nullptr, nullptr, false, true},
    {TControlId::lblScreenSaverTimeout0, L"Screen saver timeout:", nullptr, false, true},
    {TControlId::lblScreenSaverTimeout, nullptr, nullptr, false, true},
    {TControlId::cbManageScreenSaver, L"Manage &screen saver",
     L"If not checked, the screen saver configuration is not changed", true, true},
    {TControlId::cbHotkeyScreenSaver, L"Hot key for &launching the screen saver:",
     L"Assigns a hot key for the 'Launch screen saver' command", false, true},
    {TControlId::cbWinScreenSaver, L"Win +", kExpectedWinHint, false, false},
    {TControlId::HotKeyScreenSaver, nullptr, L"Hot key for the 'Launch screen saver' command", false, false},
    {TControlId::gbPowerOff, L"Monitor power off", nullptr, false, true},
    {TControlId::lblPowerOffActive0, L"Monitor power off active:", nullptr, false, true},
    {TControlId::lblPowerOffActive, nullptr, nullptr, false, true},
    {TControlId::lblPowerOffTimeout0, L"Monitor power off timeout:", nullptr, false, true},
    {TControlId::lblPowerOffTimeout, nullptr, nullptr, false, true},
    {TControlId::cbManagePowerOff, L"Manage &monitor power off",
     L"If not checked, the monitor power off configuration is not changed", true, true},
    {TControlId::cbHotkeyPowerOff, L"Hot key for powering &off the monitor:",
     L"Assigns a hot key for the 'Power off monitor' command", false, true},
    {TControlId::cbWinPowerOff, L"Win +", kExpectedWinHint, false, false},
    {TControlId::HotKeyPowerOff, nullptr, L"Hot key for the 'Power off monitor' command", false, false},
    {TControlId::gbOptions, L"General options", nullptr, false, true},
    {TControlId::cbRestoreConfiguration, L"Restore &initial configuration on exit",
     L"Restores at program exit the values of the screen saver/power off\r"
     L"configuration present when the program was started",
     true, true},
    {TControlId::cbPreserveConfiguration, L"Pr&eserve selected configuration",
     L"Maintains the values selected by the Activate & Deactivate\r"
     L"commands, even if other programs make changes to it.\r"
     L"(Use Restore to end the values preservation)",
     false, true},
    {TControlId::cbUpdateSettings, L"Update Windows &configuration",
     L"Save the changes made to the screen saver/power off configuration\r"
     L"(otherwise the changes are discarded after Windows is restarted)",
     false, true},
    {TControlId::cbStartWithWindows, L"Load on &Windows startup",
     L"Run the application at session start (as taskbar icon)", false, true},
    {TControlId::cbContinuousMode, L"&Use continuous mode:",
     L"Activates continuous mode for 'Launch screen saver'\rand 'Power off the monitor' commands", false, true},
    {TControlId::lblContinuousModeDelay, L"Activation timeout (secs.):", kExpectedDelayHint, false, false},
    {TControlId::edContinuousModeDelay, nullptr, kExpectedDelayHint, false, false},
    {TControlId::udDelay, nullptr, nullptr, false, false},
    {TControlId::gbNotifyIcon, L"Taskbar icon", nullptr, false, true},
    {TControlId::lblTrayIconDoubleClick, L"&Double-click action:", nullptr, false, true},
    {TControlId::cmbTrayIconDoubleClick, nullptr,
     L"Selects the action that will be performed when taskbar icon is double-clicked", false, true},
    {TControlId::lblTrayIconClick, L"Single clic&k action:", nullptr, false, true},
    {TControlId::cmbTrayIconClick, nullptr, L"Selects the action that will be performed when taskbar icon is clicked",
     false, true},
    {TControlId::lblKeptAwake, nullptr, nullptr, false, true},
};

inline const TExpectedControl* FindExpectedControl(TControlId id) {
    for (const TExpectedControl& c : kExpectedControls)
        if (c.Id == id) return &c;
    return nullptr;
}

// The two lists of "Taskbar icon", by index: a stored index is one of these.
inline constexpr const wchar_t* kExpectedDoubleClickItems[] = {
    L"Show application window", L"Launch screen saver",      L"Power off the monitor",
    L"Activate managed items",  L"Deactivate managed items", L"Toggle activation/deactivation",
};
inline constexpr const wchar_t* kExpectedClickItems[] = {L"(none)", L"Toggle activation/deactivation",
                                                          L"Show/hide application window"};

}  // namespace lumivane::test
