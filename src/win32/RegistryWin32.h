#pragma once
// The per-user registry (HKEY_CURRENT_USER) through the wide-character API,
// and the error box of the options store.
#include <windows.h>

#include <functional>
#include <string>

#include "base/ErrorBox.h"
#include "base/RegistryDefault.h"

namespace lumivane {

class TRegistryWin32 final : public IRegistry {
public:
    // The machine's hive for what administrators set there.
    // A value longer than the program's longest list is not one of ours,
    // unless the caller reads values of its own size (the user's path).
    explicit TRegistryWin32(HKEY root = HKEY_CURRENT_USER, DWORD maxValueBytes = kValueBytesMax)
        : FRoot(root), FMaxValueBytes(maxValueBytes) {}
    bool OpenKey(const std::wstring& path, bool create, uint32_t access, TRegKey& key) override;
    bool QueryValue(TRegKey key, const std::wstring& name, uint32_t& type, std::vector<uint8_t>& data) override;
    bool SetValue(TRegKey key, const std::wstring& name, uint32_t type, const std::vector<uint8_t>& data) override;
    bool DeleteValue(TRegKey key, const std::wstring& name) override;
    std::vector<std::wstring> ValueNames(TRegKey key) override;
    void CloseKey(TRegKey key) override;
    bool FlushKey(TRegKey key) override { return RegFlushKey(reinterpret_cast<HKEY>(key)) == ERROR_SUCCESS; }

private:
    HKEY FRoot;
    DWORD FMaxValueBytes;
};

// "Error" with the error icon: owned by the window while it is visible;
// otherwise on its own, above the other windows, so that it is seen.
class TErrorBoxWin32 final : public IErrorBox {
public:
    explicit TErrorBoxWin32(std::function<HWND()> owner) : FOwner(std::move(owner)) {}
    void ShowError(const std::wstring& text) override;

private:
    std::function<HWND()> FOwner;
};

// The full path of the running program.
std::wstring ProgramPath();

}  // namespace lumivane
