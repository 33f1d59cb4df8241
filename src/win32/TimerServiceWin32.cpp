#include "win32/TimerServiceWin32.h"

namespace lumivane {

UINT_PTR TTimerServiceWin32::IdOf(const TTimer* timer) const {
    for (size_t i = 0; i < FSlots.size(); ++i)
        if (FSlots[i].Timer == timer) return i + 1;
    return 0;
}

void TTimerServiceWin32::Attach(HWND window) {
    FWindow = window;
    for (size_t i = 0; i < FSlots.size(); ++i)
        if (FSlots[i].Timer) SetTimer(FWindow, i + 1, FSlots[i].Interval, nullptr);
}

void TTimerServiceWin32::Start(TTimer& timer, uint32_t intervalMs) {
    UINT_PTR id = IdOf(&timer);
    if (id == 0) id = IdOf(nullptr);
    if (id == 0) {
        FSlots.push_back({});
        id = FSlots.size();
    }
    FSlots[id - 1] = {&timer, intervalMs};
    if (FWindow) SetTimer(FWindow, id, intervalMs, nullptr);
}

void TTimerServiceWin32::Stop(TTimer& timer) {
    const UINT_PTR id = IdOf(&timer);
    if (id == 0) return;
    if (FWindow) KillTimer(FWindow, id);
    // The slot is freed so that a destroyed timer is never reached; a
    // WM_TIMER already queued for it finds an empty slot.
    FSlots[id - 1] = {};
}

bool TTimerServiceWin32::Dispatch(UINT_PTR id) {
    if (id == 0 || id > FSlots.size()) return false;
    if (TTimer* timer = FSlots[id - 1].Timer) timer->Tick();
    return true;
}

}  // namespace lumivane
