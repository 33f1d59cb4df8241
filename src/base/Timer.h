#pragma once
// A window-system timer with the behaviour users of such timers rely on:
// enabling an enabled timer does not restart it, changing the interval of a
// running timer restarts it, an interval of 0 never fires. The platform only
// starts and stops the tick (ITimerService).
#include <cstdint>
#include <functional>

namespace lumivane {

class TTimer;

// Starts and stops the periodic tick of a timer; calls TTimer::Tick when due.
class ITimerService {
public:
    virtual ~ITimerService() = default;
    virtual void Start(TTimer& timer, uint32_t intervalMs) = 0;
    virtual void Stop(TTimer& timer) = 0;
};

class TTimer {
public:
    TTimer(ITimerService& service, uint32_t interval, bool enabled);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t value);
    // Handler with the timer as sender; assigning it starts a due timer.
    void SetOnTimer(std::function<void(TTimer*)> handler);

    // Called by the service when the interval has elapsed.
    void Tick();

private:
    void Update();

    ITimerService& FService;
    uint32_t FInterval;
    bool FEnabled;
    bool FRunning = false;
    std::function<void(TTimer*)> FOnTimer;
};

}  // namespace lumivane
