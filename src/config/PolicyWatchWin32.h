#pragma once
// Tells the window when anything under Software\Policies changed, in the
// machine's hive or the user's. Group Policy deletes and writes the keys
// again at each refresh, and the program's own key may not exist yet, so a
// watch on that key would go dead: the watch is on the policies' root as a
// subtree, re-armed after every change. Its events are waited for by the
// window thread's message loop, with the messages: a pool's wait would keep
// threads of its own for the whole run (a megabyte each under Wine).
#include <windows.h>

#include "win32/UniqueHandle.h"

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
    static constexpr int kMaxEvents = 2;
    int Events(HANDLE* events) const;
    void Signaled() const;
    void Rearm();
    void Stop();

private:
    struct THive {
        HKEY Root;
        HKEY Key = nullptr;
        HANDLE Event = nullptr;
        bool OnPolicies = false;  // Key is Software\Policies, else Software
    };
    void Arm(THive& hive);
    HWND FWindow = nullptr;
    THive FHives[2] = {{HKEY_LOCAL_MACHINE}, {HKEY_CURRENT_USER}};
};

}  // namespace lumivane
