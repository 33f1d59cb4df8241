#pragma once
// The rules of the time zone the user chose, for the schedule.
#include <windows.h>

#include "sources/Schedule.h"

namespace lumivane {

// The zone as it was when made: make one for each computation, so that a
// zone the user changed meanwhile counts. Each year's rules are asked once:
// a dynamic zone's dates and offsets change from year to year.
class TTimeZoneRulesWin32 final : public ITimeZoneRules {
public:
    using TForYear = BOOL(WINAPI*)(USHORT, PDYNAMIC_TIME_ZONE_INFORMATION, LPTIME_ZONE_INFORMATION);
    // `forYear` is the system's call; a test gives its own.
    explicit TTimeZoneRulesWin32(TForYear forYear = GetTimeZoneInformationForYear);
    int OffsetMinutesAt(uint64_t utcMs) const override;

private:
    const TIME_ZONE_INFORMATION& RulesFor(USHORT year) const;

    TForYear FForYear;
    mutable DYNAMIC_TIME_ZONE_INFORMATION FZone{};  // the call's parameter is not const
    struct TYear {
        USHORT Year = 0;
        TIME_ZONE_INFORMATION Rules{};
    };
    mutable TYear FYears[2];  // a computation spans two years at most
    mutable int FNext = 0;
};

}  // namespace lumivane
