#pragma once
// Window-system timers of one window: SetTimer ticks arrive as WM_TIMER,
// which the window hands to Dispatch. Timers started before the window
// exists start when it is attached.
#include <windows.h>

#include <vector>

#include "base/Timer.h"

namespace lumivane {

class TTimerServiceWin32 final : public ITimerService {
public:
    void Attach(HWND window);
    void Start(TTimer& timer, uint32_t intervalMs) override;
    void Stop(TTimer& timer) override;
    // Returns true when the WM_TIMER identifier is one this service gave out;
    // a tick of a stopped timer reaches nobody.
    bool Dispatch(UINT_PTR id);

private:
    struct TSlot {
        UINT_PTR Id;
        TTimer* Timer;
        uint32_t Interval;
    };
    TSlot* Find(const TTimer* timer);
    HWND FWindow = nullptr;
    std::vector<TSlot> FSlots;  // the running timers
    // Identifiers are not reused: a WM_TIMER already queued for a stopped
    // timer must not reach a timer started after it.
    UINT_PTR FNextId = 1;
};

}  // namespace lumivane
