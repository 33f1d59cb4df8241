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
    uint32_t readBack = 0;
    const bool written = FPlan.WriteTimeout(plan, ac, seconds) && FPlan.Apply(plan) &&
                         FPlan.ReadTimeout(plan, ac, readBack) && readBack == seconds;
    FRefused = !written;
    return written;
}

bool TPowerPlanParameters::SetActive(bool active) {
    TPlanId plan{};
    uint32_t ac = 0, dc = 0;
    if (!FPlan.ActivePlan(plan) || !FPlan.ReadTimeout(plan, true, ac) || !FPlan.ReadTimeout(plan, false, dc))
        return false;
    if (!active) {
        // Already off on both: nothing to remember (the routines switch the
        // two phases one after the other, and the second call finds this).
        if (ac == 0 && dc == 0) return true;
        FRemembered = true;
        FRememberedPlan = plan;
        FRememberedAc = ac;
        FRememberedDc = dc;
        return Write(plan, true, 0) && Write(plan, false, 0);
    }
    if (ac > 0 || dc > 0) return true;  // on already
    // Back into the plan that was switched off, even when the user has
    // switched plans since; Windows' defaults when nothing was remembered.
    const TPlanId target = FRemembered ? FRememberedPlan : plan;
    const uint32_t backAc = FRemembered && FRememberedAc ? FRememberedAc : kDefaultTimeoutAc;
    const uint32_t backDc = FRemembered && FRememberedDc ? FRememberedDc : kDefaultTimeoutDc;
    FRemembered = false;
    return Write(target, true, backAc) && Write(target, false, backDc);
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
