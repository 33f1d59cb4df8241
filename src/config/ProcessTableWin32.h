#pragma once
// Processes by id and creation time, and the run marker, for the restore
// journal.
#include <windows.h>

#include <string>
#include <vector>

#include "config/RestoreJournal.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

class TProcessTableWin32 final : public IProcessTable {
public:
    // Holds this run's marker from here to the process's end.
    TProcessTableWin32();
    uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }
    uint32_t CurrentSessionId() override;
    uint64_t CurrentProcessStart() override;
    bool RunMarkerHeld(uint32_t processId, uint64_t processStart) override;
    bool IsRunning(uint32_t processId, uint64_t processStart) override;
    void MarkPlanInForce(const std::vector<TPlanSnapshot>& values) override;
    bool PlanMarkedByAnotherRun(const TPlanSnapshot& values) override;

private:
    TUniqueKernelHandle FMarker;
    // A named object per plan values in force, held while they are: every
    // session can ask for it by the values it reads, and it goes with the
    // process however the process ends.
    struct TPlanMarker {
        TPlanSnapshot Values;
        TUniqueKernelHandle Handle;
    };
    std::vector<TPlanMarker> FPlanMarkers;
};

// The desktop session of this process is connected, locally or remotely
// (its connect state is active). Unknown counts as connected.
bool SessionConnected();
// The desktop session of this process is locked now. Unknown counts as not.
bool SessionLocked();
// The window gets WM_WTSSESSION_CHANGE for this session (or no longer).
void WatchSessionConnection(HWND window, bool watch);

// A function of the session library (wtsapi32), looked up: null where the
// system lacks it.
FARPROC SessionLibraryFunction(const char* name);

// The marker's name: in the global namespace, so that a copy in another
// session of the user finds it, and named after the process id and its
// creation time, which no other process shares.
std::wstring RunMarkerName(uint32_t processId, uint64_t processStart);
// A mutex of the program's own, held from here on.
TUniqueKernelHandle OwnMutex(const std::wstring& name);
std::wstring PlanMarkerName(const TPlanSnapshot& values);

}  // namespace lumivane
