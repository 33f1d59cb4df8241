#pragma once
// Command identifiers of the main window's actions and menu items, as
// WM_COMMAND carries them. res/resource.h repeats them for the menus.
#include <cstdint>

namespace lumivane {

enum class TCommandId : uint16_t {
    actScreenSaver = 201,
    actPowerOff = 202,
    actDisplayProperties = 203,
    actActivate = 204,
    actDeactivate = 205,
    actRestoreConfiguration = 206,
    actExit = 207,
    mnShowP = 209,
    actHalfHour = 210,  // the seven deactivate-for actions follow in order
    act1Hour,
    act2Hours,
    act3Hours,
    act4Hours,
    act8Hours,
    act12Hours,
};

}  // namespace lumivane
