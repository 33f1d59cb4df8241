#include "display/DisplayRequests.h"

namespace lumivane {

std::wstring ProcessCommandLine(const std::wstring& FileName, const std::wstring& Parameters) {
    if (FileName.empty()) return Parameters;
    return FileName + L" " + Parameters;
}

uint32_t ProcessStartFlags(uint32_t StartFlags, int32_t ShowCommand) {
    return ShowCommand == -1 ? StartFlags : (StartFlags | kStartfUseShowWindow);
}

void RunProgram(IProcessStarter& starter, const std::wstring& FileName,
                const std::wstring& Parameters) {
    starter.RunProcess(FileName, Parameters, 0, false, kSwHide);
}

}  // namespace lumivane
