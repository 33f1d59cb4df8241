#include "ui/ToolBarWin32.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/CommandIds.h"
#include "sources/Policies.h"
#include "options/OptionControls.h"
#include "win32/Window.h"

namespace lumivane {

bool TToolBarWin32::Create(HWND parent, UINT dpi, HFONT font, TCommandImagesWin32& images, UINT hidePause) {
    // Edges drawn at the top (the divider) and at the bottom (the border of
    // the band); the bar sizes itself to its content.
    FCoolBar = CreateWindowExW(0, REBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_AUTOSIZE |
                                   RBS_BANDBORDERS | CCS_TOP,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(TControlId::CoolBar),
                               ModuleInstance(), nullptr);
    if (!FCoolBar) return false;
    FToolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                   CCS_NODIVIDER | CCS_NOPARENTALIGN,
                               0, 0, 0, 0, FCoolBar, reinterpret_cast<HMENU>(TControlId::ToolBar),
                               ModuleInstance(), nullptr);
    if (!FToolBar) return false;
    SendMessageW(FToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(FToolBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(FToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.ImageList()));
    std::vector<TBBUTTON> buttons;
    for (const TToolButtonDef& b : ToolBarButtons()) {
        TBBUTTON button{};
        if (b.Command == TCommandId::None) {
            button.iBitmap = kToolSeparatorWidth * static_cast<int>(dpi) / 96;
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = FindCommand(b.Command)->Image - 1;
            button.idCommand = static_cast<int>(b.Command);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
            button.iString = reinterpret_cast<INT_PTR>(b.Caption);
        }
        buttons.push_back(button);
    }
    SendMessageW(FToolBar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    if (HWND tip = reinterpret_cast<HWND>(SendMessageW(FToolBar, TB_GETTOOLTIPS, 0, 0)))
        SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, static_cast<LPARAM>(hidePause));
    SizeButtons(dpi);
    const std::vector<TCommandId> refused = FRefused;
    ShowRefused(refused);

    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE;
    band.fStyle = RBBS_NOGRIPPER | RBBS_CHILDEDGE;
    band.hwndChild = FToolBar;
    SendMessageW(FCoolBar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    UpdateBand();
    return true;
}

void TToolBarWin32::SizeButtons(UINT dpi) {
    const int minWidth = kToolButtonMinWidth * static_cast<int>(dpi) / 96;
    const int minHeight = kToolButtonMinHeight * static_cast<int>(dpi) / 96;
    // The captions decide the width, but never below the minimum.
    SendMessageW(FToolBar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(minWidth, minWidth * 3));
    SendMessageW(FToolBar, TB_AUTOSIZE, 0, 0);
    const DWORD size = static_cast<DWORD>(SendMessageW(FToolBar, TB_GETBUTTONSIZE, 0, 0));
    const int width = std::max<int>(LOWORD(size), minWidth), height = std::max<int>(HIWORD(size), minHeight);
    SendMessageW(FToolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
}

void TToolBarWin32::UpdateBand() {
    SIZE ideal{};
    SendMessageW(FToolBar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    const DWORD size = static_cast<DWORD>(SendMessageW(FToolBar, TB_GETBUTTONSIZE, 0, 0));
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILDSIZE;
    band.cxMinChild = static_cast<UINT>(ideal.cx);
    band.cyMinChild = HIWORD(size);
    SendMessageW(FCoolBar, RB_SETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    // A cool bar sizes itself against its parent's width on this message.
    SendMessageW(FCoolBar, WM_SIZE, 0, 0);
}

void TToolBarWin32::Rescale(UINT dpi, HFONT font, TCommandImagesWin32& images) {
    if (!FToolBar) return;
    SendMessageW(FToolBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(FToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.ImageList()));
    // Separators keep their width in the image index field.
    const int count = static_cast<int>(SendMessageW(FToolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(FToolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (!(button.fsStyle & BTNS_SEP)) continue;
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_BYINDEX | TBIF_SIZE;
        info.cx = static_cast<WORD>(kToolSeparatorWidth * static_cast<int>(dpi) / 96);
        SendMessageW(FToolBar, TB_SETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
    }
    SizeButtons(dpi);
    UpdateBand();
}

int TToolBarWin32::Height() const {
    if (!FCoolBar) return 0;
    RECT r{};
    GetWindowRect(FCoolBar, &r);
    return r.bottom - r.top;
}

void TToolBarWin32::ShowRefused(std::span<const TCommandId> refused) {
    FRefused.assign(refused.begin(), refused.end());
    if (!FToolBar) return;
    for (const TToolButtonDef& b : ToolBarButtons())
        if (b.Command != TCommandId::None)
            SendMessageW(FToolBar, TB_ENABLEBUTTON, static_cast<WPARAM>(b.Command),
                         std::find(refused.begin(), refused.end(), b.Command) == refused.end());
}

bool TToolBarWin32::HandleNotify(NMHDR* header) {
    if (header->code != TTN_GETDISPINFOW) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    const TCommandDef* command = FindCommand(static_cast<TCommandId>(header->idFrom));
    if (!command || !command->Hint) return false;
    const bool refused = std::find(FRefused.begin(), FRefused.end(), command->Id) != FRefused.end();
    info->lpszText = const_cast<wchar_t*>(refused ? kSetByAdministrator : command->Hint);
    return true;
}

}  // namespace lumivane
