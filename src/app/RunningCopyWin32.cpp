#include "app/RunningCopyWin32.h"

#include <string>
#include <vector>

#include "base/ProgramNames.h"
#include "win32/NamedObjectsWin32.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {

bool SameUser(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    return !a.empty() && !b.empty() &&
           EqualSid(reinterpret_cast<const TOKEN_USER*>(a.data())->User.Sid,
                    reinterpret_cast<const TOKEN_USER*>(b.data())->User.Sid);
}

std::wstring ImageOf(HANDLE process) {
    wchar_t path[MAX_PATH * 2];
    DWORD size = ARRAYSIZE(path);
    return QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

// File names compare as the file system does, whatever the letters.
bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// This process's facts, read once per look.
struct TSelf {
    std::vector<BYTE> User = TokenUserOf(GetCurrentProcess());
    DWORD Session = 0;
    DWORD Integrity = IntegrityOf(GetCurrentProcess()).value_or(0);
    std::wstring Program;  // the Lumivane.exe of this program's folder
    TSelf() {
        ProcessIdToSessionId(GetCurrentProcessId(), &Session);
        Program = ImageOf(GetCurrentProcess());
        Program = Program.substr(0, Program.find_last_of(L"\\/") + 1) + kProgramFileName;
    }
};

TCandidate CandidateOf(DWORD processId, const TSelf& self) {
    TCandidate c;
    DWORD session = 0;
    c.SameSession = ProcessIdToSessionId(processId, &session) && session == self.Session;
    TUniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return c;
    // Another account's token cannot be opened: not the same user.
    c.SameUser = SameUser(TokenUserOf(process.Get()), self.User);
    c.Integrity = IntegrityOf(process.Get());
    const std::wstring image = ImageOf(process.Get());
    const size_t name = image.find_last_of(L"\\/");
    c.IsProgram = name != std::wstring::npos && SameText(image.substr(name + 1), kProgramFileName);
    c.BesideThis = c.IsProgram && SameText(image, self.Program);
    return c;
}

}  // namespace

TFoundCopy FindRunningCopy(DWORD processId) {
    std::vector<HWND> windows;
    std::vector<TCandidate> candidates;
    const TSelf self;
    for (HWND w = FindWindowW(kMainWindowClassName, nullptr); w;
         w = FindWindowExW(nullptr, w, kMainWindowClassName, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (processId && owner != processId) continue;
        windows.push_back(w);
        candidates.push_back(CandidateOf(owner, self));
    }
    const TCopyChoice choice = ChooseCopy(candidates, self.Integrity);
    const bool chosen = choice.Kind == TCopyChoice::TKind::Copy || choice.Kind == TCopyChoice::TKind::Above;
    return {choice.Kind, chosen ? windows[choice.Index] : nullptr};
}

}  // namespace lumivane
