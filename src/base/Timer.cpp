#include "base/Timer.h"

namespace lumivane {

TTimer::TTimer(ITimerService& service, uint32_t interval, bool enabled)
    : FService(service), FInterval(interval), FEnabled(enabled) {}

TTimer::~TTimer() {
    if (FRunning) FService.Stop(*this);
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    Update();
}

void TTimer::SetInterval(uint32_t value) {
    if (value == FInterval) return;
    FInterval = value;
    Update();
}

void TTimer::SetOnTimer(std::function<void(TTimer*)> handler) {
    FOnTimer = std::move(handler);
    Update();
}

void TTimer::Tick() {
    if (FRunning && FOnTimer) FOnTimer(this);
}

void TTimer::Update() {
    if (FRunning) {
        FService.Stop(*this);
        FRunning = false;
    }
    if (FEnabled && FInterval != 0 && FOnTimer) {
        FService.Start(*this, FInterval);
        FRunning = true;
    }
}

}  // namespace lumivane
