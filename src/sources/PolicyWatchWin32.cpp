#include "sources/PolicyWatchWin32.h"

#include "sources/Policies.h"

namespace lumivane {

void TPolicyWatchWin32::Start(HWND window) {
    // The policies' trees hold keys below the program's own (Windows' screen
    // saver, the power settings); the System key holds only values.
    TKeyWatchWin32::Start(window, kPoliciesChangedMessage,
                          {{HKEY_LOCAL_MACHINE, L"Software\\Policies", true},
                           {HKEY_CURRENT_USER, L"Software\\Policies", true},
                           {HKEY_LOCAL_MACHINE, kInactivityLockKey, false}});
}

}  // namespace lumivane
