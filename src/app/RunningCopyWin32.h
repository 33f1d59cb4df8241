#pragma once
// The running copy's window, by what its process is, not by its class
// alone: the facts for each window of the class, and the choice.
#include <windows.h>

#include "app/RunningCopy.h"

namespace lumivane {

struct TFoundCopy {
    TCopyChoice::TKind Kind = TCopyChoice::TKind::None;
    HWND Window = nullptr;  // for Copy and Above
};

// `processId`: only that process's windows (a copy this start started).
TFoundCopy FindRunningCopy(DWORD processId = 0);

}  // namespace lumivane
