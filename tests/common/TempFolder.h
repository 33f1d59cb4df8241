#pragma once
// A folder of this test process under the user's temporary folder, for files
// a test plants; empty when it cannot be made.
#include <windows.h>

#include <string>

namespace lumivane::test {

inline std::wstring MakeTempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    if (GetTempPathW(MAX_PATH, temp) == 0) return {};
    const std::wstring folder = std::wstring(temp) + name + L" " + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return folder;
}

}  // namespace lumivane::test
