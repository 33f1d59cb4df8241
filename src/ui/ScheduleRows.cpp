#include "ui/ScheduleRows.h"

namespace lumivane {

std::vector<std::wstring> ScheduleRows(const std::vector<std::wstring>& stored,
                                       const std::array<std::wstring, 7>& dayNames,
                                       const std::function<std::wstring(int minutes)>& timeText) {
    std::vector<std::wstring> rows;
    size_t good = 0;
    for (const auto& text : stored) {
        const auto window = ParseScheduleWindow(text);
        if (!window) {
            rows.push_back(L"Not understood: " + text);
            continue;
        }
        const std::wstring described = DescribeScheduleWindow(*window, dayNames, timeText);
        const bool left = ++good > kScheduleMax;
        rows.push_back(left ? L"Not in force, over " + std::to_wstring(kScheduleMax) + L": " + described : described);
    }
    return rows;
}

std::wstring ScheduleWindowProblem(const TScheduleWindow& window) {
    if (!(window.Days & kEveryDay)) return L"Choose at least one day.";
    if (window.Start == window.End && window.Start != 0)
        return L"From and To must differ, unless both are midnight for the whole day.";
    return {};
}

}  // namespace lumivane
