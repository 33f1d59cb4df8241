#include "win32/MessageLoopWin32.h"

#include <commctrl.h>

namespace lumivane {

namespace {

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

// A hot key field takes every combination as its value: a window shortcut
// must not snatch the one the user is typing into it.
bool FocusWantsAllKeys() {
    wchar_t name[32] = {};
    HWND focus = GetFocus();
    return focus && GetClassNameW(focus, name, ARRAYSIZE(name)) && lstrcmpiW(name, HOTKEY_CLASSW) == 0;
}

}  // namespace

void RouteMessage(MSG& msg) {
    if (msg.hwnd && IsKeyboardMessage(msg.message)) {
        const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (const TWindow* window = TWindow::FromHandle(root); window && window->Keyboard().On) {
            // A copy: what runs here may change the window's keyboard or end it.
            const TWindow::TKeyboard keys = window->Keyboard();
            if (keys.Accelerators && !FocusWantsAllKeys() && TranslateAcceleratorW(root, keys.Accelerators, &msg))
                return;
            if (keys.Filter ? keys.Filter(msg) : IsDialogMessageW(root, &msg) != FALSE) return;
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

void RunModalLoop(TWindow& modal, const bool& closed) {
    const TModalScope scope(modal.Handle());
    const bool ownKeys = modal.Keyboard().On;
    if (!ownKeys) modal.SetKeyboard(nullptr);
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
    if (!ownKeys) modal.ClearKeyboard();
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
