#pragma once
// Time of day as the user's locale writes it (long time format: hours,
// minutes, seconds, no date), and the wall-clock end of a period.
#include <cstdint>
#include <string>

namespace lumivane {

struct TTimeOfDay {
    int Hour = 0;  // 0..23
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// A calendar day of the local clock.
struct TLocalDate {
    int Year = 2000, Month = 1, Day = 1;
    bool operator==(const TLocalDate&) const = default;
};
TLocalDate NextDay(TLocalDate date);

// A moment as the local clock and calendar show it.
struct TLocalTime {
    TLocalDate Date;
    TTimeOfDay Time;
};

// The user locale's long time picture ("HH:mm:ss", "h:mm:ss tt", ...) and its
// morning and afternoon designators.
struct TLongTimeFormat {
    std::wstring Picture;
    std::wstring AM;
    std::wstring PM;
};

// The local clock and the locale, as the platform reports them.
class IClock {
public:
    virtual ~IClock() = default;
    virtual TTimeOfDay Now() const = 0;
    virtual TLongTimeFormat LongTimeFormat() const = 0;
    // The wall clock in ms: it runs on while the computer sleeps.
    virtual uint64_t WallClockMs() const = 0;
    // A wall-clock time as the local clock and calendar show it, with the
    // time zone's changes between now and then: the one conversion that
    // every shown end goes through.
    virtual TLocalTime LocalTimeOf(uint64_t wallClockMs) const = 0;
};

// Time of day `milliseconds` after `start`; wraps past midnight.
TTimeOfDay TimeOfDayAfter(const TTimeOfDay& start, uint64_t milliseconds);

// Writes `time` with a Windows time picture: h/hh 12-hour, H/HH 24-hour,
// m/mm, s/ss, t/tt designator, '...' literal text, anything else as is.
std::wstring FormatTime(const TLongTimeFormat& format, const TTimeOfDay& time);

}  // namespace lumivane
