#include "sources/Policies.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/RegistryDefault.h"
#include "sources/Schedule.h"

namespace lumivane {

namespace {

constexpr uint32_t kRegMultiSz = 7;

// A key of one hive, closed again on the way out.
class TOpenKey {
public:
    TOpenKey(IRegistry& registry, const wchar_t* path) : FRegistry(registry) {
        FOpen = registry.OpenKey(path, false, kKeyRead, FKey);
    }
    ~TOpenKey() {
        if (FOpen) FRegistry.CloseKey(FKey);
    }
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;

    bool Has(const wchar_t* name) const { return Read(name).has_value(); }
    // Outer nullopt: no such value; inner: there, but not a DWORD.
    std::optional<std::optional<uint32_t>> Read(const wchar_t* name) const {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!FOpen || !FRegistry.QueryValue(FKey, name, type, data)) return std::nullopt;
        if (type != kRegDword || data.size() != 4) return std::make_optional(std::optional<uint32_t>());
        uint32_t value = 0;
        std::memcpy(&value, data.data(), 4);
        return value;
    }
    // Outer nullopt: no such value; inner: there, but no well-formed list.
    std::optional<std::optional<std::vector<std::wstring>>> ReadList(const wchar_t* name) const {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!FOpen || !FRegistry.QueryValue(FKey, name, type, data)) return std::nullopt;
        if (type != kRegMultiSz) return std::make_optional(std::optional<std::vector<std::wstring>>());
        return std::make_optional(DecodeMultiString(data));
    }

private:
    IRegistry& FRegistry;
    TRegKey FKey = 0;
    bool FOpen = false;
};

// What a value that is there but cannot be read counts as, in TPolicy's
// order: the setting that allows least. A forced start-up entry restricts
// nothing either way, so a bad one leaves the user's own choice.
constexpr std::optional<uint32_t> kWhenUnreadable[] = {
    0,                 // AllowDeactivation: none
    1,                 // MaxDeactivationMinutes: the shortest the range allows
    0,                 // AllowAutomaticDeactivation: none
    0,                 // KeepAwake: the computer sleeps as Windows says
    std::nullopt,      // RunAtStartup: not configured
    0,                 // AllowCommandLineControl: none
    kBatteryFloorMax,  // MinBatteryPercent: the highest floor
    0,                 // Schedule: an empty list, no window at all
};
static_assert(std::size(kWhenUnreadable) == kPolicyCount);
constexpr const TPolicyValue& Row(TPolicy p) { return kPolicyValues[static_cast<size_t>(p)]; }
static_assert(Row(TPolicy::MinBatteryPercent).Min == kBatteryFloorMin &&
              Row(TPolicy::MinBatteryPercent).Max == kBatteryFloorMax);
static_assert(Row(TPolicy::Schedule).Max == kScheduleMax && Row(TPolicy::Schedule).Kind == TPolicyKind::List);

}  // namespace

TPolicies ReadPolicies(IRegistry& machine, IRegistry& user) {
    TPolicies p;
    const TOpenKey ours[] = {{machine, kPolicyKey}, {user, kPolicyKey}};
    for (size_t i = 0; i < kPolicyCount; ++i) {
        const TPolicyValue& v = kPolicyValues[i];
        for (const TOpenKey& key : ours) {
            // The one list, the schedule: more windows than its template takes
            // count as the user's would, the first kScheduleMax.
            if (v.Kind == TPolicyKind::List) {
                const auto list = key.ReadList(v.Name);
                if (!list) continue;
                p.Schedule = list->value_or(std::vector<std::wstring>{});
                p.Values[i] = static_cast<uint32_t>(p.Schedule->size());
                break;
            }
            const auto value = key.Read(v.Name);
            if (!value) continue;
            const bool valid = *value && **value >= v.Min && **value <= v.Max;
            p.Values[i] = valid ? *value : kWhenUnreadable[i];
            if (p.Values[i]) break;
        }
    }
    const TOpenKey desktop[] = {{machine, kDesktopPolicyKey}, {user, kDesktopPolicyKey}};
    for (const wchar_t* name : kDesktopPolicyValues)
        for (const TOpenKey& key : desktop) p.ScreenSaverByWindows = p.ScreenSaverByWindows || key.Has(name);
    // Only a DWORD 0 says "no lock": whatever else is there, the display is
    // not held against a lock the administrator may have meant.
    const auto lock = TOpenKey(machine, kInactivityLockKey).Read(kInactivityLockValue);
    p.InactivityLock = lock && *lock != 0u;
    return p;
}

TTriggerSettings EffectiveTriggers(TTriggerSettings users, const TPolicies& policies) {
    if (policies.Schedule) {
        users.Schedule = *policies.Schedule;
        users.ScheduleUnread = false;
    }
    if (const std::optional<uint32_t> floor = policies.Value(TPolicy::MinBatteryPercent))
        users.MinBatteryPercent = std::max(users.MinBatteryPercent, *floor);
    return users;
}

std::vector<TCommandId> RefusedCommands(const TPolicies& policies) {
    if (policies.Allows(TPolicy::AllowDeactivation)) return {};
    using C = TCommandId;
    return {C::actDeactivate, C::actHalfHour, C::act1Hour, C::act2Hours, C::act3Hours,
            C::act4Hours,     C::act8Hours,   C::act12Hours, C::actDeactivateUntil};
}

std::optional<uint64_t> PermittedDeactivation(const TPolicies& policies, uint64_t askedMs) {
    if (!policies.Allows(TPolicy::AllowDeactivation)) return std::nullopt;
    const std::optional<uint32_t> minutes = policies.Value(TPolicy::MaxDeactivationMinutes);
    if (!minutes) return askedMs;
    const uint64_t longest = *minutes * 60'000ull;
    return askedMs == 0 ? longest : std::min(askedMs, longest);
}

}  // namespace lumivane
