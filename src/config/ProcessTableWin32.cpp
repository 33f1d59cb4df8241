#include "config/ProcessTableWin32.h"

#include <wtsapi32.h>

#include <algorithm>

#include "win32/NamedObjectsWin32.h"

namespace lumivane {

namespace {
uint64_t CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}
}  // namespace

std::wstring RunMarkerName(uint32_t processId, uint64_t processStart) {
    return L"Global\\Tessaly Lumivane run " + std::to_wstring(processId) + L" " + std::to_wstring(processStart);
}

std::wstring PlanMarkerName(const TPlanSnapshot& values) {
    std::wstring name = L"Global\\Tessaly Lumivane plan ";
    for (const uint8_t b : values.Plan) name += {L"0123456789abcdef"[b >> 4], L"0123456789abcdef"[b & 15]};
    return name + L" " + std::to_wstring(values.Ac) + L" " + std::to_wstring(values.Dc);
}

void TProcessTableWin32::MarkPlanInForce(const std::vector<TPlanSnapshot>& values) {
    // Values still in force keep their marker: there is no moment without it.
    std::vector<TPlanMarker> markers;
    for (const TPlanSnapshot& v : values) {
        const auto it = std::find_if(FPlanMarkers.begin(), FPlanMarkers.end(),
                                     [&](const TPlanMarker& m) { return m.Values == v; });
        if (it != FPlanMarkers.end())
            markers.push_back(std::move(*it));
        else
            markers.push_back({v, OwnMutex(PlanMarkerName(v))});
    }
    FPlanMarkers = std::move(markers);
}

bool TProcessTableWin32::PlanMarkedByAnotherRun(const TPlanSnapshot& values) {
    for (const TPlanMarker& m : FPlanMarkers)
        if (m.Values == values) return false;  // this run's own
    TUniqueKernelHandle marker(OpenMutexW(SYNCHRONIZE, FALSE, PlanMarkerName(values).c_str()));
    // Another user's run holds it with rights of its own: it exists all the same.
    return static_cast<bool>(marker) || NamedObjectExists(nullptr, GetLastError());
}

TUniqueKernelHandle OwnMutex(const std::wstring& name) {
    bool existed = false;
    return TUniqueKernelHandle(CreateOwnMutex(name, false, existed));
}

TProcessTableWin32::TProcessTableWin32() : FMarker(OwnMutex(RunMarkerName(CurrentProcessId(), CurrentProcessStart()))) {}

namespace {
// The session functions are looked up, not imported: the library is not one
// of the system's known libraries, so an import would be looked for beside
// the program first, before any code of ours restricts the search.
HMODULE SessionLibrary() {
    static const HMODULE module = LoadLibraryExW(L"wtsapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module;
}

template <typename F>
F SessionFunction(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(SessionLibraryFunction(name)));
}
}  // namespace

FARPROC SessionLibraryFunction(const char* name) {
    const HMODULE module = SessionLibrary();
    return module ? GetProcAddress(module, name) : nullptr;
}

namespace {
// Reads this session's record of `info` with `read(record, bytes)`;
// `unknown` where the system cannot be asked.
template <typename Read>
bool QueryThisSession(WTS_INFO_CLASS info, bool unknown, Read read) {
    using TQuery = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
    using TFree = void(WINAPI*)(PVOID);
    const auto query = SessionFunction<TQuery>("WTSQuerySessionInformationW");
    const auto free = SessionFunction<TFree>("WTSFreeMemory");
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!query || !free || !query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, info, &buffer, &bytes))
        return unknown;
    const bool answer = read(buffer, bytes);
    free(buffer);
    return answer;
}
}  // namespace

bool SessionConnected() {
    return QueryThisSession(WTSConnectState, true, [](const void* record, DWORD bytes) {
        return bytes >= sizeof(WTS_CONNECTSTATE_CLASS) &&
               *static_cast<const WTS_CONNECTSTATE_CLASS*>(record) == WTSActive;
    });
}

namespace {
// Not in every SDK's headers: WTSSessionInfoEx and its record, WTSINFOEXW
// with its only level.
constexpr auto kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);
constexpr LONG kSessionStateLock = 0;  // WTS_SESSIONSTATE_LOCK
struct TSessionInfoEx {
    DWORD Level;
    union {
        struct {
            ULONG SessionId;
            WTS_CONNECTSTATE_CLASS SessionState;
            LONG SessionFlags;
            WCHAR WinStationName[WINSTATIONNAME_LENGTH + 1], UserName[USERNAME_LENGTH + 1],
                DomainName[DOMAIN_LENGTH + 1];
            LARGE_INTEGER LogonTime, ConnectTime, DisconnectTime, LastInputTime, CurrentTime;
            DWORD IncomingBytes, OutgoingBytes, IncomingFrames, OutgoingFrames, IncomingCompressedBytes,
                OutgoingCompressedBytes;
        } Level1;
    } Data;
};
}  // namespace

bool SessionLocked() {
    // Level 1 is the only one; its flag reads the right way round from
    // Windows 8 on (Windows 7 had it inverted, and is not supported).
    return QueryThisSession(kSessionInfoEx, false, [](const void* record, DWORD bytes) {
        const auto* info = static_cast<const TSessionInfoEx*>(record);
        return bytes >= sizeof(TSessionInfoEx) && info->Level == 1 &&
               info->Data.Level1.SessionFlags == kSessionStateLock;
    });
}

void WatchSessionConnection(HWND window, bool watch) {
    using TRegister = BOOL(WINAPI*)(HWND, DWORD);
    using TUnregister = BOOL(WINAPI*)(HWND);
    if (watch) {
        if (const auto f = SessionFunction<TRegister>("WTSRegisterSessionNotification"))
            f(window, NOTIFY_FOR_THIS_SESSION);
    } else if (const auto f = SessionFunction<TUnregister>("WTSUnRegisterSessionNotification")) {
        f(window);
    }
}

uint32_t TProcessTableWin32::CurrentSessionId() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

uint64_t TProcessTableWin32::CurrentProcessStart() { return CreationTime(GetCurrentProcess()); }

bool TProcessTableWin32::RunMarkerHeld(uint32_t processId, uint64_t processStart) {
    // A named object exists only while some process holds it. But any
    // local user can make one of that name and keep it: only a marker this
    // user owns is the run's. One that we may not open at all is the run's
    // only while its process is there: a copy of this user's with other
    // rights (the name carries the process's creation time, which no other
    // process shares).
    TUniqueKernelHandle marker(
        OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, RunMarkerName(processId, processStart).c_str()));
    if (marker) return OwnedByThisUser(marker.Get());
    return NamedObjectExists(nullptr, GetLastError()) && IsRunning(processId, processStart);
}

bool TProcessTableWin32::IsRunning(uint32_t processId, uint64_t processStart) {
    TUniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    // A process we may not ask belongs to another user or to the system:
    // the id was reused, and the run that wrote the journal is gone.
    if (!process) return false;
    DWORD code = 0;
    if (GetExitCodeProcess(process.Get(), &code) && code != STILL_ACTIVE) return false;
    // The same id with another creation time is another process.
    return CreationTime(process.Get()) == processStart;
}

}  // namespace lumivane
