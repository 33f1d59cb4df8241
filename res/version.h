// Version of Lumivane: the one source of the number. The version resource,
// the about box (major and minor only), the CMake project, the installers and
// the release's manifests read it here; the manifest's assemblyIdentity must
// agree (the configure step checks it). Each release raises the patch number
// and has a dated CHANGELOG.md entry of its own (tools/release checks it).
#pragma once
#define LUMIVANE_VERSION_MAJOR 1
#define LUMIVANE_VERSION_MINOR 61
#define LUMIVANE_VERSION_PATCH 1
#define LUMIVANE_VERSION_STRING "1.61.1"
