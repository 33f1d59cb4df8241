#include "ui/MainContents.h"

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
     L"Assings a hot key for the 'Launch screen saver' command", false, true, C::None},
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
     L"Assings a hot key for the 'Power off monitor' command", false, true, C::None},
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

using A = TCommandId;
constexpr TShortCut kCtrl = kScCtrl, kAlt = kScAlt;
constexpr TShortCut kVkF1 = 0x70;

constexpr TCommandDef kCommands[] = {
    {A::actScreenSaver, "actScreenSaver", L"&Launch screen saver", L"Launch the screen saver", 4, 0, true},
    {A::actPowerOff, "actPowerOff", L"&Power off the monitor", L"Power off the monitor", 5, 0, true},
    {A::actActivate, "actActivate", L"&Activate managed items", L"Activate managed items", 2, kCtrl | 'A', true},
    {A::actDeactivate, "actDeactivate", L"&Deactivate managed items", L"Deactivate managed items", 3, kCtrl | 'D', true},
    {A::actDisplayProperties, "actDisplayProperties", L"&Show Display Properties", L"Show Display Properties", 1,
     kCtrl | 'P', true},
    {A::actRestoreConfiguration, "actRestoreConfiguration", L"Restore initial configuration",
     L"Restore initial configuration", 7, kCtrl | 'R', true},
    {A::actSave, "actSave", L"&Save", L"Save the current options", 8, kCtrl | 'S', true},
    {A::actExit, "actExit", L"E&xit", L"Exit", 9, kAlt | 'X', true},
    {A::actAbout, "actAbout", L"A&bout", L"About", 0, 0, true},
    {A::actHalfHour, "actHalfHour", L"1/2 &hour", nullptr, 0, 0, true},
    {A::act1Hour, "act1Hour", L"&1 hour", nullptr, 0, 0, true},
    {A::act2Hours, "act2Hours", L"&2 hours", nullptr, 0, 0, true},
    {A::act3Hours, "act3Hours", L"&3 hours", nullptr, 0, 0, true},
    {A::act4Hours, "act4Hours", L"&4 hours", nullptr, 0, 0, true},
    {A::act8Hours, "act8Hours", L"&8 hours", nullptr, 0, 0, true},
    {A::act12Hours, "act12Hours", L"12 h&ours", nullptr, 0, 0, true},
    {A::actDeactivateUntil, "actDeactivateUntil", L"&Until\u2026", nullptr, 0, 0, true},
    {A::actAutomaticDeactivation, "actAutomaticDeactivation", L"A&utomatic deactivation\u2026", nullptr, 0, 0,
     true},
    {A::mnShowP, "mnShowP", L"S&how", nullptr, 6, 0, false},
    {A::mnClose, "mnClose", L"&Close window", nullptr, 0, 0, false},
    {A::mnViewHelp, "mnViewHelp", L"View &help", nullptr, 10, kVkF1, false},
};

using M = TMenuItemKind;
constexpr TMenuItemDef kMainMenuItems[] = {
    {0, M::Submenu, "mnFile", A::None, L"&File"},
    {1, M::Command, "mnDisplayProperties", A::actDisplayProperties, nullptr},
    {1, M::Separator, nullptr, A::None, nullptr},
    {1, M::Command, "mnClose", A::mnClose, nullptr},
    {1, M::Separator, nullptr, A::None, nullptr},
    {1, M::Command, "mnExit", A::actExit, nullptr},
    {0, M::Submenu, "mnTools", A::None, L"&Tools"},
    {1, M::Command, "mnActivate", A::actActivate, nullptr},
    {1, M::Command, "mnDeactivate", A::actDeactivate, nullptr},
    {1, M::Submenu, "mnDeactivateFor", A::None, L"Deactivate managed items for"},
    {2, M::Command, "mnHalfHour", A::actHalfHour, nullptr},
    {2, M::Command, "mn1Hour", A::act1Hour, nullptr},
    {2, M::Command, "mn2Hours", A::act2Hours, nullptr},
    {2, M::Command, "mn3Hours", A::act3Hours, nullptr},
    {2, M::Command, "mn4Hours", A::act4Hours, nullptr},
    {2, M::Command, "mn8Hours", A::act8Hours, nullptr},
    {2, M::Command, "mn12Hours", A::act12Hours, nullptr},
    {1, M::Separator, nullptr, A::None, nullptr},
    {1, M::Command, "mnRestoreConfiguration", A::actRestoreConfiguration, nullptr},
    {1, M::Command, "mnAutomaticDeactivation", A::actAutomaticDeactivation, nullptr},
    {1, M::Separator, nullptr, A::None, nullptr},
    {1, M::Command, "mnScreenSaver", A::actScreenSaver, nullptr},
    {1, M::Command, "mnPowerOff", A::actPowerOff, nullptr},
    {0, M::Submenu, "mnHelp", A::None, L"&Help"},
    {1, M::Command, "mnViewHelp", A::mnViewHelp, nullptr},
    {1, M::Command, "mnAbout", A::actAbout, nullptr},
};

