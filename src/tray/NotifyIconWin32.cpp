#include "tray/NotifyIconWin32.h"

#include <optional>

namespace lumivane {

namespace {

HWND Hwnd(THandle h) { return reinterpret_cast<HWND>(h); }

// The size of the wide record in the layout the system reads, for this
// build's architecture: never a byte count written by hand.
DWORD RecordSize(TNotifyIconLayout layout) {
    switch (layout) {
    case TNotifyIconLayout::V1: return NOTIFYICONDATAW_V1_SIZE;
    case TNotifyIconLayout::V2: return NOTIFYICONDATAW_V2_SIZE;
    case TNotifyIconLayout::V3: break;
    }
    return NOTIFYICONDATAW_V3_SIZE;
}

}  // namespace

TNotifyIconLayout CurrentNotifyIconLayout() {
    // GetVersionEx answers what the manifest lets it; ask the kernel.
    using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        if (auto get = reinterpret_cast<TRtlGetVersion>(
                reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion"))))
            get(&info);
    }
    if (info.dwMajorVersion == 0) return TNotifyIconLayout::V3;
    return NotifyIconLayoutFor(info.dwMajorVersion, info.dwMinorVersion);
}

bool TNotifyIconShellWin32::NotifyIcon(TNotifyIconMessage message,
                                       const TNotifyIconRecord& record) {
    NOTIFYICONDATAW data{};
    data.cbSize = RecordSize(FLayout);
    data.hWnd = Hwnd(record.Wnd);
    data.uID = record.ID;
    data.uFlags = record.Flags;
    data.uCallbackMessage = record.CallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.Icon);
    const size_t room = FLayout == TNotifyIconLayout::V1 ? 64 : ARRAYSIZE(data.szTip);
    // The shell breaks a tooltip's line at a line feed; the program's texts
    // break theirs at a carriage return.
    std::wstring tip = record.Tip;
    for (wchar_t& c : tip)
        if (c == L'\r') c = L'\n';
    lstrcpynW(data.szTip, tip.c_str(), static_cast<int>(room));
    if ((record.Flags & kNifInfo) && FLayout != TNotifyIconLayout::V1) {
        lstrcpynW(data.szInfo, record.Info.c_str(), ARRAYSIZE(data.szInfo));
        lstrcpynW(data.szInfoTitle, record.InfoTitle.c_str(), ARRAYSIZE(data.szInfoTitle));
        data.dwInfoFlags = record.InfoFlags;
        FLastBalloon = record.Info;
    }
    if (message == TNotifyIconMessage::SetVersion) data.uVersion = record.Version;
    ++FCalls[static_cast<size_t>(message)];
    return FShellCall(static_cast<DWORD>(message), &data) != FALSE;
}

THandle TNotifyIconShellWin32::CopyIcon(THandle icon) {
    HICON copy = icon ? ::CopyIcon(reinterpret_cast<HICON>(icon)) : nullptr;
    if (copy) ++FCreated;
    return reinterpret_cast<THandle>(copy);
}

void TNotifyIconShellWin32::DestroyIcon(THandle icon) {
    if (icon && ::DestroyIcon(reinterpret_cast<HICON>(icon))) ++FDestroyed;
}

void TNotifyIconShellWin32::GetCursorPos(int& x, int& y) {
    POINT p{};
    ::GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

void TNotifyIconShellWin32::SetForegroundWindow(THandle window) {
    // The sink is a child window; the program comes forward through its
    // top-level window.
    ::SetForegroundWindow(GetAncestor(Hwnd(window), GA_ROOT));
}

namespace {

// Where the message filter writes while a menu of this thread is up.
thread_local TMenuInput* gMenuInput = nullptr;

std::optional<TMenuInput> PressOf(const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return msg.wParam == VK_ESCAPE ? TMenuInput::Escape : TMenuInput::Other;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN: case WM_NCXBUTTONDOWN:
        return TMenuInput::Other;
    default: return std::nullopt;
    }
}

// The menu loop hands each message it takes to this thread's message filter
// (Escape included, for which no WM_MENUCHAR comes). It may hand the same
// message more than once: only the last press counts.
LRESULT CALLBACK MenuFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU && gMenuInput && lParam)
        if (const auto press = PressOf(*reinterpret_cast<const MSG*>(lParam))) *gMenuInput = *press;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TMenuEnd TNotifyIconShellWin32::TrackPopupMenu(THandle menu, int x, int y) {
    HWND owner = FMenuOwner();
    TMenuInput last = TMenuInput::None;
    gMenuInput = &last;
    HHOOK filter = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
    const UINT chosen = ::TrackPopupMenu(reinterpret_cast<HMENU>(menu),
                                         TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0,
                                         owner, nullptr);
    if (filter) UnhookWindowsHookEx(filter);
    gMenuInput = nullptr;
    // As the menu itself would have: the command reaches the owner once
    // the menu is gone.
    if (chosen) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    FLastMenuEnd = MenuEndOf(chosen != 0, last);
    ++FMenusEnded;
    return FLastMenuEnd;
}

bool TMsgWindow::Create(HWND parent) {
    static const ATOM atom = RegisterClass(L"TNotifyIconMsgWindow", nullptr);
    (void)atom;
    if (!CreateHandle(0, L"TNotifyIconMsgWindow", L"", WS_CHILD, 0, 0, 0, 0, parent))
        return false;
    FIcon.ChangeWnd(reinterpret_cast<THandle>(Handle()));
    return true;
}

LRESULT TMsgWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kNotifyIconCallbackMessage &&
        FIcon.HandleCallback(static_cast<uintptr_t>(wParam), static_cast<uintptr_t>(lParam)))
        return 0;
    return TWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace lumivane
