// The settings window written by hand, for the showing's figure: the same
// 34 children (classes, styles, captions, fonts, places, hints), menu bar,
// notification menu, accelerators, tool bar in its cool bar with the same
// pictures and tooltips, from the same manifest (common controls 6). It
// takes the window's tables and the small control helpers from the
// program, and nothing else: no options, no status, no notification icon,
// no window framework. Whatever Lumivane's plain start costs beyond this
// program is what the settings window alone does not need.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "base/BenchMarks.h"
#include "resource.h"
#include "ui/MainLayout.h"
#include "ui/MenusWin32.h"
#include "ui/ToolBarWin32.h"
#include "win32/CommonControlsWin32.h"
#include "win32/ToolTipsWin32.h"
#include "win32/Window.h"

using namespace lumivane;

namespace {

constexpr wchar_t kClassName[] = L"LumivaneBenchHandmade";

struct TState {
    UINT Dpi = 96;
    HFONT Font = nullptr, Bold = nullptr;
    TCommonControlsWin32 Controls;
    std::unique_ptr<TCommandImagesWin32> Images;
    TToolBarWin32 ToolBar;
    TToolTipsWin32 Tips;
} gState;

class TMetrics final : public ILayoutMetrics {
public:
    explicit TMetrics(HWND window) : FWindow(window), FDc(GetDC(window)) {
        FOld = SelectObject(FDc, gState.Font);
        TEXTMETRICW tm{};
        GetTextMetricsW(FDc, &tm);
        FLine = tm.tmHeight;
    }
    ~TMetrics() override {
        SelectObject(FDc, FOld);
        ReleaseDC(FWindow, FDc);
    }
    int Dpi() const override { return static_cast<int>(gState.Dpi); }
    int TextWidth(const std::wstring& text, bool bold) const override {
        SelectObject(FDc, bold ? gState.Bold : gState.Font);
        SIZE size{};
        GetTextExtentPoint32W(FDc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight() const override { return FLine; }
    int CheckBoxWidth() const override { return GetSystemMetricsForDpi(SM_CXMENUCHECK, gState.Dpi) + Dpi() / 24; }
    int ListHeight() const override { return FLine + Dpi() / 12; }

private:
    HWND FWindow;
    HDC FDc;
    HGDIOBJ FOld;
    int FLine = 13;
};

// The class, style and extra height of each kind, as the program makes them.
void KindOf(const TControlDef& def, const wchar_t*& cls, DWORD& style, DWORD& exStyle, int& extra) {
    switch (def.Kind) {
    case TControlKind::Group: cls = L"BUTTON"; style |= BS_GROUPBOX | WS_GROUP; break;
    case TControlKind::Label: style |= def.Id == TControlId::lblContinuousModeDelay ? SS_RIGHT : SS_LEFT; break;
    case TControlKind::ValueLabel: style |= SS_LEFT | SS_NOPREFIX; break;
    case TControlKind::CheckBox: cls = L"BUTTON"; style |= BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP; break;
    case TControlKind::HotKey: cls = HOTKEY_CLASSW; style |= WS_TABSTOP | WS_GROUP; break;
    case TControlKind::UpDown: cls = UPDOWN_CLASSW; style |= UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS; break;
    case TControlKind::List:
        cls = WC_COMBOBOXW;
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        extra = MulDiv(160, static_cast<int>(gState.Dpi), 96);
        break;
    case TControlKind::NumberEdit: cls = L"EDIT"; style |= WS_TABSTOP | ES_AUTOHSCROLL; exStyle = WS_EX_CLIENTEDGE; break;
    }
}

void CreateChildren(HWND window) {
    gState.Controls.Load();
    gState.Font = CreateTahomaFont(gState.Dpi);
    gState.Bold = CreateTahomaFont(gState.Dpi, FW_BOLD);
    gState.ToolBar.Create(window, gState.Dpi, gState.Font, *gState.Images, kHintHidePause);
    gState.Tips.Create(window, kHintHidePause);
    const TMetrics metrics(window);
    const TMainLayout layout(metrics, gState.ToolBar.Height());
    HWND last = nullptr;
    for (const TControlDef& def : MainControls()) {
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
        int extra = 0;
        KindOf(def, cls, style, exStyle, extra);
        const TRect& r = layout.Rect(def.Id);
        HWND h = CreateWindowExW(exStyle, cls, def.Caption ? def.Caption : L"", style, r.Left, r.Top, r.Width,
                                 r.Height + extra, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.Id)),
                                 ModuleInstance(), nullptr);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(def.Kind == TControlKind::ValueLabel ? gState.Bold
                                                                                                 : gState.Font), FALSE);
        if (def.Kind == TControlKind::UpDown) SendMessageW(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(last), 0);
        if (def.Kind == TControlKind::List)
            for (const wchar_t* item : def.Id == TControlId::cmbTrayIconDoubleClick ? TrayDoubleClickItems()
                                                                                    : TrayClickItems())
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        if (def.Hint) gState.Tips.Add(h, def.Hint);
        last = h;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFY:
        if (gState.ToolBar.HandleNotify(reinterpret_cast<NMHDR*>(lParam))) return 0;
        break;
    case WM_MEASUREITEM:
        if (MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), *gState.Images)) return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawMenuImage(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), *gState.Images)) return TRUE;
        break;
    case WM_PAINT: {
        const LRESULT painted = DefWindowProcW(hwnd, msg, wParam, lParam);
        LUMIVANE_MARK("painted");
        return painted;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, [[maybe_unused]] LPWSTR arguments, int showCommand) {
    LUMIVANE_MARK("entry");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"Lumivane",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, kMainClientWidth, kMainClientHeight, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 1;
    LUMIVANE_MARK("window");
    gState.Dpi = GetDpiForWindow(window);
    gState.Images = std::make_unique<TCommandImagesWin32>(gState.Dpi, gState.Controls);
    HMENU menu = BuildMenu(MainMenu(), false), notifyMenu = BuildMenu(NotifyMenu(), true);
    HACCEL keys = BuildAccelerators();
    SetMenu(window, menu);
    SetClientSizeCentred(window, kMainClientWidth, kMainClientHeight);
    CreateChildren(window);
    LUMIVANE_MARK("created");
    SetMenuImages(menu, MainMenu(), *gState.Images, MenusThemed());
    SetMenuImages(notifyMenu, NotifyMenu(), *gState.Images, MenusThemed());
    ShowWindow(window, showCommand);
    LUMIVANE_MARK("shown");
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window, keys, &msg) || IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyMenu(notifyMenu);
    DestroyAcceleratorTable(keys);
    LUMIVANE_WRITE_MARKS(arguments);
    return static_cast<int>(msg.wParam);
}
