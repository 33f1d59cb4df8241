#include "win32/MessageLoopWin32.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace lumivane {

namespace {

struct TKeyboardWindow {
    HWND Window;
    HACCEL Accelerators;
    std::function<bool(MSG&)> Filter;
};
// One thread, a handful of windows: a short list beats a map.
std::vector<TKeyboardWindow>& KeyboardWindows() {
    static std::vector<TKeyboardWindow> windows;
    return windows;
}

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

// A hot key field takes every combination as its value: a window shortcut
// must not snatch the one the user is typing into it.
bool FocusWantsAllKeys() {
    wchar_t name[32] = {};
    HWND focus = GetFocus();
    return focus && GetClassNameW(focus, name, ARRAYSIZE(name)) && lstrcmpiW(name, HOTKEY_CLASSW) == 0;
}

}  // namespace

void RegisterKeyboardWindow(HWND window, HACCEL accelerators, std::function<bool(MSG&)> filter) {
    UnregisterKeyboardWindow(window);
    KeyboardWindows().push_back({window, accelerators, std::move(filter)});
}

void UnregisterKeyboardWindow(HWND window) {
    auto& windows = KeyboardWindows();
    std::erase_if(windows, [window](const TKeyboardWindow& w) { return w.Window == window; });
}

void RouteMessage(MSG& msg) {
    if (msg.hwnd && IsKeyboardMessage(msg.message)) {
        const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        for (const TKeyboardWindow& entry : KeyboardWindows()) {
            if (entry.Window != root) continue;
            // A copy: what runs here may open a window that changes the list.
            const TKeyboardWindow w = entry;
            if (w.Accelerators && !FocusWantsAllKeys() && TranslateAcceleratorW(root, w.Accelerators, &msg))
                return;
            if (w.Filter ? w.Filter(msg) : IsDialogMessageW(root, &msg) != FALSE) return;
            break;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

std::optional<int> DispatchPendingMessages() {
    std::optional<int> quit;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = static_cast<int>(msg.wParam);
            continue;
        }
        RouteMessage(msg);
    }
    return quit;
}

void RunModalLoop(HWND modal, const bool& closed) {
    const TModalScope scope(modal);
    RegisterKeyboardWindow(modal, nullptr);
    MSG msg;
    while (!closed) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        RouteMessage(msg);
    }
    UnregisterKeyboardWindow(modal);
}

std::optional<LRESULT> HandleOkDialogMessage(UINT msg, WPARAM wParam, bool& closed) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) closed = true;
        return 0;
    case WM_CLOSE:
        closed = true;
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    default:
        return std::nullopt;
    }
}

TModalScope::TModalScope(HWND modal) : FModal(modal) {
    EnumThreadWindows(GetCurrentThreadId(), &TModalScope::Collect, reinterpret_cast<LPARAM>(this));
    for (int i = 0; i < FCount; ++i) EnableWindow(FDisabled[i], FALSE);
}

TModalScope::~TModalScope() {
    for (int i = 0; i < FCount; ++i)
        if (IsWindow(FDisabled[i])) EnableWindow(FDisabled[i], TRUE);
}

BOOL CALLBACK TModalScope::Collect(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<TModalScope*>(param);
    if (window != self->FModal && IsWindowVisible(window) && IsWindowEnabled(window) &&
        self->FCount < static_cast<int>(std::size(self->FDisabled)))
        self->FDisabled[self->FCount++] = window;
    return TRUE;
}

}  // namespace lumivane
