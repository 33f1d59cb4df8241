#include "app/UsualFunctionsWin32.h"

#include "app/Application.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {
UINT gActivationMessage = 0;
}

UINT ActivationMessage() { return gActivationMessage; }

void RegisterActivationMessage() {
    gActivationMessage = RegisterWindowMessageW(kActivationMessageName);
}

void ActivatePreviousInstance(const std::wstring& ClassName) {
    if (HWND window = FindWindowW(ClassName.c_str(), nullptr))
        SendNotifyMessageW(window, gActivationMessage, 0, 0);
}

void TProcessStarterWin32::RunProcess(const std::wstring& FileName,
                                      const std::wstring& Parameters, uint32_t StartFlags,
                                      bool Wait, int32_t ShowCommand) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = ProcessStartFlags(StartFlags, ShowCommand);
    startup.wShowWindow = static_cast<WORD>(ShowCommand);
    // CreateProcessW may write into the command line: it needs its own buffer.
    std::wstring commandLine = ProcessCommandLine(FileName, Parameters);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return;
    TUniqueKernelHandle process(info.hProcess);
    TUniqueKernelHandle thread(info.hThread);
    if (Wait) WaitForSingleObject(process.Get(), INFINITE);
}

}  // namespace lumivane
