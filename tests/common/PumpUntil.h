#pragma once
// Waiting while this thread takes its messages, for the tests under Wine.
#include <windows.h>

#include <chrono>

namespace lumivane::test {

// Handles every message waiting for this thread, as the test program routes
// them: each test program defines it once.
void PumpWaiting();

// Takes this thread's messages until `done` holds or the deadline passes.
template <typename F>
bool PumpUntil(F done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (PumpWaiting(); !done(); PumpWaiting()) {
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

}  // namespace lumivane::test
