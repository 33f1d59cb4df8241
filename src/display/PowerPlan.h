#pragma once
// The monitor power-off of Windows 10 and 11: the active power plan's
// display time-out. The system-parameter actions for it are accepted there
// and do nothing, so the power-off routines reach the plan through this
// second backend, which answers those actions from the plan.
#include <array>
#include <cstdint>

#include "display/ScreenSaver.h"

namespace lumivane {

using TPlanId = std::array<uint8_t, 16>;  // a power plan's GUID

// The power functions of the system, for the display time-out of a plan.
class IPowerPlan {
public:
    virtual ~IPowerPlan() = default;
    virtual bool ActivePlan(TPlanId& plan) = 0;
    // Seconds, 0 = never; `ac`: on mains power, else on battery.
    virtual bool ReadTimeout(const TPlanId& plan, bool ac, uint32_t& seconds) = 0;
    virtual bool WriteTimeout(const TPlanId& plan, bool ac, uint32_t seconds) = 0;
    // Makes a written value take effect (the plan is set active again).
    virtual bool Apply(const TPlanId& plan) = 0;
    // On battery now; false when on mains power or unknown.
    virtual bool OnBattery() = 0;
};

// Whether the plan's functions are there and answer: the backend of the run.
bool PowerPlanAnswers(IPowerPlan& plan);

// Windows' own display time-outs, when nothing was remembered.
constexpr uint32_t kDefaultTimeoutAc = 600, kDefaultTimeoutDc = 300;

// The system parameters with the power-off and low-power actions answered
// from the active plan; every other action passes through.
class TPowerPlanParameters final : public ISystemParameters {
public:
    TPowerPlanParameters(ISystemParameters& inner, IPowerPlan& plan) : FInner(inner), FPlan(plan) {}
    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;
    // The plan refused the last write (a policy sets the value, or the
    // access check refuses it): the status says so.
    bool Refused() const { return FRefused; }

private:
    bool CurrentTimeout(uint32_t& seconds);
    bool SetActive(bool active);
    bool SetTimeout(uint32_t seconds);
    // Writes, applies and reads back; a value that does not read back was refused.
    bool Write(const TPlanId& plan, bool ac, uint32_t seconds);

    ISystemParameters& FInner;
    IPowerPlan& FPlan;
    // Switching off remembers both values with the plan they belong to.
    bool FRemembered = false;
    TPlanId FRememberedPlan{};
    uint32_t FRememberedAc = 0, FRememberedDc = 0;
    bool FRefused = false;
};

}  // namespace lumivane
