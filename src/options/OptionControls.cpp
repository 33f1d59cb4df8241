#include "options/OptionControls.h"

#include <algorithm>

namespace lumivane {

namespace {

using C = TControlId;
using K = TControlKind;

constexpr wchar_t kHintRestore[] =
    L"Restores at program exit the values of the screen saver/power off\r"
    L"configuration present when the program was started";
constexpr wchar_t kHintPreserve[] =
    L"Maintains the values selected by the Activate & Deactivate\r"
    L"commands, even if other programs make changes to it.\r"
    L"(Use Restore to end the values preservation)";
constexpr wchar_t kHintUpdate[] =
    L"Save the changes made to the screen saver/power off configuration\r"
    L"(otherwise the changes are discarded after Windows is restarted)";
constexpr wchar_t kHintContinuous[] =
    L"Activates continuous mode for 'Launch screen saver'\r"
    L"and 'Power off the monitor' commands";
constexpr wchar_t kHintDelay[] = L"Time out for continuous mode";
constexpr wchar_t kHintWin[] = L"Use Windows Logo key for the hotkey";

constexpr TControlDef kControls[] = {
    {C::gbScreenSaver, "gbScreenSaver", K::Group, C::None, L"Screen saver", nullptr, false, true, C::None},
    {C::lblScreenSaverActive0, "lblScreenSaverActive0", K::Label, C::gbScreenSaver, L"Screen saver active:", nullptr, false, true, C::None},
    {C::lblScreenSaverActive, "lblScreenSaverActive", K::ValueLabel, C::gbScreenSaver, nullptr, nullptr, false, true, C::None},
    {C::lblScreenSaverTimeout0, "lblScreenSaverTimeout0", K::Label, C::gbScreenSaver, L"Screen saver timeout:", nullptr, false, true, C::None},
    {C::lblScreenSaverTimeout, "lblScreenSaverTimeout", K::ValueLabel, C::gbScreenSaver, nullptr, nullptr, false, true, C::None},
    {C::cbManageScreenSaver, "cbManageScreenSaver", K::CheckBox, C::gbScreenSaver, L"Manage &screen saver",
     L"If not checked, the screen saver configuration is not changed", true, true, C::None},
    {C::cbHotkeyScreenSaver, "cbHotkeyScreenSaver", K::CheckBox, C::gbScreenSaver, L"Hot key for &launching the screen saver:",
     L"Assigns a hot key for the 'Launch screen saver' command", false, true, C::None},
    {C::cbWinScreenSaver, "cbWinScreenSaver", K::CheckBox, C::gbScreenSaver, L"Win +", kHintWin, false, false, C::None},
    {C::HotKeyScreenSaver, "HotKeyScreenSaver", K::HotKey, C::gbScreenSaver, nullptr,
     L"Hot key for the 'Launch screen saver' command", false, false, C::None},

    {C::gbPowerOff, "gbPowerOff", K::Group, C::None, L"Monitor power off", nullptr, false, true, C::None},
    {C::lblPowerOffActive0, "lblPowerOffActive0", K::Label, C::gbPowerOff, L"Monitor power off active:", nullptr, false, true, C::None},
    {C::lblPowerOffActive, "lblPowerOffActive", K::ValueLabel, C::gbPowerOff, nullptr, nullptr, false, true, C::None},
    {C::lblPowerOffTimeout0, "lblPowerOffTimeout0", K::Label, C::gbPowerOff, L"Monitor power off timeout:", nullptr, false, true, C::None},
    {C::lblPowerOffTimeout, "lblPowerOffTimeout", K::ValueLabel, C::gbPowerOff, nullptr, nullptr, false, true, C::None},
    {C::cbManagePowerOff, "cbManagePowerOff", K::CheckBox, C::gbPowerOff, L"Manage &monitor power off",
     L"If not checked, the monitor power off configuration is not changed", true, true, C::None},
    {C::cbHotkeyPowerOff, "cbHotkeyPowerOff", K::CheckBox, C::gbPowerOff, L"Hot key for powering &off the monitor:",
     L"Assigns a hot key for the 'Power off monitor' command", false, true, C::None},
    {C::cbWinPowerOff, "cbWinPowerOff", K::CheckBox, C::gbPowerOff, L"Win +", kHintWin, false, false, C::None},
    {C::HotKeyPowerOff, "HotKeyPowerOff", K::HotKey, C::gbPowerOff, nullptr,
     L"Hot key for the 'Power off monitor' command", false, false, C::None},

    {C::gbOptions, "gbOptions", K::Group, C::None, L"General options", nullptr, false, true, C::None},
    {C::cbRestoreConfiguration, "cbRestoreConfiguration", K::CheckBox, C::gbOptions, L"Restore &initial configuration on exit",
     kHintRestore, true, true, C::None},
    {C::cbPreserveConfiguration, "cbPreserveConfiguration", K::CheckBox, C::gbOptions, L"Pr&eserve selected configuration",
     kHintPreserve, false, true, C::None},
    {C::cbUpdateSettings, "cbUpdateSettings", K::CheckBox, C::gbOptions, L"Update Windows &configuration",
     kHintUpdate, false, true, C::None},
    {C::cbStartWithWindows, "cbStartWithWindows", K::CheckBox, C::gbOptions, L"Load on &Windows startup",
     L"Run the application at session start (as taskbar icon)", false, true, C::None},
    {C::cbContinuousMode, "cbContinuousMode", K::CheckBox, C::gbOptions, L"&Use continuous mode:",
     kHintContinuous, false, true, C::None},
    {C::lblContinuousModeDelay, "lblContinuousModeDelay", K::Label, C::gbOptions, L"Activation timeout (secs.):",
     kHintDelay, false, false, C::edContinuousModeDelay},
    {C::edContinuousModeDelay, "edContinuousModeDelay", K::NumberEdit, C::gbOptions, nullptr, kHintDelay, false, false, C::None},
    {C::udDelay, "udDelay", K::UpDown, C::gbOptions, nullptr, nullptr, false, false, C::edContinuousModeDelay},

    {C::gbNotifyIcon, "gbNotifyIcon", K::Group, C::None, L"Taskbar icon", nullptr, false, true, C::None},
    {C::lblTrayIconDoubleClick, "lblTrayIconDoubleClick", K::Label, C::gbNotifyIcon, L"&Double-click action:", nullptr,
     false, true, C::cmbTrayIconDoubleClick},
    {C::cmbTrayIconDoubleClick, "cmbTrayIconDoubleClick", K::List, C::gbNotifyIcon, nullptr,
     L"Selects the action that will be performed when taskbar icon is double-clicked", false, true, C::None},
    {C::lblTrayIconClick, "lblTrayIconClick", K::Label, C::gbNotifyIcon, L"Single clic&k action:", nullptr, false, true,
     C::cmbTrayIconClick},
    {C::cmbTrayIconClick, "cmbTrayIconClick", K::List, C::gbNotifyIcon, nullptr,
     L"Selects the action that will be performed when taskbar icon is clicked", false, true, C::None},
    // Whether the computer is kept awake: a line of the status of its own, empty when nothing holds it.
    {C::lblKeptAwake, "lblKeptAwake", K::ValueLabel, C::None, nullptr, nullptr, false, true, C::None},
};

constexpr struct {
    TControlId Id;
    const wchar_t* Name;
} kAccessibleNames[] = {
    {C::cbWinScreenSaver, L"Win + (screen saver hot key)"},
    {C::HotKeyScreenSaver, L"Hot key for launching the screen saver"},
    {C::cbWinPowerOff, L"Win + (monitor power off hot key)"},
    {C::HotKeyPowerOff, L"Hot key for powering off the monitor"},
    {C::udDelay, L"Change the activation timeout"},
};

constexpr TEnablingRule kEnablingRules[] = {
    {C::cbContinuousMode, {C::lblContinuousModeDelay, C::edContinuousModeDelay, C::udDelay}},
    {C::cbHotkeyScreenSaver, {C::cbWinScreenSaver, C::HotKeyScreenSaver, C::None}},
    {C::cbHotkeyPowerOff, {C::cbWinPowerOff, C::HotKeyPowerOff, C::None}},
};

constexpr const wchar_t* kTrayDoubleClickItems[] = {
    L"Show application window", L"Launch screen saver",    L"Power off the monitor",
    L"Activate managed items",  L"Deactivate managed items", L"Toggle activation/deactivation",
};
constexpr const wchar_t* kTrayClickItems[] = {
    L"(none)", L"Toggle activation/deactivation", L"Show/hide application window"};

}  // namespace

std::span<const TControlDef> MainControls() { return kControls; }

const TControlDef* FindControl(TControlId id) {
    const auto it = std::find_if(std::begin(kControls), std::end(kControls),
                                 [id](const TControlDef& c) { return c.Id == id; });
    return it == std::end(kControls) ? nullptr : &*it;
}

const wchar_t* AccessibleName(TControlId id) {
    for (const auto& n : kAccessibleNames)
        if (n.Id == id) return n.Name;
    return nullptr;
}

std::span<const TEnablingRule> EnablingRules() { return kEnablingRules; }

std::span<const wchar_t* const> TrayDoubleClickItems() { return kTrayDoubleClickItems; }
std::span<const wchar_t* const> TrayClickItems() { return kTrayClickItems; }

}  // namespace lumivane