constexpr TMenuItemDef kNotifyMenuItems[] = {
    {0, M::Command, "mnShowP", A::mnShowP, nullptr},
    {0, M::Command, "mnDisplayPropertiesP", A::actDisplayProperties, nullptr},
    {0, M::Separator, nullptr, A::None, nullptr},
    {0, M::Command, "mnActivateP", A::actActivate, nullptr},
    {0, M::Command, "mnDeactivateP", A::actDeactivate, nullptr},
    {0, M::Submenu, "mnDeactivateForP", A::None, L"Deactivate managed items for"},
    {1, M::Command, "mnHalfHourP", A::actHalfHour, nullptr},
    {1, M::Command, "mn1HourP", A::act1Hour, nullptr},
    {1, M::Command, "mn2HoursP", A::act2Hours, nullptr},
    {1, M::Command, "mn3HoursP", A::act3Hours, nullptr},
    {1, M::Command, "mn4HoursP", A::act4Hours, nullptr},
    {1, M::Command, "mn8HoursP", A::act8Hours, nullptr},
    {1, M::Command, "mn12HoursP", A::act12Hours, nullptr},
    {1, M::Command, "mnUntilP", A::actDeactivateUntil, nullptr},
    {0, M::Separator, nullptr, A::None, nullptr},
    {0, M::Command, "mnRestoreConfigurationP", A::actRestoreConfiguration, nullptr},
    {0, M::Command, "mnAutomaticDeactivationP", A::actAutomaticDeactivation, nullptr},
    {0, M::Separator, nullptr, A::None, nullptr},
    {0, M::Command, "mnScreenSaverP", A::actScreenSaver, nullptr},
    {0, M::Command, "mnPowerOffP", A::actPowerOff, nullptr},
    {0, M::Separator, nullptr, A::None, nullptr},
    {0, M::Command, "mnAboutP", A::actAbout, nullptr},
    {0, M::Separator, nullptr, A::None, nullptr},
    {0, M::Command, "mnExitP", A::actExit, nullptr},
};

// The notification menu shows no shortcut texts: they belong to the window.
constexpr TMenuDef kMainMenu{kMainMenuItems, true, A::None};
constexpr TMenuDef kNotifyMenu{kNotifyMenuItems, false, A::mnShowP};

constexpr TToolButtonDef kToolButtons[] = {
    {"btnActivate", A::actActivate, L" Activate "},
    {"btnDeactivate", A::actDeactivate, L"Deactivate"},
    {"btnRestoreConfiguration", A::actRestoreConfiguration, L"  Restore  "},
    {"btnSeparator1", A::None, nullptr},
    {"btnScreenSaver", A::actScreenSaver, L"Screen saver"},
    {"btnPowerOff", A::actPowerOff, L" Power off "},
    {"btnSeparator2", A::None, nullptr},
    {"btnDisplayProperties", A::actDisplayProperties, L"  Display  "},
    {"btnExit", A::actExit, L"    E&xit    "},
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

std::span<const TCommandDef> MainCommands() { return kCommands; }

const TCommandDef* FindCommand(TCommandId id) {
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const TCommandDef& c) { return c.Id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

const TMenuDef& MainMenu() { return kMainMenu; }
const TMenuDef& NotifyMenu() { return kNotifyMenu; }
std::span<const TToolButtonDef> ToolBarButtons() { return kToolButtons; }
std::span<const wchar_t* const> TrayDoubleClickItems() { return kTrayDoubleClickItems; }
std::span<const wchar_t* const> TrayClickItems() { return kTrayClickItems; }

}  // namespace lumivane
