// A stand-in for the system's power library under Wine, whose own lacks the
// plan functions: it keeps the display time-out of any number of plans in
// the prefix's registry (tests/common/StandInPower.h), so that a test and the
// program it runs share them, and it can refuse or fail on request.
#include <windows.h>
#include <powrprof.h>

#include "common/StandInPower.h"

using namespace lumivane::test;

namespace {
// The display subgroup and its "turn off display after" setting: the only
// setting kept.
constexpr GUID kVideoSubgroup = {0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID kVideoPowerdownTimeout = {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};

bool Failing() { return StandInDword(L"Fail", 0) == 1; }

void Count(const wchar_t* counter) { SetStandInDword(counter, StandInCounter(counter) + 1); }

DWORD CheckSetting(const GUID* scheme, const GUID* subgroup, const GUID* setting) {
    if (Failing()) return ERROR_GEN_FAILURE;
    if (!scheme) return ERROR_INVALID_PARAMETER;
    if (!subgroup || !setting || !IsEqualGUID(*subgroup, kVideoSubgroup) ||
        !IsEqualGUID(*setting, kVideoPowerdownTimeout))
        return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

DWORD Read(bool ac, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD value) {
    if (const DWORD error = CheckSetting(scheme, subgroup, setting)) return error;
    if (!value) return ERROR_INVALID_PARAMETER;
    const TPlanValues plan = StandInPlan(*scheme);
    *value = ac ? plan.Ac : plan.Dc;
    Count(L"Reads");
    return ERROR_SUCCESS;
}

DWORD Write(bool ac, const GUID* scheme, const GUID* subgroup, const GUID* setting, DWORD value) {
    if (const DWORD error = CheckSetting(scheme, subgroup, setting)) return error;
    switch (StandInDword(L"Refuse writes", 0)) {
    case 1: return ERROR_ACCESS_DENIED;
    case 2: return ERROR_SUCCESS;  // a policy holds the value: accepted, not kept
    default: break;
    }
    SetStandInDword(StandInValueName(*scheme, ac).c_str(), value);
    Count(L"Writes");
    return ERROR_SUCCESS;
}
}  // namespace

// Not in MinGW's powrprof.h.
extern "C" DWORD WINAPI PowerSettingAccessCheckEx(POWER_DATA_ACCESSOR, const GUID*, REGSAM);

extern "C" {

DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** active) {
    if (Failing()) return ERROR_GEN_FAILURE;
    if (!active) return ERROR_INVALID_PARAMETER;
    // The caller frees it with LocalFree, as the system's own.
    *active = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (!*active) return ERROR_NOT_ENOUGH_MEMORY;
    **active = StandInActivePlan();
    return ERROR_SUCCESS;
}

DWORD WINAPI PowerReadACValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD value) {
    return Read(true, scheme, subgroup, setting, value);
}

DWORD WINAPI PowerReadDCValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD value) {
    return Read(false, scheme, subgroup, setting, value);
}

DWORD WINAPI PowerWriteACValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting, DWORD value) {
    return Write(true, scheme, subgroup, setting, value);
}

DWORD WINAPI PowerWriteDCValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting, DWORD value) {
    return Write(false, scheme, subgroup, setting, value);
}

DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme) {
    if (Failing()) return ERROR_GEN_FAILURE;
    if (!scheme) return ERROR_INVALID_PARAMETER;
    // A plan never seen before becomes active with Windows' default values.
    SetStandInActivePlan(*scheme);
    Count(L"Applies");
    return ERROR_SUCCESS;
}

// The policy ("Policy" 1) refuses writing the display time-out; a call of
// another kind is refused as wrong, so that it cannot pass for "no policy".
DWORD WINAPI PowerSettingAccessCheckEx(POWER_DATA_ACCESSOR accessor, const GUID* setting, REGSAM access) {
    if (Failing()) return ERROR_GEN_FAILURE;
    if (!setting || (accessor != ACCESS_AC_POWER_SETTING_INDEX && accessor != ACCESS_DC_POWER_SETTING_INDEX) ||
        (access != KEY_READ && access != KEY_WRITE))
        return ERROR_INVALID_PARAMETER;
    const bool held = IsEqualGUID(*setting, kVideoPowerdownTimeout) && access == KEY_WRITE;
    return held && StandInDword(L"Policy", 0) == 1 ? ERROR_ACCESS_DISABLED_BY_POLICY : ERROR_SUCCESS;
}

// A system that is not Modern Standby.
BOOLEAN WINAPI GetPwrCapabilities(SYSTEM_POWER_CAPABILITIES* caps) {
    if (!caps) return FALSE;
    *caps = {};
    return TRUE;
}

}  // extern "C"
