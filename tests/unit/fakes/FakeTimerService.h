#pragma once
// Timers driven by a manual clock: Advance fires every tick that falls due,
// in time order, as a message loop would.
#include <cstdint>
#include <map>

#include "base/Timer.h"

namespace lumivane::test {

class TFakeTimerService final : public ITimerService {
public:
    uint64_t Now = 0;  // ms
    int Starts = 0;
    int Stops = 0;

    void Start(TTimer& timer, uint32_t intervalMs) override {
        ++Starts;
        FDue[&timer] = {Now + intervalMs, intervalMs};
    }
    void Stop(TTimer& timer) override {
        ++Stops;
        FDue.erase(&timer);
    }
    bool Running(const TTimer& timer) const { return FDue.count(const_cast<TTimer*>(&timer)) != 0; }
    size_t RunningCount() const { return FDue.size(); }

    void Advance(uint64_t ms) {
        const uint64_t end = Now + ms;
        for (;;) {
            TTimer* next = nullptr;
            uint64_t due = end + 1;
            for (auto& [timer, entry] : FDue)
                if (entry.Due < due) {
                    due = entry.Due;
                    next = timer;
                }
            if (!next) break;
            Now = due;
            FDue[next].Due += FDue[next].Interval;
            next->Tick();
        }
        Now = end;
    }

private:
    struct TEntry {
        uint64_t Due;
        uint32_t Interval;
    };
    std::map<TTimer*, TEntry> FDue;
};

}  // namespace lumivane::test
