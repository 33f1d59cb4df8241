#pragma once
// The folders of a test that plants files: its own under the user's
// temporary folder, and the one the test program lies in.
#include <windows.h>

#include <string>

namespace lumivane::test {

// Empty when it cannot be made.
inline std::wstring MakeTempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    if (GetTempPathW(MAX_PATH, temp) == 0) return {};
    const std::wstring folder = std::wstring(temp) + name + L" " + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return folder;
}

inline std::wstring OwnFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L'\\'));
    return folder;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace lumivane::test
