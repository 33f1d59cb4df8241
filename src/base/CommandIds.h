#pragma once
// Command identifiers of the main window's actions and menu items, as
// WM_COMMAND carries them. The menus, the tool bar and the accelerator table
// are built from these numbers; the controls' own (options/OptionControls.h)
// lie apart from them.
#include <cstdint>

namespace lumivane {

enum class TCommandId : uint16_t {
    None = 0,
    actScreenSaver = 201,
    actPowerOff = 202,
    actDisplayProperties = 203,
    actActivate = 204,
    actDeactivate = 205,
    actRestoreConfiguration = 206,
    actExit = 207,
    actSave = 208,
    mnShowP = 209,
    actHalfHour = 210,  // the seven deactivate-for actions follow in order
    act1Hour,
    act2Hours,
    act3Hours,
    act4Hours,
    act8Hours,
    act12Hours,
    actAbout = 217,
    mnClose = 218,
    mnViewHelp = 219,
    actDeactivateUntil = 220,
    actAutomaticDeactivation = 221,
};

}  // namespace lumivane
