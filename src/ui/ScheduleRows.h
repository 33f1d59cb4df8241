#pragma once
// The weekly schedule as the Automatic deactivation dialog lists and edits it.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "sources/Schedule.h"

namespace lumivane {

// Where a new window, and one whose stored text did not parse, starts in the
// editor: Monday to Friday, 09:00 to 17:00.
constexpr TScheduleWindow kScheduleWindowToStart{0x1F, 9 * 60, 17 * 60};

// One row a stored string, in the stored order: the window in the user's
// words; a string that does not parse, and a window past the first
// kScheduleMax (which the program leaves out), say so, so that the user can
// mend or remove them.
std::vector<std::wstring> ScheduleRows(const std::vector<std::wstring>& stored,
                                       const std::array<std::wstring, 7>& dayNames,
                                       const std::function<std::wstring(int minutes)>& timeText);

// Why the editor cannot keep the window, as the user reads it: no day, or
// the same start and end other than midnight to midnight (the whole day).
// Empty when it can.
std::wstring ScheduleWindowProblem(const TScheduleWindow& window);

}  // namespace lumivane
