#pragma once
// The folders of a test that plants files: its own under the user's
// temporary folder, and the one the test program lies in.
#include <windows.h>

#include <string>
#include <vector>

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

// A folder of the test's own (the way a download folder is) that files are
// planted in, the current folder while it lives if the test works from
// inside it. Everything in it, and every copy planted elsewhere, goes with it.
class TPlantFolder {
public:
    explicit TPlantFolder(const std::wstring& name, bool current = false) : Folder(MakeTempFolder(name)) {
        if (current && !Folder.empty() && GetCurrentDirectoryW(MAX_PATH, FSaved))
            Entered = SetCurrentDirectoryW(Folder.c_str()) != FALSE;
    }
    ~TPlantFolder() {
        if (Entered) SetCurrentDirectoryW(FSaved);
        for (const std::wstring& path : FElsewhere) DeleteFileW(path.c_str());
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((Folder + L"\\*").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((Folder + L"\\" + found.cFileName).c_str());
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        RemoveDirectoryW(Folder.c_str());
    }
    // Copies `source` to `target`, a name in the folder or a full path
    // elsewhere; the copy's path, empty when it could not be made.
    std::wstring Plant(const std::wstring& source, const std::wstring& target) {
        const bool elsewhere = target.find(L'\\') != std::wstring::npos;
        const std::wstring path = elsewhere ? target : Folder + L"\\" + target;
        if (Folder.empty() || !CopyFileW(source.c_str(), path.c_str(), FALSE)) return {};
        if (elsewhere) FElsewhere.push_back(path);
        return path;
    }
    const std::wstring Folder;  // empty when it cannot be made
    bool Entered = false;

private:
    wchar_t FSaved[MAX_PATH]{};
    std::vector<std::wstring> FElsewhere;
};

}  // namespace lumivane::test
