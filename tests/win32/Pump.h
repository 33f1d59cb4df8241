#pragma once
// Message pumping for tests that run the program's windows in the test thread.
#include <windows.h>

#include <chrono>

#include "common/PumpUntil.h"
#include "win32/MessageLoopWin32.h"

namespace lumivane::test {

using TClock = std::chrono::steady_clock;

// Routes every waiting message as the program's loops do.
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) RouteMessage(msg);
}

// This program's PumpWaiting (common/PumpUntil.h): every message routed as the program's loops do.
inline void PumpWaiting() { Pump(); }

}  // namespace lumivane::test
