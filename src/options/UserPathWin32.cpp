#include "options/UserPathWin32.h"

#include <windows.h>

namespace lumivane {

std::wstring ExpandEntryWin32(const std::wstring& entry) {
    std::wstring expanded(entry.size() + 1, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD needed = ExpandEnvironmentStringsW(entry.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) return entry;  // as written: it then matches only itself
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return expanded;
        }
        expanded.resize(needed);  // a variable grew meanwhile: ask again
    }
    return entry;
}

void AnnounceEnvironmentWin32() {
    // A window that does not read its messages must not hold the setup
    // program: a hung one is skipped, and each other one gets 5 seconds.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace lumivane
