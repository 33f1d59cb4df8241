#include "ui/MainContents.h"

#include <algorithm>

namespace lumivane {

namespace {

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


}  // namespace

std::span<const TCommandDef> MainCommands() { return kCommands; }

const TCommandDef* FindCommand(TCommandId id) {
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const TCommandDef& c) { return c.Id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

const TMenuDef& MainMenu() { return kMainMenu; }
const TMenuDef& NotifyMenu() { return kNotifyMenu; }

std::wstring MenuItemText(const TMenuItemDef& item, bool showShortCuts) {
    const TCommandDef* command = item.Kind == TMenuItemKind::Command ? FindCommand(item.Command) : nullptr;
    if (!command) return item.Caption ? item.Caption : L"";
    std::wstring text = item.Caption ? item.Caption : command->Caption;
    if (showShortCuts && command->ShortCut) text += L"\t" + ShortCutText(command->ShortCut);
    return text;
}
std::span<const TToolButtonDef> ToolBarButtons() { return kToolButtons; }

}  // namespace lumivane
