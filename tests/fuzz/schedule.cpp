// The schedule as anyone may have stored it (REG_MULTI_SZ), at a time and in
// a zone of the input's: every window kept reads back from its text, what
// covers now holds until the next boundary and stops where its end says.
#include "FuzzCheck.h"
#include "common/SummerTimeZone.h"
#include "sources/Triggers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumivane;
    if (size < 7) return 0;
    // Seconds in 2025-2027, a ms, the zone's offset by quarters, its summer's advance.
    const uint32_t seconds = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    const uint64_t now = test::At(2025, 1, 1) + seconds % (3 * 365 * 86400) * 1000ull + data[4];
    const int standard = data[5] % 105 * 15 - 720;
    const test::TSummerTimeZone zone(standard, standard + data[6] % 3 * 30);
    const auto strings = DecodeMultiString(std::vector<uint8_t>(data + 7, data + size));
    if (!strings) return 0;
    const auto parsed = ParseSchedule(*strings);
    FUZZ_CHECK(parsed.Windows.size() <= kScheduleMax &&
               parsed.Windows.size() + parsed.Malformed.size() + parsed.BeyondMax.size() == strings->size());
    for (const auto& window : parsed.Windows) FUZZ_CHECK(ParseScheduleWindow(FormatScheduleWindow(window)) == window);
    const auto next = NextBoundary(parsed.Windows, now, zone), end = ScheduleCoverageEnd(parsed.Windows, now, zone);
    const bool in = InSchedule(parsed.Windows, now, zone);
    FUZZ_CHECK(next.has_value() == !parsed.Windows.empty() && end.has_value() == in);
    if (next) FUZZ_CHECK(*next > now && InSchedule(parsed.Windows, *next - 1, zone) == in);
    if (end && *end != kScheduleEndless)
        FUZZ_CHECK(*end > now && !InSchedule(parsed.Windows, *end, zone) && InSchedule(parsed.Windows, *end - 1, zone));
    return 0;
}
