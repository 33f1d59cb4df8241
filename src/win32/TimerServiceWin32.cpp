#include "win32/TimerServiceWin32.h"

#include <algorithm>

namespace lumivane {

namespace {
UINT_PTR IdOf(const std::vector<TTimer*>& timers, const TTimer* timer) {
    const auto it = std::find(timers.begin(), timers.end(), timer);
    return it == timers.end() ? 0 : static_cast<UINT_PTR>(it - timers.begin()) + 1;
}
}  // namespace

void TTimerServiceWin32::Start(TTimer& timer, uint32_t intervalMs) {
    UINT_PTR id = IdOf(FTimers, &timer);
    if (id == 0) {
        id = IdOf(FTimers, nullptr);
        if (id == 0) {
            FTimers.push_back(nullptr);
            id = FTimers.size();
        }
        FTimers[id - 1] = &timer;
    }
    SetTimer(FWindow, id, intervalMs, nullptr);
}

void TTimerServiceWin32::Stop(TTimer& timer) {
    const UINT_PTR id = IdOf(FTimers, &timer);
    if (id == 0) return;
    KillTimer(FWindow, id);
    // The slot is freed so that a destroyed timer is never reached; a
    // WM_TIMER already queued for it finds an empty slot.
    FTimers[id - 1] = nullptr;
}

bool TTimerServiceWin32::Dispatch(UINT_PTR id) {
    if (id == 0 || id > FTimers.size()) return false;
    if (TTimer* timer = FTimers[id - 1]) timer->Tick();
    return true;
}

}  // namespace lumivane
