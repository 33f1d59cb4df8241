#pragma once
// What an administrator allows: the values Group Policy (or Intune, or a
// plain `reg add`) writes under kPolicyKey, in the machine's hive and the
// user's, and the system's own policies that take an item out of this
// program's hands. Reading them and what they allow is decided here; the
// Win32 layer only reads the registry and watches it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/CommandIds.h"
#include "sources/Triggers.h"

namespace lumivane {

class IRegistry;

// Under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; the machine's value wins.
inline constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Tessaly\\Lumivane";

enum class TPolicy {
    AllowDeactivation,
    MaxDeactivationMinutes,
    AllowAutomaticDeactivation,
    KeepAwake,
    RunAtStartup,
    AllowCommandLineControl,
    MinBatteryPercent,
    Schedule,
};

// The values, in TPolicy's order: REG_DWORD within Min..Max, or a
// REG_MULTI_SZ list, whose Min..Max is the number of strings its template
// takes. A missing value is "not configured"; one that is there but of
// another type, size or outside its range counts as its policy's most
// restrictive setting (see ReadPolicies). The policy templates are checked
// against this table.
enum class TPolicyKind { Dword, List };
struct TPolicyValue {
    const wchar_t* Name;
    uint32_t Min, Max;
    TPolicyKind Kind = TPolicyKind::Dword;
};
inline constexpr TPolicyValue kPolicyValues[] = {
    {L"AllowDeactivation", 0, 1},
    {L"MaxDeactivationMinutes", 1, 1440},
    {L"AllowAutomaticDeactivation", 0, 1},
    {L"KeepAwake", 0, 1},
    {L"RunAtStartup", 0, 1},
    {L"AllowCommandLineControl", 0, 1},
    {L"MinBatteryPercent", 5, 95},
    {L"Schedule", 0, 32, TPolicyKind::List},
};
inline constexpr size_t kPolicyCount = std::size(kPolicyValues);

// Windows' own screen-saver policy: any of these REG_SZ values under this
// key, in either hive, makes the screen saver the administrator's.
inline constexpr wchar_t kDesktopPolicyKey[] = L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
inline constexpr const wchar_t* kDesktopPolicyValues[] = {L"ScreenSaveActive", L"ScreenSaveTimeOut",
                                                          L"ScreenSaverIsSecure", L"SCRNSAVE.EXE"};
// The machine's inactivity lock (HKEY_LOCAL_MACHINE, REG_DWORD, seconds).
inline constexpr wchar_t kInactivityLockKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
inline constexpr wchar_t kInactivityLockValue[] = L"InactivityTimeoutSecs";

// The hint beside anything an administrator decides.
inline constexpr wchar_t kSetByAdministrator[] = L"Set by your administrator";

struct TPolicies {
    // A list's entry holds its number of strings; the list itself is below.
    std::array<std::optional<uint32_t>, kPolicyCount> Values{};
    // The administrator's weekly schedule, in the user's format: it
    // replaces the user's. One that cannot be read is an empty list.
    std::optional<std::vector<std::wstring>> Schedule{};
    // Windows' own policy sets the screen saver: it is not managed here.
    bool ScreenSaverByWindows = false;
    // The machine locks after a time without input: the display is never
    // held on, which would keep the lock away.
    bool InactivityLock = false;

    std::optional<uint32_t> Value(TPolicy p) const { return Values[static_cast<size_t>(p)]; }
    bool Configured(TPolicy p) const { return Value(p).has_value(); }
    // An Allow… policy: true unless it is set to 0.
    bool Allows(TPolicy p) const { return Value(p).value_or(1) != 0; }
    // A forced option: its value where set, else the user's own.
    bool Forced(TPolicy p, bool usersOwn) const { return Value(p) ? *Value(p) != 0 : usersOwn; }
    friend bool operator==(const TPolicies&, const TPolicies&) = default;
};

// Reads both hives: `machine` and `user` each open keys of their own hive.
// The first hive that holds a value decides: an administrator who meant to
// restrict must never lift the restriction by a typing error.
TPolicies ReadPolicies(IRegistry& machine, IRegistry& user);

// The trigger settings in force: the user's, with the administrator's
// schedule in place of theirs and the floor raised to the administrator's.
// The user's own values stay theirs, to be stored as they were.
TTriggerSettings EffectiveTriggers(TTriggerSettings users, const TPolicies& policies);

// The commands the policies refuse: greyed, with kSetByAdministrator.
std::vector<TCommandId> RefusedCommands(const TPolicies& policies);

// What a deactivation the user asks for becomes: nullopt where it is not
// allowed, else its length in ms (0: a plain Deactivate, for good). A
// plain one becomes a period of the longest allowed length; a longer
// period is cut to it.
std::optional<uint64_t> PermittedDeactivation(const TPolicies& policies, uint64_t askedMs);

}  // namespace lumivane
