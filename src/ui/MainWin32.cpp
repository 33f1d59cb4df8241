#include "ui/MainWin32.h"

#include <algorithm>

#include "app/Application.h"
#include "resource.h"
#include "ui/Commands.h"
#include "win32/MessageLoopWin32.h"

namespace lumivane {

static_assert(CMD_SCREENSAVER == static_cast<int>(TCommandId::actScreenSaver));
static_assert(CMD_SHOW == static_cast<int>(TCommandId::mnShowP));
static_assert(CMD_EXIT == static_cast<int>(TCommandId::actExit));
static_assert(CMD_12HOURS == static_cast<int>(TCommandId::act12Hours));
static_assert(CMD_12HOURS - CMD_HALFHOUR + 1 == std::size(kDeactivateForTags));

namespace {

// Layout at 96 pixels per inch.
constexpr int kClientWidth = 632, kClientHeight = 318;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
struct TGroupLayout {
    const wchar_t* Caption;
    int Left;
    const wchar_t* Active0;
    const wchar_t* Timeout0;
};
constexpr TGroupLayout kGroups[] = {
    {L"Screen saver", 6, L"Screen saver active:", L"Screen saver timeout:"},
    {L"Monitor power off", 318, L"Monitor power off active:", L"Monitor power off timeout:"},
};
constexpr int kGroupTop = 52, kGroupWidth = 308, kGroupHeight = 150;
// Inside a group. The state row has room for two lines: a running period's
// "Deactivated until" and its end time need more width than a half-window
// group has in some locales, and then wrap rather than lose the time.
constexpr int kRowTop[] = {22, 50};
constexpr int kRowLines[] = {2, 1};
constexpr int kCaptionLeft = 7, kValueGap = 3, kValueRightMargin = 2;
constexpr int kRowHeight = 14;

}  // namespace

TfMain_lumivane::TfMain_lumivane(std::function<void()> onActivation)
    : FOnActivation(std::move(onActivation)),
      FShell(CurrentNotifyIconLayout(), [this] { return Handle(); }, [this] { ProcessMessages(); }),
      FNotifyIcon(FShell, CurrentNotifyIconLayout()),
      FConfig({FSpi, FOptions, FTimers, FClock, FStatus, *this}),
      FStatus(FSpi, FConfig, FNotifyIcon, *this, *this),
      FCommands(TDisplayCommandsDeps{FSpi, FRequests, FDialog, FStarter, FOptions, FStatus, FTimers},
                FConfig) {}

TfMain_lumivane::~TfMain_lumivane() {
    // The window goes first, while everything its handlers use still exists.
    DestroyHandle();
}

bool TfMain_lumivane::Create(const std::wstring& title) {
    static const ATOM atom = RegisterClass(
        kMainWindowClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)));
    (void)atom;
    // No owner: the main window has its own taskbar button while visible.
    if (!CreateHandle(0, kMainWindowClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      kClientWidth, kClientHeight, nullptr))
        return false;
    FDpi = SetClientSizeCentred(Handle(), kClientWidth, kClientHeight);
    FTimers.Attach(Handle());
    CreateNotifyIcon();
    FormCreate(title);
    return true;
}

void TfMain_lumivane::CreateControls() {
    if (FStatusLabels[0]) return;
    FFont.Reset(CreateTahomaFont(FDpi));
    FBoldFont.Reset(CreateTahomaFont(FDpi, FW_BOLD));
    // Positions and sizes in pixels of this window's DPI.
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                     int h, HFONT f) {
        HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 Handle(), nullptr, ModuleInstance(), nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        return c;
    };
    HDC dc = GetDC(Handle());
    HGDIOBJ oldFont = SelectObject(dc, FFont.Get());
    auto textWidth = [&](const wchar_t* text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        return static_cast<int>(size.cx);
    };
    for (size_t g = 0; g < std::size(kGroups); ++g) {
        const TGroupLayout& group = kGroups[g];
        child(L"BUTTON", group.Caption, BS_GROUPBOX, Scale(group.Left), Scale(kGroupTop),
              Scale(kGroupWidth), Scale(kGroupHeight), FFont.Get());
        const wchar_t* captions[] = {group.Active0, group.Timeout0};
        // The values start right after the longer caption, so that the longest
        // status ("Deactivated until" and a time) has all the room there is.
        const int captionLeft = Scale(group.Left + kCaptionLeft);
        const int captionWidth = std::max(textWidth(captions[0]), textWidth(captions[1]));
        const int valueLeft = captionLeft + captionWidth + Scale(kValueGap);
        const int valueWidth = Scale(group.Left + kGroupWidth - kValueRightMargin) - valueLeft;
        for (int row = 0; row < 2; ++row) {
            const int top = Scale(kGroupTop + kRowTop[row]);
            child(L"STATIC", captions[row], SS_LEFT | SS_NOPREFIX, captionLeft, top, captionWidth,
                  Scale(kRowHeight), FFont.Get());
            FStatusLabels[g * 2 + row] = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, valueLeft,
                                               top, valueWidth, Scale(kRowHeight * kRowLines[row]),
                                               FBoldFont.Get());
        }
    }
    SelectObject(dc, oldFont);
    ReleaseDC(Handle(), dc);
}

