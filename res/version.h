// Version of Lumivane: the one source of the number. The version resource,
// the about box and the CMake project read it here; the manifest's
// assemblyIdentity must agree (the configure step checks it).
#pragma once
#define LUMIVANE_VERSION_MAJOR 1
#define LUMIVANE_VERSION_MINOR 61
#define LUMIVANE_VERSION_PATCH 0
#define LUMIVANE_VERSION_STRING "1.61"
