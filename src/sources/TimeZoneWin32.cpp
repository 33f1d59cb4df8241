#include "sources/TimeZoneWin32.h"

#include <cstddef>
#include <cstring>

namespace lumivane {

namespace {
constexpr int64_t kTicksPerMinute = 600'000'000;  // FILETIME counts 100 ns
}

TTimeZoneRulesWin32::TTimeZoneRulesWin32(TForYear forYear) : FForYear(forYear) {
    GetDynamicTimeZoneInformation(&FZone);
}

const TIME_ZONE_INFORMATION& TTimeZoneRulesWin32::RulesFor(USHORT year) const {
    for (const auto& known : FYears)
        if (known.Year == year) return known.Rules;
    TYear& slot = FYears[FNext];
    FNext = (FNext + 1) % 2;
    slot.Year = year;
    // With "Adjust for daylight saving time automatically" off, the zone's
    // record holds no summer time, and the year's rules would bring it back.
    if (FZone.DynamicDaylightTimeDisabled || !FForYear(year, &FZone, &slot.Rules)) {
        // The zone's record begins with the fields of the plain one.
        static_assert(offsetof(DYNAMIC_TIME_ZONE_INFORMATION, DaylightBias) ==
                      offsetof(TIME_ZONE_INFORMATION, DaylightBias));
        std::memcpy(&slot.Rules, &FZone, sizeof slot.Rules);
    }
    return slot.Rules;
}

int TTimeZoneRulesWin32::OffsetMinutesAt(uint64_t utcMs) const {
    const int64_t ticks = static_cast<int64_t>(utcMs * 10000);
    const FILETIME utcTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    FILETIME localTime{};
    if (!FileTimeToSystemTime(&utcTime, &utc) || !SystemTimeToTzSpecificLocalTime(&RulesFor(utc.wYear), &utc, &local) ||
        !SystemTimeToFileTime(&local, &localTime))
        return -FZone.Bias;
    const int64_t localTicks = static_cast<int64_t>(static_cast<uint64_t>(localTime.dwHighDateTime) << 32 |
                                                    localTime.dwLowDateTime);
    return static_cast<int>((localTicks - ticks) / kTicksPerMinute);
}

}  // namespace lumivane
