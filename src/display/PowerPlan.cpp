#include "display/PowerPlan.h"

#include <algorithm>

namespace lumivane {

bool PowerPlanAnswers(IPowerPlan& plan) {
    TPlanId id{};
    TPlanSnapshot snapshot;
    return plan.ActivePlan(id) && ReadPlan(plan, id, snapshot);
}

bool ReadPlan(IPowerPlan& functions, const TPlanId& plan, TPlanSnapshot& snapshot) {
    TPlanSnapshot read{plan, 0, 0};
    if (!functions.ReadTimeout(plan, true, read.Ac) || !functions.ReadTimeout(plan, false, read.Dc)) return false;
    snapshot = read;
    return true;
}

bool WritePlan(IPowerPlan& functions, const TPlanSnapshot& snapshot) {
    TPlanId active{};
    const bool isActive = functions.ActivePlan(active) && active == snapshot.Plan;
    // Both values are written even when the first is refused: the other
    // source's value is the user's too.
    const bool ac = functions.WriteTimeout(snapshot.Plan, true, snapshot.Ac);
    const bool dc = functions.WriteTimeout(snapshot.Plan, false, snapshot.Dc);
    TPlanSnapshot readBack;
    return ac && dc && (!isActive || functions.Apply(snapshot.Plan)) && ReadPlan(functions, snapshot.Plan, readBack) &&
           readBack == snapshot;
}

const TPowerPlanParameters::TCurrent* TPowerPlanParameters::ReadCurrent() {
    if (FCurrent) return &*FCurrent;
    TCurrent current;
    if (!FPlan.ActivePlan(current.Snapshot.Plan) || !ReadPlan(FPlan, current.Snapshot.Plan, current.Snapshot))
        return nullptr;
    current.Battery = FPlan.OnBattery();
    if (!FFirstSeen) FFirstSeen = current.Snapshot;
    FCurrent = current;
    return &*FCurrent;
}

std::optional<TPlanSnapshot> TPowerPlanParameters::Current() {
    const TCurrent* current = ReadCurrent();
    if (!current) return std::nullopt;
    return current->Snapshot;
}

bool TPowerPlanParameters::Write(const TPlanSnapshot& snapshot) {
    if (FBeforeWrite) {
        TPlanSnapshot now;
        const bool known = FCurrent && FCurrent->Snapshot.Plan == snapshot.Plan;
        if (known) now = FCurrent->Snapshot;
        // Values that cannot be read cannot be recorded: nothing is written.
        FUnrecorded = (!known && !ReadPlan(FPlan, snapshot.Plan, now)) || !FBeforeWrite(now);
        if (FUnrecorded) return false;
    }
    const bool written = WritePlan(FPlan, snapshot);
    FRefused = !written;
    // What was written is what the plan holds; anything else is read again.
    if (written && FCurrent && FCurrent->Snapshot.Plan == snapshot.Plan)
        FCurrent->Snapshot = snapshot;
    else
        FCurrent.reset();
    return written;
}

bool TPowerPlanParameters::SetActive(bool active) {
    const TCurrent* current = ReadCurrent();
    if (!current) return false;
    const TPlanSnapshot now = current->Snapshot;
    if (!active) {
        // Off on both sources already: nothing is written. The routines
        // switch two phases, and the second call finds this. A source that
        // still has a time-out is switched off too, even when the current
        // one reads "never": unplugged, the display would go off.
        if (now.Ac == 0 && now.Dc == 0) return true;
        const bool known = std::any_of(FRemembered.begin(), FRemembered.end(),
                                       [&](const TPlanSnapshot& r) { return r.Plan == now.Plan; });
        if (!known) FRemembered.push_back(now);
        FPutBack.clear();
        return Write({now.Plan, 0, 0});
    }
    if (!FRemembered.empty()) return PutBackRemembered();
    // On already; or the user's own values, just put back with a source at
    // "never": the routines switch two phases, and the second finds them.
    if ((current->Battery ? now.Dc : now.Ac) > 0 || std::find(FPutBack.begin(), FPutBack.end(), now) != FPutBack.end())
        return true;
    // Nothing remembered: the user's own values as first seen, where they
    // were not "never", else Windows' defaults.
    const bool known = FFirstSeen && FFirstSeen->Plan == now.Plan;
    auto pick = [](uint32_t current, uint32_t seen, uint32_t fallback) {
        return current ? current : seen ? seen : fallback;
    };
    return Write({now.Plan, pick(now.Ac, known ? FFirstSeen->Ac : 0, kDefaultTimeoutAc),
                  pick(now.Dc, known ? FFirstSeen->Dc : 0, kDefaultTimeoutDc)});
}

bool TPowerPlanParameters::PutBackRemembered() {
    // Back into every plan that was switched off, each by its GUID, even
    // when the user has switched plans since. Forgotten only once it is back.
    bool all = true;
    for (auto it = FRemembered.begin(); it != FRemembered.end();) {
        if (Write(*it)) {
            FPutBack.push_back(*it);
            it = FRemembered.erase(it);
        } else {
            all = false;
            ++it;
        }
    }
    return all;
}

bool TPowerPlanParameters::SetTimeout(uint32_t seconds) {
    const TCurrent* current = ReadCurrent();
    if (!current) return false;
    TPlanSnapshot changed = current->Snapshot;
    (current->Battery ? changed.Dc : changed.Ac) = seconds;
    return Write(changed);
}

TPlanMark TPowerPlanParameters::Mark() {
    const TCurrent* current = ReadCurrent();
    if (!current) return {};
    return {current->Snapshot, FRemembered, false, false};
}

std::optional<TPlanSnapshot> PlanToPutBack(const TPlanSnapshot& now, const TPlanSnapshot& initial,
                                           const TPlanSnapshot& last) {
    if (now.Plan != last.Plan || initial.Plan != last.Plan) return std::nullopt;
    TPlanSnapshot back = now;
    if (now.Ac == last.Ac) back.Ac = initial.Ac;
    if (now.Dc == last.Dc) back.Dc = initial.Dc;
    if (back == now) return std::nullopt;
    return back;
}

std::optional<TPlanSnapshot> TPowerPlanParameters::Read(const TPlanId& plan) {
    TPlanSnapshot snapshot;
    if (!ReadPlan(FPlan, plan, snapshot)) return std::nullopt;
    return snapshot;
}

bool TPowerPlanParameters::PutBack(const TPlanMark& mark) {
    if (!mark.Plan) return false;
    const bool written = Write(*mark.Plan);
    FRemembered = mark.Remembered;
    return written;
}

bool TPowerPlanParameters::Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
    switch (action) {
    case spi::kGetLowPowerActive:
    case spi::kGetPowerOffActive:
    case spi::kGetLowPowerTimeout:
    case spi::kGetPowerOffTimeout: {
        const TCurrent* current = ReadCurrent();
        if (!pvParam || !current) return false;
        const uint32_t seconds = current->Battery ? current->Snapshot.Dc : current->Snapshot.Ac;
        const bool flag = action == spi::kGetLowPowerActive || action == spi::kGetPowerOffActive;
        *static_cast<int32_t*>(pvParam) = flag ? (seconds > 0 ? 1 : 0) : static_cast<int32_t>(seconds);
        return true;
    }
    case spi::kSetLowPowerActive:
    case spi::kSetPowerOffActive: return SetActive(uiParam != 0);
    case spi::kSetLowPowerTimeout:
    case spi::kSetPowerOffTimeout: return SetTimeout(uiParam);
    default: return FInner.Call(action, uiParam, pvParam, fWinIni);
    }
}

}  // namespace lumivane
