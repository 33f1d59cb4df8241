#include "status/DisplayPowerNotesWin32.h"

#include "sources/Policies.h"

namespace lumivane {

namespace {

bool HasValue(HKEY root, const wchar_t* key, const wchar_t* name) {
    return RegGetValueW(root, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring Text(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    // A REG_EXPAND_SZ value is expanded and read as REG_SZ.
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

constexpr wchar_t kDisplayTimeoutPolicy[] =
    L"SOFTWARE\\Policies\\Microsoft\\Power\\PowerSettings\\3C0BC021-C8A8-4E07-A973-6B14CBCB2B7E";

}  // namespace

void TDisplayPowerNotesWin32::Load() {
    FLoaded = true;
    FScreenSaverNote.clear();
    // One rule with the configuration's: any of Windows' own values in either hive.
    for (const wchar_t* name : kDesktopPolicyValues)
        if (HasValue(HKEY_CURRENT_USER, kDesktopPolicyKey, name) || HasValue(HKEY_LOCAL_MACHINE, kDesktopPolicyKey, name))
            FScreenSaverNote = kNoteSetByPolicy;
    // Active with no program chosen: nothing ever starts.
    if (FScreenSaverNote.empty() && Text(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE").empty())
        FScreenSaverNote = kNoteNoneChosen;
    // The system's own access check where it has one; the Group Policy
    // registry path elsewhere.
    const std::optional<bool> policy = FFunctions.PolicySetsDisplayTimeout();
    FPowerOffPolicy = policy ? *policy
                             : HasValue(HKEY_LOCAL_MACHINE, kDisplayTimeoutPolicy, L"ACSettingIndex") ||
                                   HasValue(HKEY_LOCAL_MACHINE, kDisplayTimeoutPolicy, L"DCSettingIndex");
}

std::wstring TDisplayPowerNotesWin32::ScreenSaverNote() {
    if (!FLoaded) Load();
    return FScreenSaverNote;
}

std::wstring TDisplayPowerNotesWin32::PowerOffNote() {
    if (!FLoaded) Load();
    if (FPlan.Unrecorded()) return kNoteNotRecorded;
    return FPlan.Refused() || FPowerOffPolicy ? kNoteSetByPolicy : std::wstring();
}

}  // namespace lumivane
