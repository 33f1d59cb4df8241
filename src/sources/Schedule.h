#pragma once
// The weekly schedule: windows of local wall-clock time during which the
// managed items are deactivated by themselves.
//
// Stored form, one window a string: days, one space, "HH:MM-HH:MM" in
// 24-hour form, e.g. "Mon-Fri 09:00-17:30" or "Tue,Thu 14:00-15:00".
// - Days are Mon Tue Wed Thu Fri Sat Sun (read without case), separated by
//   commas, or ranges of them. A range may wrap past Sunday: "Fri-Mon" is
//   Friday, Saturday, Sunday and Monday; "Mon-Mon" is Monday alone. A day
//   named twice counts once.
// - A window whose end is earlier than its start crosses midnight: it starts
//   on the listed day and ends on the next. "00:00-00:00" is the whole day;
//   any other window whose end equals its start is malformed.
// - Windows may overlap; together they cover the union of their times.
//
// Times are the local clock's through the time zone's rules of each day: on
// the night the clocks go forward, a start or an end in the missing hour
// takes effect at the first minute that exists after it; on the night they go
// back, a start or an end in the repeated hour takes effect the first time
// the clock shows it.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

// One stored string, read: the same times on each of its days.
struct TScheduleWindow {
    uint8_t Days = 0;    // bit 0 Monday .. bit 6 Sunday
    uint16_t Start = 0;  // minutes after midnight, 0..1439
    uint16_t End = 0;    // minutes after midnight; at or before Start: the next day
    friend bool operator==(const TScheduleWindow&, const TScheduleWindow&) = default;
};

// The most windows a schedule keeps.
constexpr size_t kScheduleMax = 32;
// Days with every bit set: the whole week.
constexpr uint8_t kEveryDay = 0x7F;

struct TParsedSchedule {
    std::vector<TScheduleWindow> Windows;  // the first kScheduleMax good ones, in stored order
    std::vector<std::wstring> Malformed;   // strings that are no window
    std::vector<std::wstring> BeyondMax;   // good windows after the first kScheduleMax
};

// One stored string; nullopt when it is no window.
std::optional<TScheduleWindow> ParseScheduleWindow(std::wstring_view text);
// The stored list, read once so that the caller reports what it drops once.
TParsedSchedule ParseSchedule(const std::vector<std::wstring>& strings);
// The canonical stored text: days in week order from Monday, runs of three
// or more days as a range (wrapping past Sunday when the run does), two as
// "Sat,Sun".
std::wstring FormatScheduleWindow(const TScheduleWindow& window);
// A row as the user reads it: the day runs with the user's own day names
// (Monday first) joined by ", " and ranges by an en dash, a space, then the
// start and the end as `timeText` writes minutes after midnight, between them
// an en dash.
std::wstring DescribeScheduleWindow(const TScheduleWindow& window, const std::array<std::wstring, 7>& dayNames,
                                    const std::function<std::wstring(int minutes)>& timeText);

// The time zone's rules, as the platform knows them. Instants are the
// program's wall clock: ms since 1 January 1601 UTC (a Monday).
class ITimeZoneRules {
public:
    virtual ~ITimeZoneRules() = default;
    // Local time minus UTC, in minutes, in force at the instant.
    virtual int OffsetMinutesAt(uint64_t utcMs) const = 0;
};

// The UTC instant at which a local wall-clock time (ms since 1 January 1601
// as the local clock counts them) takes effect, by the rules above.
uint64_t LocalToUtc(uint64_t localMs, const ITimeZoneRules& rules);

// Whether a window covers `nowUtcMs`. Pure, no allocation, as the next three.
bool InSchedule(const std::vector<TScheduleWindow>& windows, uint64_t nowUtcMs, const ITimeZoneRules& rules);
// The first start or end of a window strictly after `nowUtcMs`; nullopt
// when no window has a day.
std::optional<uint64_t> NextBoundary(const std::vector<TScheduleWindow>& windows, uint64_t nowUtcMs,
                                     const ITimeZoneRules& rules);
// Where the coverage that holds at `nowUtcMs` stops, through windows that
// overlap or touch; nullopt when no window covers now, kScheduleEndless when
// the coverage runs on past kScheduleSearchMs (the whole week is covered).
std::optional<uint64_t> ScheduleCoverageEnd(const std::vector<TScheduleWindow>& windows, uint64_t nowUtcMs,
                                            const ITimeZoneRules& rules);
// A week and a day: coverage that runs on so long never stops.
constexpr uint64_t kScheduleSearchMs = 8ull * 24 * 3600 * 1000;
constexpr uint64_t kScheduleEndless = UINT64_MAX;

}  // namespace lumivane
