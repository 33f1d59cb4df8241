#include "ui/NumberEditWin32.h"

#include "win32/Window.h"

namespace lumivane {

namespace {
constexpr wchar_t kSelfProperty[] = L"Lumivane.NumberEdit";
constexpr DWORD kBaseStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
}  // namespace

TNumberEditWin32::~TNumberEditWin32() {
    FModel.Attach(nullptr);
    if (FHandle && IsWindow(FHandle)) {
        RemovePropW(FHandle, kSelfProperty);
        SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefault));
    }
}

HWND TNumberEditWin32::CreateWindowAt(HWND parent, int id, const RECT& r, DWORD extraStyle,
                                      const std::wstring& text) {
    HWND h = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", text.c_str(), kBaseStyle | extraStyle, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    if (!h) return nullptr;
    if (FModel.MaxLength() > 0) SendMessageW(h, EM_SETLIMITTEXT, static_cast<WPARAM>(FModel.MaxLength()), 0);
    SetPropW(h, kSelfProperty, this);
    FDefault = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TNumberEditWin32::Proc)));
    return h;
}

bool TNumberEditWin32::Create(HWND parent, int id, const RECT& bounds, HFONT font) {
    FHandle = CreateWindowAt(parent, id, bounds, FModel.StyleBits(), FModel.Text());
    if (!FHandle) return false;
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    FModel.Attach(this);
    return true;
}

void TNumberEditWin32::Changed() {
    if (FHandle) FModel.TextChangedByUser(WindowText(FHandle));
}

void TNumberEditWin32::SetText(const std::wstring& text) {
    // EN_CHANGE follows; the model knows this text already and ignores it.
    if (FHandle) SetWindowTextW(FHandle, text.c_str());
}

void TNumberEditWin32::Recreate() {
    // The alignment style takes effect only in a new window: same parent,
    // identifier, place, size, font, text, enabled state and tab place.
    if (!FHandle) return;
    HWND old = FHandle;
    HWND parent = GetParent(old);
    RECT r;
    GetWindowRect(old, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const DWORD disabled = static_cast<DWORD>(GetWindowLongW(old, GWL_STYLE)) & WS_DISABLED;
    HWND created = CreateWindowAt(parent, GetDlgCtrlID(old), r, FModel.StyleBits() | disabled, FModel.Text());
    if (!created) return;
    SendMessageW(created, WM_SETFONT, SendMessageW(old, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(created, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const bool hadFocus = GetFocus() == old;
    FHandle = created;
    FRecreating = true;
    DestroyWindow(old);
    FRecreating = false;
    if (hadFocus) SetFocus(created);
    if (OnRecreated) OnRecreated(old, created);
}

LRESULT CALLBACK TNumberEditWin32::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TNumberEditWin32*>(GetPropW(hwnd, kSelfProperty));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const WNDPROC base = self->FDefault;
    switch (msg) {
    case WM_KEYDOWN: self->FModel.KeyDown(); break;
    case WM_KEYUP: self->FModel.KeyUp(); break;
    case WM_KILLFOCUS: {
        const LRESULT result = CallWindowProcW(base, hwnd, msg, wParam, lParam);
        if (!self->FRecreating) self->FModel.Exit();
        return result;
    }
    case WM_NCDESTROY: RemovePropW(hwnd, kSelfProperty); break;
    default: break;
    }
    return CallWindowProcW(base, hwnd, msg, wParam, lParam);
}

}  // namespace lumivane
