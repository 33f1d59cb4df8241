// Version of Lumivane, shared by the version resource and the code.
#pragma once
#define LUMIVANE_VERSION_MAJOR 0
#define LUMIVANE_VERSION_MINOR 1
#define LUMIVANE_VERSION_PATCH 0
#define LUMIVANE_VERSION_STRING "0.1.0"
