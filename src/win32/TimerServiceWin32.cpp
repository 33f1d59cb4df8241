#include "win32/TimerServiceWin32.h"

#include <algorithm>

namespace lumivane {

TTimerServiceWin32::TSlot* TTimerServiceWin32::Find(const TTimer* timer) {
    for (TSlot& slot : FSlots)
        if (slot.Timer == timer) return &slot;
    return nullptr;
}

void TTimerServiceWin32::Attach(HWND window) {
    FWindow = window;
    for (const TSlot& slot : FSlots) SetTimer(FWindow, slot.Id, slot.Interval, nullptr);
}

void TTimerServiceWin32::Start(TTimer& timer, uint32_t intervalMs) {
    TSlot* slot = Find(&timer);
    if (!slot) slot = &FSlots.emplace_back(TSlot{FNextId++, &timer, intervalMs});
    slot->Interval = intervalMs;
    // SetTimer with the same identifier restarts the period.
    if (FWindow) SetTimer(FWindow, slot->Id, intervalMs, nullptr);
}

void TTimerServiceWin32::Stop(TTimer& timer) {
    TSlot* slot = Find(&timer);
    if (!slot) return;
    if (FWindow) KillTimer(FWindow, slot->Id);
    FSlots.erase(FSlots.begin() + (slot - FSlots.data()));
}

bool TTimerServiceWin32::Dispatch(UINT_PTR id) {
    if (id == 0 || id >= FNextId) return false;
    const auto it = std::find_if(FSlots.begin(), FSlots.end(), [id](const TSlot& s) { return s.Id == id; });
    if (it != FSlots.end()) it->Timer->Tick();
    return true;
}

}  // namespace lumivane
