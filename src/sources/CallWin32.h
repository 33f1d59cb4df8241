#pragma once
// Where a call is read from: the capability access store's records of the
// camera and the microphone (see Call.h), the user's and, for some use
// Windows records there, the machine's. Nothing polls it: the keys are
// watched.
#include <windows.h>

#include <vector>

#include "sources/Call.h"
#include "win32/KeyWatchWin32.h"

namespace lumivane {

constexpr UINT kCallChangedMessage = WM_APP + 0x42;

// Every record of both devices, in both hives.
std::vector<TDeviceUse> ReadDeviceUse();
// Watches the devices' keys (with the keys below them): posts `message` to
// `window` at each change.
void WatchDeviceUse(TKeyWatchWin32& watch, HWND window, UINT message);

}  // namespace lumivane
