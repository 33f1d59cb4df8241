#pragma once
// "Deactivate managed items until": a time picker with OK and Cancel.
#include <windows.h>

#include <optional>

#include "sources/TimeFormat.h"

namespace lumivane {

extern const wchar_t* const kUntilDialogClassName;  // "TfUntil"

// Asks for a time of day, starting at `initial`; empty when cancelled.
std::optional<TTimeOfDay> AskDeactivateUntil(HWND owner, const TTimeOfDay& initial);

}  // namespace lumivane
