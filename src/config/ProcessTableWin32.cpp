#include "config/ProcessTableWin32.h"

#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {
uint64_t CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}
}  // namespace

uint32_t TProcessTableWin32::CurrentSessionId() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

uint64_t TProcessTableWin32::CurrentProcessStart() { return CreationTime(GetCurrentProcess()); }

bool TProcessTableWin32::IsRunning(uint32_t processId, uint64_t processStart) {
    TUniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    // A process of this user that we may not query still runs; a missing
    // one does not.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    if (GetExitCodeProcess(process.Get(), &code) && code != STILL_ACTIVE) return false;
    // The same id with another creation time is another process.
    return CreationTime(process.Get()) == processStart;
}

}  // namespace lumivane
