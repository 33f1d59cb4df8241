#pragma once
// A few registry keys watched for changes, each with an event of its own.
// A key may be deleted and written again (Group Policy does so at each
// refresh) or not exist yet: a key that does not exist is waited for on the
// nearest key above it. The events are waited for by the window thread's
// message loop, with the messages, and looked at on each tick of the
// watchdog, which every modal loop (a dialog, a message box, a menu) still
// runs: a pool's wait would keep threads of its own for the whole run (a
// megabyte each under Wine).
#include <windows.h>

#include <initializer_list>

namespace lumivane {

class TKeyWatchWin32 {
public:
    struct TKey {
        HKEY Root = nullptr;
        const wchar_t* Path = L"";
        bool Subtree = false;  // the keys below it too
    };
    static constexpr int kMaxKeys = 4;

    TKeyWatchWin32() = default;
    TKeyWatchWin32(const TKeyWatchWin32&) = delete;
    TKeyWatchWin32& operator=(const TKeyWatchWin32&) = delete;
    ~TKeyWatchWin32() { Stop(); }
    // Posts `message` to `window` at each change; Rearm() after it has been
    // handled. At most kMaxKeys keys.
    void Start(HWND window, UINT message, std::initializer_list<TKey> keys);
    bool Started() const { return FWindow != nullptr; }
    // The events the message loop waits for (at most kMaxKeys), and what it
    // does when one of them is set: false when the event is not one of these.
    int Events(HANDLE* events) const;
    bool Signaled(HANDLE event);
    // Where no loop waits for the events: takes those that are set, without waiting.
    void Poll();
    // Arms again the watches whose events were set, and only those: each
    // arming of a key adds a request that stays until it fires.
    void Rearm();
    void Stop();

private:
    struct TWatch {
        TKey Watched;
        HKEY Key = nullptr;  // the path, or the nearest key above it while it does not exist
        HANDLE Event = nullptr;
        bool OnPath = false;
        bool Fired = false;
    };
    static void Arm(TWatch& watch);
    HWND FWindow = nullptr;
    UINT FMessage = 0;
    TWatch FWatches[kMaxKeys];
};

}  // namespace lumivane
