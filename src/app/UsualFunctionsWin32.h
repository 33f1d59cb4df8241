#pragma once
// Shared Win32 helpers: the wake-up message of a second instance and the
// starting of other programs.
#include <windows.h>

#include <string>

#include "display/DisplayCommands.h"

namespace lumivane {

// The process-wide number of the wake-up message (0 before registration).
UINT ActivationMessage();
void RegisterActivationMessage();
// Wakes the running instance, whose main window has this class; does not wait.
void ActivatePreviousInstance(const std::wstring& ClassName);

class TProcessStarterWin32 final : public IProcessStarter {
public:
    void RunProcess(const std::wstring& FileName, const std::wstring& Parameters,
                    uint32_t StartFlags, bool Wait, int32_t ShowCommand) override;
};

}  // namespace lumivane
