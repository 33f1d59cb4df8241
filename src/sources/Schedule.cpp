#include "sources/Schedule.h"

#include <algorithm>
#include <cstdio>

namespace lumivane {

namespace {

constexpr int kMinutesPerDay = 24 * 60;
constexpr uint64_t kMsPerMinute = 60'000, kMsPerDay = kMinutesPerDay * kMsPerMinute;
const std::array<std::wstring, 7> kStoredDayNames{L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat", L"Sun"};

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

int DayIndex(std::wstring_view name) {
    for (int day = 0; day < 7; ++day) {
        const std::wstring& stored = kStoredDayNames[day];
        if (name.size() == stored.size() &&
            std::equal(name.begin(), name.end(), stored.begin(),
                       [](wchar_t a, wchar_t b) { return LowerAscii(a) == LowerAscii(b); }))
            return day;
    }
    return -1;
}

// The days of "Mon,Wed-Fri"; 0 when one item is no day or range.
uint8_t ParseDays(std::wstring_view text) {
    uint8_t days = 0;
    for (;;) {
        const size_t comma = text.find(L',');
        const std::wstring_view item = text.substr(0, comma);
        const size_t dash = item.find(L'-');
        const int first = DayIndex(item.substr(0, dash));
        const int last = dash == std::wstring_view::npos ? first : DayIndex(item.substr(dash + 1));
        if (first < 0 || last < 0) return 0;
        for (int day = first;; day = (day + 1) % 7) {
            days |= static_cast<uint8_t>(1 << day);
            if (day == last) break;
        }
        if (comma == std::wstring_view::npos) return days;
        text.remove_prefix(comma + 1);
    }
}

// Minutes after midnight of "HH:MM"; -1 when it is no such time.
int ParseTime(std::wstring_view text) {
    if (text.size() != 5 || text[2] != L':') return -1;
    const auto digit = [&](size_t i) { return text[i] >= L'0' && text[i] <= L'9' ? text[i] - L'0' : -100; };
    const int hour = digit(0) * 10 + digit(1), minute = digit(3) * 10 + digit(4);
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 ? hour * 60 + minute : -1;
}

std::wstring ClockText(int minutes) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%02d:%02d", minutes / 60 % 100, minutes % 60);
    return text;
}

// Runs of consecutive days, the week seen as a ring; every run starts after
// a day that is not in it, so a run over Sunday starts on its own first day.
std::wstring DaysText(uint8_t days, const std::array<std::wstring, 7>& names, std::wstring_view between,
                      std::wstring_view range) {
    const auto has = [days](int day) { return (days >> (day % 7) & 1) != 0; };
    if ((days & kEveryDay) == kEveryDay) return names[0] + std::wstring(range) + names[6];
    std::wstring text;
    for (int first = 0; first < 7; ++first) {
        if (!has(first) || has(first + 6)) continue;
        int length = 1;
        while (has(first + length)) ++length;
        if (!text.empty()) text += between;
        text += names[first];
        if (length == 2) (text += between) += names[(first + 1) % 7];
        if (length > 2) (text += range) += names[(first + length - 1) % 7];
    }
    return text;
}

uint64_t Ms(int minutes) { return static_cast<uint64_t>(static_cast<int64_t>(minutes) * 60'000); }

struct TSpan {
    uint64_t Start, End;  // UTC; End excluded
};

// The local day (since 1 January 1601, a Monday) that the clock shows at an instant.
uint64_t LocalDay(uint64_t utcMs, const ITimeZoneRules& rules) {
    return (utcMs + Ms(rules.OffsetMinutesAt(utcMs))) / kMsPerDay;
}

// The window's time that starts on local day `day`; Start == End when it is
// none (not one of its days, or it fell into the missing hour whole).
TSpan Occurrence(const TScheduleWindow& window, uint64_t day, const ITimeZoneRules& rules) {
    if (!(window.Days >> (day % 7) & 1)) return {0, 0};
    const uint64_t midnight = day * kMsPerDay;
    const uint64_t endDay = window.End <= window.Start ? midnight + kMsPerDay : midnight;
    return {LocalToUtc(midnight + Ms(window.Start), rules), LocalToUtc(endDay + Ms(window.End), rules)};
}

// The windows' times that start on the local days first..last, in that order of days.
template <class F>
void ForEachSpan(const std::vector<TScheduleWindow>& windows, uint64_t first, uint64_t last,
                 const ITimeZoneRules& rules, F&& visit) {
    for (uint64_t day = first; day <= last; ++day)
        for (const auto& window : windows)
            if (const TSpan span = Occurrence(window, day, rules); span.Start < span.End && !visit(day, span)) return;
}

bool Covers(const std::vector<TScheduleWindow>& windows, uint64_t at, const ITimeZoneRules& rules, uint64_t* reach) {
    const uint64_t day = LocalDay(at, rules);
    bool covered = false;
    // The next day too: where the clocks go back over midnight, a window of
    // the next day may have begun the first time the clock showed its start.
    ForEachSpan(windows, day - 2, day + 1, rules, [&](uint64_t, TSpan span) {
        if (span.Start <= at && at < span.End) covered = true, *reach = std::max(*reach, span.End);
        return true;
    });
    return covered;
}

}  // namespace

std::optional<TScheduleWindow> ParseScheduleWindow(std::wstring_view text) {
    const size_t space = text.find(L' ');
    if (space == std::wstring_view::npos) return std::nullopt;
    const uint8_t days = ParseDays(text.substr(0, space));
    const std::wstring_view times = text.substr(space + 1);
    if (times.size() != 11 || times[5] != L'-') return std::nullopt;
    const int start = ParseTime(times.substr(0, 5)), end = ParseTime(times.substr(6));
    if (!days || start < 0 || end < 0 || (start == end && start != 0)) return std::nullopt;
    return TScheduleWindow{days, static_cast<uint16_t>(start), static_cast<uint16_t>(end)};
}

TParsedSchedule ParseSchedule(const std::vector<std::wstring>& strings) {
    TParsedSchedule parsed;
    for (const auto& text : strings) {
        const auto window = ParseScheduleWindow(text);
        if (!window) parsed.Malformed.push_back(text);
        else if (parsed.Windows.size() == kScheduleMax) parsed.BeyondMax.push_back(text);
        else parsed.Windows.push_back(*window);
    }
    return parsed;
}

std::wstring FormatScheduleWindow(const TScheduleWindow& window) {
    return DaysText(window.Days, kStoredDayNames, L",", L"-") + L" " + ClockText(window.Start) + L"-" +
           ClockText(window.End);
}

std::wstring DescribeScheduleWindow(const TScheduleWindow& window, const std::array<std::wstring, 7>& dayNames,
                                    const std::function<std::wstring(int minutes)>& timeText) {
    return DaysText(window.Days, dayNames, L", ", L"\u2013") + L" " + timeText(window.Start) + L"\u2013" +
           timeText(window.End);
}

uint64_t LocalToUtc(uint64_t localMs, const ITimeZoneRules& rules) {
    // The offsets in force a day and a half either side: no zone is further
    // from UTC, and the clocks change at most once in between.
    constexpr uint64_t kAside = 36 * 3600 * 1000ull;
    const int before = rules.OffsetMinutesAt(localMs - kAside), after = rules.OffsetMinutesAt(localMs + kAside);
    const uint64_t early = localMs - Ms(before), late = localMs - Ms(after);
    const bool earlyHolds = rules.OffsetMinutesAt(early) == before, lateHolds = rules.OffsetMinutesAt(late) == after;
    if (earlyHolds && lateHolds) return std::min(early, late);  // the repeated hour: its first time
    if (earlyHolds || lateHolds) return earlyHolds ? early : late;
    if (late >= early) return early;  // rules that change twice in three days: the earlier offset
    // The missing hour: the minute the clocks went forward, which `late`
    // precedes (the old offset) and `early` follows.
    uint64_t low = late, high = early;
    while (high - low > kMsPerMinute) {
        const uint64_t middle = low + (high - low) / 2 / kMsPerMinute * kMsPerMinute;
        (rules.OffsetMinutesAt(middle) == before ? low : high) = middle;
    }
    return high;
}

bool InSchedule(const std::vector<TScheduleWindow>& windows, uint64_t nowUtcMs, const ITimeZoneRules& rules) {
    uint64_t reach = 0;
    return Covers(windows, nowUtcMs, rules, &reach);
}

std::optional<uint64_t> NextBoundary(const std::vector<TScheduleWindow>& windows, uint64_t nowUtcMs,
                                     const ITimeZoneRules& rules) {
    const uint64_t today = LocalDay(nowUtcMs, rules);
    std::optional<uint64_t> next;
    // Two weeks ahead: a window may lose one night to the missing hour.
    ForEachSpan(windows, today - 2, today + 15, rules, [&](uint64_t day, TSpan span) {
        // A later day's times begin more than a day after this one's.
        if (next && *next + kMsPerDay < day * kMsPerDay) return false;
        for (const uint64_t at : {span.Start, span.End})
            if (at > nowUtcMs && (!next || at < *next)) next = at;
        return true;
    });
    return next;
}

std::optional<uint64_t> ScheduleCoverageEnd(const std::vector<TScheduleWindow>& windows, uint64_t nowUtcMs,
                                            const ITimeZoneRules& rules) {
    uint64_t end = nowUtcMs;
    if (!Covers(windows, end, rules, &end)) return std::nullopt;
    for (uint64_t reach = end; Covers(windows, end, rules, &reach) && reach > end;) {
        end = reach;
        if (end - nowUtcMs > kScheduleSearchMs) return kScheduleEndless;
    }
    return end;
}

}  // namespace lumivane
