#pragma once
// Tells the window when an administrator's rule may have changed: anything
// under Software\Policies, in the machine's hive or the user's, and the
// machine's own inactivity lock (kInactivityLockKey, outside that tree).
// Group Policy deletes and writes its keys again at each refresh, and the
// program's own key may not exist yet, so a watch on that key would go
// dead: the watch is on the policies' root as a subtree. A watched key that
// does not exist yet is waited for on the nearest key above it.
// The events are waited for by the window thread's message loop, with the
// messages, and looked at on each tick of the watchdog, which every modal
// loop (a dialog, a message box, a menu) still runs: a pool's wait would
// keep threads of its own for the whole run (a megabyte each under Wine).
#include <windows.h>

namespace lumivane {

constexpr UINT kPoliciesChangedMessage = WM_APP + 0x41;

class TPolicyWatchWin32 {
public:
    ~TPolicyWatchWin32() { Stop(); }
    // Posts kPoliciesChangedMessage to `window` at each change; Rearm()
    // after it has been handled.
    void Start(HWND window);
    // The events the message loop waits for (at most kMaxEvents), and what
    // it does when one of them is set.
    static constexpr int kMaxEvents = 3;
    int Events(HANDLE* events) const;
    void Signaled(HANDLE event);
    // Where no loop waits for the events: takes those that are set, without waiting.
    void Poll();
    // Arms again the watches whose events were set, and only those: each
    // arming of a key adds a request that stays until it fires.
    void Rearm();
    void Stop();

private:
    struct TWatch {
        HKEY Root = nullptr;
        const wchar_t* Path = L"";
        bool Subtree = false;
        HKEY Key = nullptr;  // Path, or the nearest key above it while it does not exist
        HANDLE Event = nullptr;
        bool OnPath = false;
        bool Fired = false;
    };
    void Arm(TWatch& watch);
    HWND FWindow = nullptr;
    TWatch FWatches[kMaxEvents];
};

}  // namespace lumivane
