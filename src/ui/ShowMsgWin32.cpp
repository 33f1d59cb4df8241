#include "ui/ShowMsgWin32.h"

#include <iterator>

#include "resource.h"
#include "win32/MessageLoopWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

const wchar_t* const kMessageDialogClassName = L"TfMessage";

namespace {

// Layout at 96 pixels per inch; scaled to the window's DPI.
constexpr int kClientWidth = 442, kClientHeight = 108;
constexpr RECT kIconRect{12, 12, 44, 44};
constexpr RECT kMessageRect{60, 12, 431, 64};
constexpr int kButtonWidth = 75, kButtonHeight = 25, kButtonTop = 72;
constexpr int kIconSize = 32;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kIconIds[] = {IDI_SCREENSAVER, IDI_POWEROFF};

class TfMessage final : public TWindow {
public:
    TfMessage(const std::wstring& caption, const std::wstring& text, int iconIndex);
    // The window goes with the object, while its handlers still exist.
    ~TfMessage() override { DestroyHandle(); }
    void ShowModal();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls(const std::wstring& text);
    void SetIcon(int iconIndex);
    void FormShow();
    int Scale(int value) const { return MulDiv(value, static_cast<int>(FDpi), 96); }

    UINT FDpi = 96;
    bool FClosed = false;
    HWND FImgIcon = nullptr, FLblMessage = nullptr, FBtnOK = nullptr;
    TUniqueHfont FFont;
    TUniqueHicon FIcon, FSmallIcon;
};

void EnsureClassRegistered() {
    static const ATOM atom = TWindow::RegisterClass(
        kMessageDialogClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)));
    (void)atom;
}

TfMessage::TfMessage(const std::wstring& caption, const std::wstring& text, int iconIndex) {
    EnsureClassRegistered();
    // No owner window, whatever else the program shows: the dialog gets its
    // own taskbar button and works while the main window is hidden.
    if (!CreateHandle(kExStyle, kMessageDialogClassName, caption, kStyle, 0, 0, 0, 0, nullptr))
        return;
    FDpi = SetClientSizeCentred(Handle(), kClientWidth, kClientHeight);
    CreateControls(text);
    SetIcon(iconIndex);
}

void TfMessage::CreateControls(const std::wstring& text) {
    FFont.Reset(CreateTahomaFont(FDpi));
    auto child = [&](const wchar_t* cls, const std::wstring& caption, DWORD style, RECT r,
                     int id) {
        HWND h = CreateWindowExW(0, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style,
                                 Scale(r.left), Scale(r.top), Scale(r.right - r.left),
                                 Scale(r.bottom - r.top), Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ModuleInstance(), nullptr);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
        return h;
    };
    FImgIcon = child(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, kIconRect, -1);
    // The label has a fixed size: a longer text wraps and is cut off below.
    FLblMessage = child(L"STATIC", WithWindowsLineBreaks(text), SS_LEFT | SS_NOPREFIX,
                        kMessageRect, -1);
    const int left = (kClientWidth - kButtonWidth) / 2;
    FBtnOK = child(L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                   RECT{left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight}, IDOK);
}

void TfMessage::SetIcon(int iconIndex) {
    // imglstIcons: the two pictures the callers choose from, by index.
    const int size = Scale(kIconSize);
    if (iconIndex >= 0 && iconIndex < static_cast<int>(std::size(kIconIds)))
        FIcon.Reset(static_cast<HICON>(LoadImageW(ModuleInstance(),
                                                  MAKEINTRESOURCEW(kIconIds[iconIndex]),
                                                  IMAGE_ICON, size, size, 0)));
    SendMessageW(FImgIcon, STM_SETICON, reinterpret_cast<WPARAM>(FIcon.Get()), 0);
    FSmallIcon.Reset(static_cast<HICON>(LoadImageW(
        ModuleInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetricsForDpi(SM_CXSMICON, FDpi),
        GetSystemMetricsForDpi(SM_CYSMICON, FDpi), 0)));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FSmallIcon.Get()));
}

void TfMessage::FormShow() { SetForegroundWindow(Handle()); }

void TfMessage::ShowModal() {
    if (!Handle()) return;
    ShowWindow(Handle(), SW_SHOW);
    FormShow();
    SetFocus(FBtnOK);
    // Closed by OK, Enter, Escape, the close box, or the program being asked
    // to end, whose request is kept for the main loop.
    RunModalLoop(*this, FClosed);
    ShowWindow(Handle(), SW_HIDE);
}

LRESULT TfMessage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (const auto result = HandleOkDialogMessage(msg, wParam, FClosed)) return *result;
    return TWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace

void ShowMessageDialog(const std::wstring& caption, const std::wstring& text, int iconIndex) {
    TfMessage fMessage(caption, text, iconIndex);
    fMessage.ShowModal();
}

}  // namespace lumivane
