#include "win32/MessageLoopWin32.h"

namespace lumivane {

std::optional<int> DispatchPendingMessages() {
    std::optional<int> quit;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return quit;
}

}  // namespace lumivane
