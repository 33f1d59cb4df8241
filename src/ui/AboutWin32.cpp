#include "ui/AboutWin32.h"
#include "win32/SystemLibrariesWin32.h"

#include <shellapi.h>

#include "base/ProgramNames.h"
#include "resource.h"
#include "win32/MessageLoopWin32.h"
#include "win32/OleWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

const wchar_t* const kAboutClassName = L"TfAbout";

void ShellOpen(const std::wstring& address) {
    // A missing mail program or browser is not reported. Some of the
    // shell's handlers are COM objects.
    EnsureOle();
    late::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

namespace {

// Layout at 96 dpi: the address block starts below the paragraphs, and the
// frame and the OK button follow whatever lines it has.
constexpr int kClientWidth = 392, kAddressesTop = 198, kLinkHeight = 26, kSentenceHeight = 30;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr int kEmailId = 101, kWebId = 102;
constexpr wchar_t kLinkProperty[] = L"Lumivane.AboutLink";

class TfAbout final : public TWindow {
public:
    TfAbout(HWND mainForm, bool noParent, const TVersion& version, const TAboutAddresses& addresses,
            const TShellOpen& open);
    ~TfAbout() override { DestroyHandle(); }
    void ShowModal();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    HWND Child(const wchar_t* cls, const std::wstring& text, DWORD style, RECT r, int id = -1, DWORD exStyle = 0);
    HWND LinkField(const std::wstring& text, RECT r, int id);
    static LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    int Scale(int v) const { return MulDiv(v, static_cast<int>(FDpi), 96); }

    bool FNoParent;
    HWND FMainForm;
    TVersion FVersion;
    TShellOpen FOpen;
    std::vector<TAboutLine> FLines;
    int FFrameBottom = kAddressesTop + 2;
    UINT FDpi = 96;
    bool FClosed = false;
    HWND FBtnOK = nullptr;
    TUniqueHfont FFont, FBoldFont;
    TUniqueHicon FIcon, FSmallIcon;
    WNDPROC FEditProc = nullptr;
};

TfAbout::TfAbout(HWND mainForm, bool noParent, const TVersion& version, const TAboutAddresses& addresses,
                 const TShellOpen& open)
    : FNoParent(noParent), FMainForm(mainForm), FVersion(version), FOpen(open), FLines(AddressLines(addresses)) {
    for (const TAboutLine& line : FLines) FFrameBottom += line.Label ? kLinkHeight : kSentenceHeight;
    static const ATOM atom =
        RegisterClass(kAboutClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)), CS_DBLCLKS);
    (void)atom;
    // Without an owner while the main window is hidden: a taskbar button of its own.
    HWND owner = FNoParent ? nullptr : FMainForm;
    if (!CreateHandle(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_APPWINDOW), kAboutClassName,
                      kAboutCaption, kStyle, 0, 0, 0, 0, owner))
        return;
    FDpi = SetClientSizeCentred(Handle(), kClientWidth, FFrameBottom + 41);
    FormCreate();
}

HWND TfAbout::Child(const wchar_t* cls, const std::wstring& text, DWORD style, RECT r, int id, DWORD exStyle) {
    HWND h = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, Scale(r.left), Scale(r.top),
                             Scale(r.right - r.left), Scale(r.bottom - r.top), Handle(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    return h;
}

HWND TfAbout::LinkField(const std::wstring& text, RECT r, int id) {
    // Its frame after it: the label right before the field names it for screen readers.
    HWND field = Child(L"EDIT", text, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, r, id);
    Child(L"STATIC", L"", SS_ETCHEDFRAME, {r.left - 4, r.top - 4, r.right + 4, r.bottom + 4});
    SetPropW(field, kLinkProperty, this);
    FEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfAbout::LinkProc)));
    return field;
}

void TfAbout::FormCreate() {
    FFont.Reset(CreateTahomaFont(FDpi));
    FBoldFont.Reset(CreateTahomaFont(FDpi, FW_BOLD));
    Child(L"STATIC", L"", SS_ETCHEDFRAME, {8, 8, 384, FFrameBottom});  // Bevel
    const int iconSize = Scale(32);
    FIcon.Reset(static_cast<HICON>(
        LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, iconSize, iconSize, 0)));
    HWND icon = Child(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, {20, 20, 52, 52});
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(FIcon.Get()), 0);
    HWND name = Child(L"STATIC", kApplicationTitle, SS_LEFT | SS_NOPREFIX, {64, 20, 372, 36});
    SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(FBoldFont.Get()), FALSE);
    Child(L"STATIC", VersionText(FVersion), SS_LEFT | SS_NOPREFIX, {64, 38, 372, 52});
    Child(L"STATIC", AuthorText(FVersion), SS_LEFT | SS_NOPREFIX, {64, 54, 372, 68});
    int top = 78;
    for (const wchar_t* paragraph : kAboutParagraphs) {
        Child(L"STATIC", paragraph, SS_LEFT | SS_NOPREFIX, {20, top, 372, top + 28});
        top += 30;
    }
    top = kAddressesTop;
    for (const TAboutLine& line : FLines) {
        if (line.Label) {
            Child(L"STATIC", line.Label, SS_RIGHT, {20, top + 6, 92, top + 20});
            LinkField(line.Text, {102, top + 6, 368, top + 20}, line.Mail ? kEmailId : kWebId);
            top += kLinkHeight;
        } else {
            Child(L"STATIC", line.Text, SS_LEFT | SS_NOPREFIX, {20, top + 4, 372, top + kSentenceHeight});
            top += kSentenceHeight;
        }
    }
    FBtnOK = Child(L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {158, FFrameBottom + 8, 233, FFrameBottom + 33},
                   IDOK);
    FSmallIcon.Reset(static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                   GetSystemMetricsForDpi(SM_CXSMICON, FDpi),
                                                   GetSystemMetricsForDpi(SM_CYSMICON, FDpi), 0)));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FSmallIcon.Get()));
}

LRESULT CALLBACK TfAbout::LinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TfAbout*>(GetPropW(hwnd, kLinkProperty));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const WNDPROC base = self->FEditProc;
    switch (msg) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONUP: {
        const std::wstring text = WindowText(hwnd);
        self->FOpen(GetDlgCtrlID(hwnd) == kEmailId ? MailToAddress(text) : text);
        break;
    }
    case WM_NCDESTROY: RemovePropW(hwnd, kLinkProperty); break;
    default: break;
    }
    return CallWindowProcW(base, hwnd, msg, wParam, lParam);
}

void TfAbout::ShowModal() {
    if (!Handle()) return;
    // The main window takes no input meanwhile, also when it is shown from
    // the notification area while the box is up.
    const bool disableMain = FMainForm && IsWindowEnabled(FMainForm);
    if (disableMain) EnableWindow(FMainForm, FALSE);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(FBtnOK);
    RunModalLoop(*this, FClosed);
    if (disableMain) EnableWindow(FMainForm, TRUE);
    ShowWindow(Handle(), SW_HIDE);
}

LRESULT TfAbout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CTLCOLORSTATIC) {
        // The two read-only fields look like links, in the system's link
        // colour on the button face: a high-contrast scheme sets both.
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id == kEmailId || id == kWebId) {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
    }
    if (const auto result = HandleOkDialogMessage(msg, wParam, FClosed)) return *result;
    return TWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace

void ShowAbout(HWND mainForm, bool noParent, const TVersion& version, const TAboutAddresses& addresses,
               const TShellOpen& open) {
    TfAbout fAbout(mainForm, noParent, version, addresses, open);
    fAbout.ShowModal();
}

}  // namespace lumivane
