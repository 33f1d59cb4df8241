#pragma once
// A zone with the European Union's summer time (from the last Sunday of March
// 01:00 UTC to the last Sunday of October 01:00 UTC), and the program's
// wall-clock instants of calendar dates.
#include <cstdint>

#include "config/Schedule.h"

namespace lumivane::test {

constexpr uint64_t kMinuteMs = 60'000, kHourMs = 60 * kMinuteMs, kDayMs = 24 * kHourMs;

// Days since 1 January 1601 (a Monday) of a date of the Gregorian calendar.
constexpr int64_t DayOf(int year, int month, int day) {
    year -= month <= 2;
    const int64_t era = year / 400, yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 584694;
}
constexpr uint64_t At(int year, int month, int day, int hour = 0, int minute = 0) {
    return DayOf(year, month, day) * kDayMs + hour * kHourMs + minute * kMinuteMs;
}

struct TSummerTimeZone : ITimeZoneRules {
    // Minutes east of UTC; Berlin's by default.
    explicit TSummerTimeZone(int standard = 60, int summer = 120) : Standard(standard), Summer(summer) {}
    int Standard, Summer;
    static uint64_t LastSunday(int year, int month) {
        const int64_t last = DayOf(year, month + 1, 1) - 1;
        return (last - (last % 7 + 1) % 7) * kDayMs + kHourMs;
    }
    int OffsetMinutesAt(uint64_t utcMs) const override {
        int year = 1601 + static_cast<int>(utcMs / kDayMs / 366);
        while (At(year + 1, 1, 1) <= utcMs) ++year;
        return utcMs >= LastSunday(year, 3) && utcMs < LastSunday(year, 10) ? Summer : Standard;
    }
};

}  // namespace lumivane::test
