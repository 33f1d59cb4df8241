#pragma once
// The system's power functions, loaded from powrprof.dll when the program
// starts: a system without them (Wine 8 lacks several) runs on the system
// parameters instead, and a missing import cannot abort the process.
#include <windows.h>

#include <optional>

#include "display/PowerPlan.h"

namespace lumivane {

class TPowerPlanWin32 final : public IPowerPlan {
public:
    TPowerPlanWin32();
    ~TPowerPlanWin32() override;
    TPowerPlanWin32(const TPowerPlanWin32&) = delete;
    TPowerPlanWin32& operator=(const TPowerPlanWin32&) = delete;

    // Every function the backend needs was found.
    bool Loaded() const { return FLoaded; }
    bool ActivePlan(TPlanId& plan) override;
    bool ReadTimeout(const TPlanId& plan, bool ac, uint32_t& seconds) override;
    bool WriteTimeout(const TPlanId& plan, bool ac, uint32_t seconds) override;
    bool Apply(const TPlanId& plan) override;
    bool OnBattery() override;
    void FlushStore() override;
    std::optional<bool> PolicySetsDisplayTimeout() override;
    // The system sleeps with the display off (Modern Standby); false where
    // the system does not say.
    bool ModernStandby() const;

private:
    using TGetActive = DWORD(WINAPI*)(HKEY, GUID**);
    using TRead = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);
    using TWrite = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD);
    using TSetActive = DWORD(WINAPI*)(HKEY, const GUID*);
    using TAccessCheck = DWORD(WINAPI*)(int, const GUID*, REGSAM);
    HMODULE FModule = nullptr;
    bool FLoaded = false;
    TGetActive FGetActive = nullptr;
    TRead FReadAc = nullptr, FReadDc = nullptr;
    TWrite FWriteAc = nullptr, FWriteDc = nullptr;
    TSetActive FSetActive = nullptr;
    TAccessCheck FAccessCheck = nullptr;
    using TCapabilities = BOOLEAN(WINAPI*)(SYSTEM_POWER_CAPABILITIES*);
    TCapabilities FCapabilities = nullptr;
};

}  // namespace lumivane
