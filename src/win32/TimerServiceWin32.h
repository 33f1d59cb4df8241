#pragma once
// Window-system timers of one window: SetTimer ticks arrive as WM_TIMER,
// which the window hands to Dispatch. Timers started before the window
// exists start when it is attached.
#include <windows.h>

#include <vector>

#include "app/Timer.h"

namespace lumivane {

class TTimerServiceWin32 final : public ITimerService {
public:
    void Attach(HWND window);
    void Start(TTimer& timer, uint32_t intervalMs) override;
    void Stop(TTimer& timer) override;
    // Returns true when the WM_TIMER identifier belongs to one of our timers.
    bool Dispatch(UINT_PTR id);

private:
    struct TSlot {
        TTimer* Timer;
        uint32_t Interval;
    };
    UINT_PTR IdOf(const TTimer* timer) const;
    HWND FWindow = nullptr;
    std::vector<TSlot> FSlots;  // identifier = index + 1; a free slot holds no timer
};

}  // namespace lumivane