void TfMain_lumivane::CreateNotifyIcon() {
    FStateIcons = std::make_unique<TStateIconsWin32>(FDpi);
    FNotifyMenu.Reset(LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(IDM_NOTIFYMENU)));
    HMENU popup = GetSubMenu(FNotifyMenu.Get(), 0);
    SetMenuDefaultItem(popup, CMD_SHOW, FALSE);  // drawn bold
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, FDpi);
    FDefaultIcon.Reset(static_cast<HICON>(
        LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0)));
    // As the window is built: the icon is visible from the start and shows
    // up, with the window's own picture, once everything is in place.
    FNotifyIcon.BeginLoading();
    FMsgWindow.Create(Handle());
    FNotifyIcon.SetVisible(true);
    FNotifyIcon.SetIcon(reinterpret_cast<THandle>(FDefaultIcon.Get()));
    FNotifyIcon.PopupMenu = reinterpret_cast<THandle>(popup);
    FNotifyIcon.RightClickBeepOnNoMenu = true;
    FNotifyIcon.Loaded();
}

void TfMain_lumivane::FormCreate(const std::wstring& title) {
    FConfig.FormCreate();
    SetWindowTextW(Handle(), title.c_str());
    if (!FStatus.FHighColorIcon && VisualStylesAvailable()) FStatus.FHighColorIcon = true;
    FStatus.UpdateStatus();
}

void TfMain_lumivane::FormDestroy() { FConfig.FormDestroy(); }

void TfMain_lumivane::ShowStatus(const TStatusTexts& status) {
    FShownStatus = status;
    if (!FStatusLabels[0]) return;  // the controls come with the first showing
    const std::wstring* texts[] = {&status.ScreenSaverActive, &status.ScreenSaverTimeout,
                                   &status.PowerOffActive, &status.PowerOffTimeout};
    for (int i = 0; i < 4; ++i) {
        // A time that does not fit wraps as a whole: "Deactivated until" on
        // the first line, the time on the second.
        std::wstring text = *texts[i];
        if (const size_t until = text.find(L"until "); until != std::wstring::npos)
            std::replace(text.begin() + static_cast<std::ptrdiff_t>(until + 6), text.end(), L' ',
                         L'\u00A0');
        // Unchanged text is not set again: no repaint twice a second.
        if (WindowText(FStatusLabels[i]) != text) SetWindowTextW(FStatusLabels[i], text.c_str());
    }
}

void TfMain_lumivane::ProcessMessages() {
    // A quit request read here stays for the main message loop.
    if (const auto quit = DispatchPendingMessages()) PostQuitMessage(*quit);
}

THandle TfMain_lumivane::StateIcon(int index) {
    return FStateIcons ? FStateIcons->StateIcon(index) : 0;
}

void TfMain_lumivane::mnShowPClick() {
    if (!IsWindowVisible(Handle())) {
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
    }
}

bool TfMain_lumivane::ExecuteCommand(WORD id) {
    if (id >= CMD_HALFHOUR && id <= CMD_12HOURS) {
        FConfig.actDeactivateForExecute(kDeactivateForTags[id - CMD_HALFHOUR]);
        return true;
    }
    switch (static_cast<TCommandId>(id)) {
    case TCommandId::actScreenSaver: FCommands.actScreenSaverExecute(); return true;
    case TCommandId::actPowerOff: FCommands.actPowerOffExecute(); return true;
    case TCommandId::actDisplayProperties: FCommands.actDisplayPropertiesExecute(); return true;
    case TCommandId::actActivate: FConfig.actActivateExecute(); return true;
    case TCommandId::actDeactivate: FConfig.actDeactivateExecute(); return true;
    case TCommandId::actRestoreConfiguration: FConfig.actRestoreConfigurationExecute(); return true;
    case TCommandId::actExit: PostQuitMessage(0); return true;
    case TCommandId::mnShowP: mnShowPClick(); return true;
    default: return false;
    }
}

LRESULT TfMain_lumivane::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (ExecuteCommand(LOWORD(wParam))) return 0;
        break;
    case WM_SHOWWINDOW:
        // The controls, and the common-controls library their visual style
        // needs, cost time and memory that a start in the notification area
        // (at logon, or for a command-line command) never uses.
        if (wParam) {
            CreateControls();
            ShowStatus(FShownStatus);
        }
        break;
    case WM_TIMER:
        if (FTimers.Dispatch(wParam)) return 0;
        break;
    case WM_DESTROY:
        FormDestroy();
        // Being the main window, its end is the program's end.
        PostQuitMessage(0);
        return 0;
    default:
        // A registered message has no constant to switch on.
        if (msg == ActivationMessage() && msg != 0) {
            if (FOnActivation) FOnActivation();
            return 0;
        }
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace lumivane
