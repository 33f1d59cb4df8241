// The schedule as anyone may have stored it (REG_MULTI_SZ), against a clock
// and a zone of the input's: every window kept writes a text that reads back
// to it, and what covers now holds until the next boundary and stops where
// its end says.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "common/SummerTimeZone.h"
#include "config/Schedule.h"
#include "config/Triggers.h"

using namespace lumivane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Seconds after 1990 (to 2126), a millisecond, the zone's standard offset
    // (-12:00..+14:00 by quarters) and its summer's advance (0, 30, 60 min).
    if (size < 7) return 0;
    uint32_t seconds = 0;
    std::memcpy(&seconds, data, 4);
    const uint64_t now = test::At(1990, 1, 1) + seconds * 1000ull + data[4];
    const int standard = data[5] % 105 * 15 - 720;
    const test::TSummerTimeZone zone(standard, standard + data[6] % 3 * 30);
    const auto strings = DecodeMultiString(std::vector<uint8_t>(data + 7, data + size));
    if (!strings) return 0;
    const auto parsed = ParseSchedule(*strings);
    FUZZ_CHECK(parsed.Windows.size() <= kScheduleMax);
    FUZZ_CHECK(parsed.Windows.size() + parsed.Malformed.size() + parsed.BeyondMax.size() == strings->size());
    for (const auto& window : parsed.Windows) {
        const std::wstring text = FormatScheduleWindow(window);
        FUZZ_CHECK(ParseScheduleWindow(text) == window);
    }
    const auto next = NextBoundary(parsed.Windows, now, zone);
    FUZZ_CHECK(next.has_value() == !parsed.Windows.empty());
    const bool in = InSchedule(parsed.Windows, now, zone);
    if (next) FUZZ_CHECK(*next > now && InSchedule(parsed.Windows, *next - 1, zone) == in);
    const auto end = ScheduleCoverageEnd(parsed.Windows, now, zone);
    FUZZ_CHECK(end.has_value() == in);
    if (end && *end != kScheduleEndless)
        FUZZ_CHECK(*end > now && !InSchedule(parsed.Windows, *end, zone) && InSchedule(parsed.Windows, *end - 1, zone));
    return 0;
}
