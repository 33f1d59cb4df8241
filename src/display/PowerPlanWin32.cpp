#include "display/PowerPlanWin32.h"

#include <cstddef>
#include <cstring>

namespace lumivane {

namespace {
// The display subgroup of a plan and its "turn off display after" setting.
constexpr GUID kVideoSubgroup = {0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID kVideoPowerdownTimeout = {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};

GUID ToGuid(const TPlanId& plan) {
    GUID g;
    std::memcpy(&g, plan.data(), sizeof(g));
    return g;
}

template <typename F>
void Bind(HMODULE module, F& function, const char* name) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
}  // namespace

TPowerPlanWin32::TPowerPlanWin32() {
    FModule = LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!FModule) return;
    Bind(FModule, FGetActive, "PowerGetActiveScheme");
    Bind(FModule, FReadAc, "PowerReadACValueIndex");
    Bind(FModule, FReadDc, "PowerReadDCValueIndex");
    Bind(FModule, FWriteAc, "PowerWriteACValueIndex");
    Bind(FModule, FWriteDc, "PowerWriteDCValueIndex");
    Bind(FModule, FSetActive, "PowerSetActiveScheme");
    Bind(FModule, FAccessCheck, "PowerSettingAccessCheckEx");
    Bind(FModule, FCapabilities, "GetPwrCapabilities");
    FLoaded = FGetActive && FReadAc && FReadDc && FWriteAc && FWriteDc && FSetActive;
}

TPowerPlanWin32::~TPowerPlanWin32() {
    if (FModule) FreeLibrary(FModule);
}

bool TPowerPlanWin32::ActivePlan(TPlanId& plan) {
    GUID* active = nullptr;
    if (!FLoaded || FGetActive(nullptr, &active) != ERROR_SUCCESS || !active) return false;
    std::memcpy(plan.data(), active, sizeof(GUID));
    LocalFree(active);
    return true;
}

bool TPowerPlanWin32::ReadTimeout(const TPlanId& plan, bool ac, uint32_t& seconds) {
    if (!FLoaded) return false;
    const GUID scheme = ToGuid(plan);
    DWORD value = 0;
    if ((ac ? FReadAc : FReadDc)(nullptr, &scheme, &kVideoSubgroup, &kVideoPowerdownTimeout, &value) !=
        ERROR_SUCCESS)
        return false;
    seconds = value;
    return true;
}

bool TPowerPlanWin32::WriteTimeout(const TPlanId& plan, bool ac, uint32_t seconds) {
    if (!FLoaded) return false;
    const GUID scheme = ToGuid(plan);
    return (ac ? FWriteAc : FWriteDc)(nullptr, &scheme, &kVideoSubgroup, &kVideoPowerdownTimeout, seconds) ==
           ERROR_SUCCESS;
}

bool TPowerPlanWin32::Apply(const TPlanId& plan) {
    const GUID scheme = ToGuid(plan);
    return FLoaded && FSetActive(nullptr, &scheme) == ERROR_SUCCESS;
}

bool TPowerPlanWin32::ModernStandby() const {
    SYSTEM_POWER_CAPABILITIES caps{};
    if (!FCapabilities || !FCapabilities(&caps)) return false;
    // AoAc follows FastSystemS4, Hiberboot and WakeAlarmPresent; MinGW's
    // headers have the three bytes after FastSystemS4 as spare2, so the byte
    // is read where the documented layout puts it.
    constexpr size_t kAoAc = offsetof(SYSTEM_POWER_CAPABILITIES, FastSystemS4) + 3;
    return reinterpret_cast<const unsigned char*>(&caps)[kAoAc] != 0;
}

std::optional<bool> TPowerPlanWin32::PolicySetsDisplayTimeout() {
    if (!FAccessCheck) return std::nullopt;
    // The documented check covers Group Policy and MDM alike, on either source.
    constexpr int kAcIndex = 0, kDcIndex = 1;  // ACCESS_AC_POWER_SETTING_INDEX, ACCESS_DC_POWER_SETTING_INDEX
    for (const int source : {kAcIndex, kDcIndex})
        if (FAccessCheck(source, &kVideoPowerdownTimeout, KEY_WRITE) == ERROR_ACCESS_DISABLED_BY_POLICY) return true;
    return false;
}

void TPowerPlanWin32::FlushStore() {
    // The plans live in the machine's SYSTEM hive. A flush needs only the
    // right to query a key of the hive, which every user has there.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegFlushKey(key);
    RegCloseKey(key);
}

bool TPowerPlanWin32::OnBattery() {
    // Unknown (255) counts as mains power.
    SYSTEM_POWER_STATUS status{};
    return GetSystemPowerStatus(&status) && status.ACLineStatus == 0;
}

}  // namespace lumivane
