#pragma once
// The system's power functions in memory: plans with both display time-outs,
// the power source, a switch that refuses writes, and a count of calls.
#include <map>
#include <string>
#include <vector>
#include <ostream>

#include "display/PowerPlan.h"

namespace lumivane::test {

struct TFakePowerPlan final : IPowerPlan {
    struct TValues {
        uint32_t Ac = 900, Dc = 180;
        friend bool operator==(const TValues&, const TValues&) = default;
        friend void PrintTo(const TValues& v, std::ostream* os) { *os << v.Ac << "/" << v.Dc; }
    };
    std::map<TPlanId, TValues> Plans{{TPlanId{1}, {}}, {TPlanId{2}, {1200, 900}}};
    TPlanId Active{1};
    bool Battery = false, Missing = false, RefuseWrites = false;
    bool FailBatteryReads = false;  // the plan is there, its battery value cannot be read
    std::optional<bool> PolicySets;  // what the access check says of the display time-out
    std::optional<bool> PolicySetsDisplayTimeout() override { return PolicySets; }
    int Calls = 0, Applied = 0, Writes = 0;  // Writes: values stored
    int KillAfterWrites = 0;  // the run is killed right after that many more writes (0: never)
    struct TKilled {};
    std::vector<std::wstring>* Log = nullptr;  // writes and flushes, in order with the registry's
    bool ActivePlan(TPlanId& plan) override {
        ++Calls;
        plan = Active;
        return !Missing;
    }
    bool ReadTimeout(const TPlanId& plan, bool ac, uint32_t& seconds) override {
        ++Calls;
        if (Missing || (FailBatteryReads && !ac)) return false;
        seconds = ac ? Plans[plan].Ac : Plans[plan].Dc;
        return true;
    }
    bool WriteTimeout(const TPlanId& plan, bool ac, uint32_t seconds) override {
        ++Calls;
        // A policy keeps the value: the write "succeeds" and does not read back.
        if (!RefuseWrites) {
            (ac ? Plans[plan].Ac : Plans[plan].Dc) = seconds;
            ++Writes;
            if (Log) Log->push_back(L"plan write");
        }
        if (KillAfterWrites && !--KillAfterWrites) throw TKilled{};
        return true;
    }
    void FlushStore() override {
        if (Log) Log->push_back(L"plan flush");
    }
    bool Apply(const TPlanId& plan) override {
        ++Calls;
        ++Applied;
        Active = plan;  // setting a plan active again makes it the active one
        return true;
    }
    bool OnBattery() override {
        ++Calls;
        return Battery;
    }
    TValues Values(uint8_t plan = 1) { return Plans[TPlanId{plan}]; }
};

}  // namespace lumivane::test
