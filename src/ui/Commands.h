#pragma once
// Command identifiers of the main window's actions, as WM_COMMAND carries them.
#include <cstdint>

namespace lumivane {

enum class TCommandId : uint16_t {
    actScreenSaver = 201,
    actPowerOff = 202,
    actDisplayProperties = 203,
};

}  // namespace lumivane
