#include "display/SystemRequestsWin32.h"

#include <windows.h>

namespace lumivane {

namespace {
constexpr LPARAM kMonitorPowerOff = 2;  // 1 would be low power

// A blocking broadcast waits for every top-level window, so one hung window
// of any program would hang us with it. A notification reaches each window
// all the same (same-thread windows at once, others through their queues)
// and never waits.
void Broadcast(WPARAM command, LPARAM parameter) {
    SendNotifyMessageW(HWND_BROADCAST, WM_SYSCOMMAND, command, parameter);
}
}  // namespace

void TSystemRequestsWin32::StartScreenSaver() { Broadcast(SC_SCREENSAVE, 0); }

void TSystemRequestsWin32::PowerOffMonitor() { Broadcast(SC_MONITORPOWER, kMonitorPowerOff); }

}  // namespace lumivane
