#pragma once
// "-while PROGRAM [ARGUMENTS...]" and "-while-pid ID": the running copy
// holds the managed items deactivated while a process runs, and this start
// waits for that process. A program is found as the console finds it,
// started suspended with this start's console, standard handles and working
// folder, and let go only once the copy holds for it: a job the copy turned
// down never runs. Ctrl+C and Ctrl+Break reach the job; this start waits on.
#include <functional>
#include <string>

#include "app/Control.h"

namespace lumivane {

// Where a name is looked for, as the console looks: a name with a folder
// as given, else the current folder and then each of PATH's; a name without
// an extension with each of PATHEXT's in turn. Empty when none is a file.
std::wstring FindProgramWin32(const std::wstring& name);

// The job's exit code, 0 for -while-pid, or one of kExitWhile... with the
// reason given to `say` (as an error). `lumivaneExe`: the copy to start
// hidden where none runs.
int RunWhileWin32(const TWhileCall& call, const std::wstring& lumivaneExe,
                  const std::function<void(const std::wstring&)>& say);

}  // namespace lumivane
