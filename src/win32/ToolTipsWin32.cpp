#include "win32/ToolTipsWin32.h"

#include <commctrl.h>

#include "win32/Window.h"

namespace lumivane {

namespace {
// Wide enough for the longest hint line; the tooltip breaks lines only when
// it has a maximum width.
constexpr int kMaxTipWidth = 800;

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring result;
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) result += L'\n';
    }
    return result;
}
}  // namespace

void TToolTipsWin32::Destroy() {
    if (FTip) DestroyWindow(FTip);
    FTip = nullptr;
    FTools.clear();
}

bool TToolTipsWin32::Create(HWND owner, UINT hidePause) {
    FOwner = owner;
    FTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           ModuleInstance(), nullptr);
    if (!FTip) return false;
    SendMessageW(FTip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(FTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, static_cast<LPARAM>(hidePause));
    return true;
}

void TToolTipsWin32::AddTools(TTool& tool) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = FOwner;
    ti.lpszText = tool.Text.data();
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.uId = reinterpret_cast<UINT_PTR>(tool.Control);
    SendMessageW(FTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    // The owner gets the mouse over a disabled child: the same hint there.
    ti.uFlags = TTF_SUBCLASS;
    ti.uId = tool.AreaId;
    GetWindowRect(tool.Control, &ti.rect);
    MapWindowPoints(nullptr, FOwner, reinterpret_cast<POINT*>(&ti.rect), 2);
    SendMessageW(FTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TToolTipsWin32::RemoveTools(const TTool& tool) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = FOwner;
    ti.uId = reinterpret_cast<UINT_PTR>(tool.Control);
    SendMessageW(FTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ti.uId = tool.AreaId;
    SendMessageW(FTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TToolTipsWin32::Add(HWND control, const std::wstring& hint) {
    if (!FTip || !control) return;
    FTools.push_back({control, WithCrLf(hint), FNextAreaId++});
    AddTools(FTools.back());
}

void TToolTipsWin32::Replace(HWND oldControl, HWND newControl) {
    for (TTool& tool : FTools)
        if (tool.Control == oldControl) {
            RemoveTools(tool);
            tool.Control = newControl;
            AddTools(tool);
        }
}

void TToolTipsWin32::SetHint(HWND control, const std::wstring& hint) {
    for (TTool& tool : FTools)
        if (tool.Control == control) {
            RemoveTools(tool);
            tool.Text = WithCrLf(hint);
            AddTools(tool);
        }
}

void TToolTipsWin32::ControlsMoved() {
    for (TTool& tool : FTools) {
        RemoveTools(tool);
        AddTools(tool);
    }
}

}  // namespace lumivane
