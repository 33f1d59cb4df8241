#include "display/PowerPlan.h"

namespace lumivane {

bool PowerPlanAnswers(IPowerPlan& plan) {
    TPlanId id{};
    uint32_t seconds = 0;
    return plan.ActivePlan(id) && plan.ReadTimeout(id, true, seconds) && plan.ReadTimeout(id, false, seconds);
}

bool TPowerPlanParameters::CurrentTimeout(uint32_t& seconds) {
    TPlanId plan{};
    return FPlan.ActivePlan(plan) && FPlan.ReadTimeout(plan, !FPlan.OnBattery(), seconds);
}

bool TPowerPlanParameters::Write(const TPlanId& plan, bool ac, uint32_t seconds) {
    // Only the active plan is made active again: a write into another plan
    // must not switch the user's plan.
    TPlanId active{};
    const bool isActive = FPlan.ActivePlan(active) && active == plan;
    uint32_t readBack = 0;
    const bool written = FPlan.WriteTimeout(plan, ac, seconds) && (!isActive || FPlan.Apply(plan)) &&
                         FPlan.ReadTimeout(plan, ac, readBack) && readBack == seconds;
    FRefused = !written;
    return written;
}

bool TPowerPlanParameters::SetActive(bool active) {
    TPlanId plan{};
    uint32_t current = 0;
    const bool ac = !FPlan.OnBattery();
    if (!FPlan.ActivePlan(plan) || !FPlan.ReadTimeout(plan, ac, current)) return false;
    if (!active) {
        // Off already, as the flag reads it (the time-out of the current
        // power source): nothing is written, so the other source's value is
        // never lost. The routines switch two phases, and the second call
        // finds this too.
        if (current == 0) return true;
        uint32_t acValue = 0, dcValue = 0;
        if (!FPlan.ReadTimeout(plan, true, acValue) || !FPlan.ReadTimeout(plan, false, dcValue)) return false;
        FRemembered = true;
        FRememberedPlan = plan;
        FRememberedAc = acValue;
        FRememberedDc = dcValue;
        return Write(plan, true, 0) && Write(plan, false, 0);
    }
    if (FRemembered) {
        // Back into the plan that was switched off, even when the user has
        // switched plans since.
        FRemembered = false;
        return Write(FRememberedPlan, true, FRememberedAc) && Write(FRememberedPlan, false, FRememberedDc);
    }
    if (current > 0) return true;  // on already
    // Windows' own defaults when nothing was remembered.
    uint32_t acValue = 0, dcValue = 0;
    if (!FPlan.ReadTimeout(plan, true, acValue) || !FPlan.ReadTimeout(plan, false, dcValue)) return false;
    return Write(plan, true, acValue ? acValue : kDefaultTimeoutAc) &&
           Write(plan, false, dcValue ? dcValue : kDefaultTimeoutDc);
}

bool TPowerPlanParameters::SetTimeout(uint32_t seconds) {
    TPlanId plan{};
    return FPlan.ActivePlan(plan) && Write(plan, !FPlan.OnBattery(), seconds);
}

bool TPowerPlanParameters::Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
    uint32_t seconds = 0;
    switch (action) {
    case spi::kGetLowPowerActive:
    case spi::kGetPowerOffActive:
        if (!pvParam || !CurrentTimeout(seconds)) return false;
        *static_cast<int32_t*>(pvParam) = seconds > 0 ? 1 : 0;
        return true;
    case spi::kGetLowPowerTimeout:
    case spi::kGetPowerOffTimeout:
        if (!pvParam || !CurrentTimeout(seconds)) return false;
        *static_cast<int32_t*>(pvParam) = static_cast<int32_t>(seconds);
        return true;
    case spi::kSetLowPowerActive:
    case spi::kSetPowerOffActive: return SetActive(uiParam != 0);
    case spi::kSetLowPowerTimeout:
    case spi::kSetPowerOffTimeout: return SetTimeout(uiParam);
    default: return FInner.Call(action, uiParam, pvParam, fWinIni);
    }
}

}  // namespace lumivane
