#pragma once
// Window-system timers of one window: SetTimer ticks arrive as WM_TIMER,
// which the window hands to Dispatch.
#include <windows.h>

#include <vector>

#include "app/Timer.h"

namespace lumivane {

class TTimerServiceWin32 final : public ITimerService {
public:
    void Attach(HWND window) { FWindow = window; }
    void Start(TTimer& timer, uint32_t intervalMs) override;
    void Stop(TTimer& timer) override;
    // Returns true when the WM_TIMER identifier belongs to one of our timers.
    bool Dispatch(UINT_PTR id);

private:
    HWND FWindow = nullptr;
    std::vector<TTimer*> FTimers;  // identifier = index + 1
};

}  // namespace lumivane
