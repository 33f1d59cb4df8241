#pragma once
// One window of the weekly schedule: seven day boxes, "From" and "To" time
// pickers, OK and Cancel. The locale helpers give the user's own day names
// and short time, for the dialog that lists the windows too.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "sources/Schedule.h"

namespace lumivane {

extern const wchar_t* const kScheduleWindowDialogClassName;  // "TfScheduleWindow"

// The editor's controls, for whoever drives it.
enum class TScheduleWindowControl : int {
    Monday = 100,  // .. Sunday = 106, the day boxes in week order
    From = 110,
    To,
    Problem,  // why OK did not close, empty until then
};

// Asks for a window, starting at `initial`; empty when cancelled.
std::optional<TScheduleWindow> AskScheduleWindow(HWND owner, const TScheduleWindow& initial);

// The user's abbreviated day names, Monday first.
std::array<std::wstring, 7> UserDayNames();
// Minutes after midnight in the user's short time format.
std::wstring UserShortTime(int minutes);

}  // namespace lumivane
