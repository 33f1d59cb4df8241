#pragma once
// Processes by id and creation time, for the restore journal.
#include <windows.h>

#include "config/RestoreJournal.h"

namespace lumivane {

class TProcessTableWin32 final : public IProcessTable {
public:
    uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }
    uint32_t CurrentSessionId() override;
    uint64_t CurrentProcessStart() override;
    bool IsRunning(uint32_t processId, uint64_t processStart) override;
};

}  // namespace lumivane
