#include "config/PolicyWatchWin32.h"

namespace lumivane {

void TPolicyWatchWin32::Start(HWND window) {
    FWindow = window;
    for (THive& hive : FHives) {
        hive.Event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        Arm(hive);
    }
}

void TPolicyWatchWin32::Arm(THive& hive) {
    if (!hive.Event) return;
    // Closing a watched key signals its event: the policies' root, which
    // Group Policy never deletes, keeps its handle and is only armed again.
    // Where it does not exist yet, its parent's list of keys tells when it
    // comes, and the parent is let go for it then.
    if (!hive.OnPolicies) {
        HKEY policies = nullptr;
        if (RegOpenKeyExW(hive.Root, L"Software\\Policies", 0, KEY_NOTIFY, &policies) == ERROR_SUCCESS) {
            if (hive.Key) RegCloseKey(hive.Key);
            hive.Key = policies;
            hive.OnPolicies = true;
        } else if (!hive.Key && RegOpenKeyExW(hive.Root, L"Software", 0, KEY_NOTIFY, &hive.Key) != ERROR_SUCCESS) {
            hive.Key = nullptr;
            return;
        }
    }
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    RegNotifyChangeKeyValue(hive.Key, hive.OnPolicies, filter, hive.Event, TRUE);
}

void TPolicyWatchWin32::Rearm() {
    for (THive& hive : FHives) Arm(hive);
}

int TPolicyWatchWin32::Events(HANDLE* events) const {
    int count = 0;
    for (const THive& hive : FHives)
        if (hive.Event) events[count++] = hive.Event;
    return count;
}

// Handled as any message, on the window's own turn.
void TPolicyWatchWin32::Signaled() const { PostMessageW(FWindow, kPoliciesChangedMessage, 0, 0); }

void TPolicyWatchWin32::Stop() {
    for (THive& hive : FHives) {
        if (hive.Key) RegCloseKey(hive.Key);
        if (hive.Event) CloseHandle(hive.Event);
        hive = {hive.Root};
    }
}

}  // namespace lumivane
