#include "sources/PolicyWatchWin32.h"

#include <string>

#include "sources/Policies.h"

namespace lumivane {

void TPolicyWatchWin32::Start(HWND window) {
    FWindow = window;
    // The policies' trees hold keys below the program's own (Windows' screen
    // saver, the power settings); the System key holds only values.
    FWatches[0] = {HKEY_LOCAL_MACHINE, L"Software\\Policies", true};
    FWatches[1] = {HKEY_CURRENT_USER, L"Software\\Policies", true};
    FWatches[2] = {HKEY_LOCAL_MACHINE, kInactivityLockKey, false};
    for (TWatch& watch : FWatches) {
        watch.Event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        Arm(watch);
    }
}

void TPolicyWatchWin32::Arm(TWatch& watch) {
    if (!watch.Event) return;
    // Closing a key that is watched signals its event: a key is let go only
    // after its event fired, never while it is armed. The watched key itself,
    // which Group Policy never deletes, keeps its handle and is only armed
    // again. Where it does not exist yet, the nearest key above it that does
    // tells by its list of keys when the next one down comes.
    if (!watch.OnPath) {
        std::wstring path = watch.Path;
        HKEY key = nullptr;
        while (RegOpenKeyExW(watch.Root, path.c_str(), 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) {
            const size_t up = path.rfind(L'\\');
            if (up == std::wstring::npos) return;
            path.resize(up);
        }
        if (watch.Key) RegCloseKey(watch.Key);
        watch.Key = key;
        watch.OnPath = path == watch.Path;
    }
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    RegNotifyChangeKeyValue(watch.Key, watch.OnPath && watch.Subtree, filter, watch.Event, TRUE);
}

void TPolicyWatchWin32::Rearm() {
    for (TWatch& watch : FWatches)
        if (watch.Fired) {
            watch.Fired = false;
            Arm(watch);
        }
}

int TPolicyWatchWin32::Events(HANDLE* events) const {
    int count = 0;
    for (const TWatch& watch : FWatches)
        if (watch.Event) events[count++] = watch.Event;
    return count;
}

// Handled as any message, on the window's own turn.
void TPolicyWatchWin32::Signaled(HANDLE event) {
    for (TWatch& watch : FWatches)
        if (watch.Event == event) watch.Fired = true;
    PostMessageW(FWindow, kPoliciesChangedMessage, 0, 0);
}

void TPolicyWatchWin32::Poll() {
    HANDLE events[kMaxEvents];
    const DWORD count = static_cast<DWORD>(Events(events));
    // The events reset themselves as the wait takes them, one at a time.
    for (DWORD woken; count && (woken = WaitForMultipleObjects(count, events, FALSE, 0)) < WAIT_OBJECT_0 + count;)
        Signaled(events[woken - WAIT_OBJECT_0]);
}

void TPolicyWatchWin32::Stop() {
    for (TWatch& watch : FWatches) {
        if (watch.Key) RegCloseKey(watch.Key);
        if (watch.Event) CloseHandle(watch.Event);
        watch = {};
    }
}

}  // namespace lumivane
