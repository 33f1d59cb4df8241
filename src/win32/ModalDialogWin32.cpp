#include "win32/ModalDialogWin32.h"

#include "resource.h"
#include "win32/MessageLoopWin32.h"

namespace lumivane {

namespace {
constexpr int kButtonWidth = 75, kButtonHeight = 25, kMargin = 12;
}  // namespace

bool TModalDialogWin32::Open(HWND owner, const wchar_t* className, const wchar_t* title, int width, int height) {
    // A second registration of the class fails, and changes nothing.
    RegisterClass(className, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)));
    FControls.Load();
    if (!CreateHandle(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_TOPMOST, className, title,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner))
        return false;
    FDpi = SetClientSizeCentred(Handle(), width, height);
    FFont.Reset(CreateTahomaFont(FDpi));
    const int right = width - kMargin, top = height - kMargin - kButtonHeight;
    Child(0, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
          {right - 2 * kButtonWidth - 6, top, right - kButtonWidth - 6, top + kButtonHeight}, IDOK);
    Child(0, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, {right - kButtonWidth, top, right, top + kButtonHeight},
          IDCANCEL);
    return true;
}

void TModalDialogWin32::RunModal(HWND focus) {
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(focus);
    RunModalLoop(*this, FClosed);
    ShowWindow(Handle(), SW_HIDE);
}

HWND TModalDialogWin32::Child(DWORD exStyle, const wchar_t* cls, const wchar_t* caption, DWORD style, RECT r, int id) {
    return CreateScaledChild(Handle(), FDpi, FFont.Get(), exStyle, cls, caption, style, r, id);
}

LRESULT TModalDialogWin32::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: Command(IDCANCEL, 0); return 0;
    case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
    default: return TWindow::HandleMessage(msg, wParam, lParam);
    }
}

}  // namespace lumivane
