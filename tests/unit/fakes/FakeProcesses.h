#pragma once
// Which runs go on, as the journal asks: this one, the runs that hold their
// marker, and the plan values that runs mark as their own change in force
// (shared between the runs of one machine).
#include <algorithm>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "config/RestoreJournal.h"

namespace lumivane::test {

using TPlanMarkers = std::vector<std::pair<uint32_t, TPlanSnapshot>>;

struct TFakeProcesses final : IProcessTable {
    explicit TFakeProcesses(TPlanMarkers* planMarkers = nullptr) : PlanMarkers(planMarkers) {}
    TPlanMarkers* PlanMarkers;
    uint32_t Pid = 42, Session = 1;
    std::set<uint32_t> Markers;  // runs that hold their marker
    bool Answers = false;        // what a look at a process id says
    uint32_t CurrentProcessId() override { return Pid; }
    uint32_t CurrentSessionId() override { return Session; }
    uint64_t CurrentProcessStart() override { return 133000000000000000ull + Pid; }
    bool RunMarkerHeld(uint32_t pid, uint64_t) override { return Markers.count(pid) != 0; }
    bool IsRunning(uint32_t, uint64_t) override { return Answers; }
    void MarkPlanInForce(const std::vector<TPlanSnapshot>& values) override {
        if (!PlanMarkers) return;
        std::erase_if(*PlanMarkers, [&](const auto& m) { return m.first == Pid; });
        for (const TPlanSnapshot& v : values) PlanMarkers->emplace_back(Pid, v);
    }
    bool PlanMarkedByAnotherRun(const TPlanSnapshot& values) override {
        return PlanMarkers && std::any_of(PlanMarkers->begin(), PlanMarkers->end(), [&](const auto& m) {
                   return m.first != Pid && m.second == values;
               });
    }
};

}  // namespace lumivane::test
