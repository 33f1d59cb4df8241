#pragma once
// Instants of the program's wall clock by UTC date, and a zone with Berlin's
// offsets and its summer time of 2026 (29 March to 25 October, 01:00 UTC).
#include "sources/Schedule.h"
namespace lumivane::test {
constexpr uint64_t At(int y, int m, int d, int hour = 0, int minute = 0) {
    y -= m <= 2;  // days since 1601, counted in eras of 400 years from a March
    const int64_t era = y / 400, yoe = y - era * 400, doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return ((era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 584694) * 24 + hour) * 3'600'000ull +
           minute * 60'000ull;
}
struct TSummerTimeZone : ITimeZoneRules {
    explicit TSummerTimeZone(int standard = 60, int summer = 120) : Standard(standard), Summer(summer) {}
    const int Standard, Summer;  // minutes east of UTC
    int OffsetMinutesAt(uint64_t utc) const override {
        return utc >= At(2026, 3, 29, 1) && utc < At(2026, 10, 25, 1) ? Summer : Standard;
    }
};
}  // namespace lumivane::test
