#include "display/SystemRequestsWin32.h"

#include <windows.h>

namespace lumivane {

namespace {
constexpr LPARAM kMonitorPowerOff = 2;  // 1 would be low power

struct TRequest {
    WPARAM Command;
    LPARAM Parameter;
};

BOOL CALLBACK SendRequest(HWND window, LPARAM request) {
    // A hung window would act on a queued request whenever it recovers,
    // minutes later: it is skipped.
    if (!IsHungAppWindow(window)) {
        const auto* r = reinterpret_cast<const TRequest*>(request);
        SendNotifyMessageW(window, WM_SYSCOMMAND, r->Command, r->Parameter);
    }
    return TRUE;
}

// Every top-level window gets the request, as a broadcast would, in Z order.
// A blocking send would wait for each window, so one hung window of any
// program would hang us with it; a notification never waits (same-thread
// windows get it at once, others through their queues).
void Broadcast(WPARAM command, LPARAM parameter) {
    const TRequest request{command, parameter};
    EnumWindows(&SendRequest, reinterpret_cast<LPARAM>(&request));
}
}  // namespace

void TSystemRequestsWin32::StartScreenSaver() { Broadcast(SC_SCREENSAVE, 0); }

void TSystemRequestsWin32::PowerOffMonitor() { Broadcast(SC_MONITORPOWER, kMonitorPowerOff); }

}  // namespace lumivane
