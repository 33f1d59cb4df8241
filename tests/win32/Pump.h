#pragma once
// Message pumping for tests that run the program's windows in the test thread.
#include <windows.h>

#include <chrono>

#include "win32/MessageLoopWin32.h"

namespace lumivane::test {

using TClock = std::chrono::steady_clock;

// Routes every waiting message as the program's loops do.
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) RouteMessage(msg);
}

// Pumps messages until `done` holds or the deadline passes.
template <typename F>
bool PumpUntil(F done, std::chrono::milliseconds deadline) {
    const auto end = TClock::now() + deadline;
    while (!done()) {
        if (TClock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

}  // namespace lumivane::test
