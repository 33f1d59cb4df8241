#include "win32/RegistryWin32.h"

#include <algorithm>

#include "base/MessageDialog.h"

namespace lumivane {

namespace {
HKEY Hkey(TRegKey key) { return reinterpret_cast<HKEY>(key); }
}  // namespace

bool TRegistryWin32::OpenKey(const std::wstring& path, bool create, uint32_t access, TRegKey& key) {
    HKEY opened = nullptr;
    const LSTATUS status =
        create ? RegCreateKeyExW(FRoot, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                 nullptr, &opened, nullptr)
               : RegOpenKeyExW(FRoot, path.c_str(), 0, access, &opened);
    if (status != ERROR_SUCCESS) return false;
    key = reinterpret_cast<TRegKey>(opened);
    return true;
}

bool TRegistryWin32::QueryValue(TRegKey key, const std::wstring& name, uint32_t& type, std::vector<uint8_t>& data) {
    // Most values fit the first buffer. A longer one answers ERROR_MORE_DATA
    // with its size, and is read again into that much; a value that another
    // program makes longer in between answers so once more.
    data.resize(std::min<DWORD>(512, FMaxValueBytes));
    for (;;) {
        DWORD valueType = 0, size = static_cast<DWORD>(data.size());
        const LSTATUS status = RegQueryValueExW(Hkey(key), name.c_str(), nullptr, &valueType, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            type = valueType;
            return true;
        }
        if (status != ERROR_MORE_DATA || size > FMaxValueBytes || size <= data.size()) return false;
        data.resize(size);
    }
}

bool TRegistryWin32::SetValue(TRegKey key, const std::wstring& name, uint32_t type, const std::vector<uint8_t>& data) {
    return RegSetValueExW(Hkey(key), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
}

bool TRegistryWin32::DeleteValue(TRegKey key, const std::wstring& name) {
    return RegDeleteValueW(Hkey(key), name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::wstring> TRegistryWin32::ValueNames(TRegKey key) {
    std::vector<std::wstring> names;
    // Value names are at most 16383 characters long.
    std::wstring name(16384, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        const LSTATUS status = RegEnumValueW(Hkey(key), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) names.emplace_back(name.data(), length);
        else if (status != ERROR_MORE_DATA) break;
    }
    return names;
}

void TRegistryWin32::CloseKey(TRegKey key) { RegCloseKey(Hkey(key)); }

void TErrorBoxWin32::ShowError(const std::wstring& text) {
    HWND owner = FOwner ? FOwner() : nullptr;
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    MessageBoxW(owner, WithWindowsLineBreaks(text).c_str(), L"Error",
                MB_OK | MB_ICONERROR | (owner ? 0u : MB_TOPMOST | MB_SETFOREGROUND));
}

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // a long path: try a larger buffer
    }
}

}  // namespace lumivane
