#include "win32/KeyWatchWin32.h"

#include <string>

namespace lumivane {

void TKeyWatchWin32::Start(HWND window, UINT message, std::initializer_list<TKey> keys) {
    Stop();
    FWindow = window;
    FMessage = message;
    int index = 0;
    for (const TKey& key : keys) {
        if (index == kMaxKeys) break;
        TWatch& watch = FWatches[index++];
        watch.Watched = key;
        watch.Event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        Arm(watch);
    }
}

void TKeyWatchWin32::Arm(TWatch& watch) {
    if (!watch.Event) return;
    // Closing a key that is watched signals its event: a key is let go only
    // after its event fired, never while it is armed. The watched key itself
    // keeps its handle and is only armed again. Where it does not exist yet,
    // the nearest key above it that does tells by its list of keys when the
    // next one down comes.
    if (!watch.OnPath) {
        std::wstring path = watch.Watched.Path;
        HKEY key = nullptr;
        while (RegOpenKeyExW(watch.Watched.Root, path.c_str(), 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) {
            const size_t up = path.rfind(L'\\');
            if (up == std::wstring::npos) return;
            path.resize(up);
        }
        if (watch.Key) RegCloseKey(watch.Key);
        watch.Key = key;
        watch.OnPath = path == watch.Watched.Path;
    }
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    RegNotifyChangeKeyValue(watch.Key, watch.OnPath && watch.Watched.Subtree, filter, watch.Event, TRUE);
}

void TKeyWatchWin32::Rearm() {
    for (TWatch& watch : FWatches)
        if (watch.Fired) {
            watch.Fired = false;
            Arm(watch);
        }
}

int TKeyWatchWin32::Events(HANDLE* events) const {
    int count = 0;
    for (const TWatch& watch : FWatches)
        if (watch.Event) events[count++] = watch.Event;
    return count;
}

// Handled as any message, on the window's own turn.
bool TKeyWatchWin32::Signaled(HANDLE event) {
    bool ours = false;
    for (TWatch& watch : FWatches)
        if (watch.Event && watch.Event == event) ours = watch.Fired = true;
    if (ours) PostMessageW(FWindow, FMessage, 0, 0);
    return ours;
}

void TKeyWatchWin32::Poll() {
    HANDLE events[kMaxKeys];
    const DWORD count = static_cast<DWORD>(Events(events));
    // The events reset themselves as the wait takes them, one at a time.
    for (DWORD woken; count && (woken = WaitForMultipleObjects(count, events, FALSE, 0)) < WAIT_OBJECT_0 + count;)
        Signaled(events[woken - WAIT_OBJECT_0]);
}

void TKeyWatchWin32::Stop() {
    for (TWatch& watch : FWatches) {
        if (watch.Key) RegCloseKey(watch.Key);
        if (watch.Event) CloseHandle(watch.Event);
        watch = {};
    }
    FWindow = nullptr;
}

}  // namespace lumivane
