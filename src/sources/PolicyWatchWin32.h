#pragma once
// Tells the window when an administrator's rule may have changed: anything
// under Software\Policies, in the machine's hive or the user's, and the
// machine's own inactivity lock (kInactivityLockKey, outside that tree).
// Group Policy deletes and writes its keys again at each refresh, and the
// program's own key may not exist yet, so a watch on that key would go
// dead: the watch is on the policies' root as a subtree.
#include "win32/KeyWatchWin32.h"

namespace lumivane {

constexpr UINT kPoliciesChangedMessage = WM_APP + 0x41;

class TPolicyWatchWin32 : public TKeyWatchWin32 {
public:
    // Posts kPoliciesChangedMessage to `window` at each change.
    void Start(HWND window);
};

}  // namespace lumivane
