// Resource identifiers, shared by Lumivane.rc and the code (the resource
// compiler understands only #define).
#pragma once
#define IDI_APP 1
#define IDI_SCREENSAVER 101
#define IDI_POWEROFF 102
