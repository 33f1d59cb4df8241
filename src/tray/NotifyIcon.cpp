#include "tray/NotifyIcon.h"

namespace lumivane {

TNotifyIconLayout NotifyIconLayoutFor(uint32_t major, uint32_t minor) {
    if (major < 5) return TNotifyIconLayout::V1;
    if (major == 5 && minor == 0) return TNotifyIconLayout::V2;
    return TNotifyIconLayout::V3;
}

size_t ToolTipLimit(TNotifyIconLayout layout) {
    return layout == TNotifyIconLayout::V1 ? 63 : 127;
}

TNotifyIcon::TNotifyIcon(INotifyIconShell& shell, TNotifyIconLayout layout)
    : FShell(shell), FLayout(layout) {}

TNotifyIcon::~TNotifyIcon() {
    if (FVisible) DeleteIcon();
    if (FIcon) FShell.DestroyIcon(FIcon);
}

void TNotifyIcon::SetVisible(bool value) {
    if (FLoading) {
        FVisible = value;
        return;
    }
    if (value == FVisible) return;
    if (value)
        AddIcon();
    else
        DeleteIcon();
    FVisible = value;  // whatever the shell answered
}

void TNotifyIcon::Loaded() {
    FLoading = false;
    if (FVisible) AddIcon();
}

void TNotifyIcon::SetIcon(THandle icon) {
    if (FIcon) FShell.DestroyIcon(FIcon);
    FIcon = icon ? FShell.CopyIcon(icon) : 0;
    if (FVisible && !FLoading) ModifyIcon();
}

void TNotifyIcon::SetToolTip(const std::wstring& text) {
    FToolTip = text;
    if (FVisible && !FLoading) ModifyIcon();
}

void TNotifyIcon::Readd() {
    if (FVisible && !FLoading) AddIcon();
}

void TNotifyIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!FVisible || FLoading) return;
    FRecord.Info = text;
    FRecord.InfoTitle = title;
    FRecord.InfoFlags = kNiifInfo;
    Send(TNotifyIconMessage::Modify, kNifInfo);
    FRecord.Info.clear();
    FRecord.InfoTitle.clear();
}

std::wstring TNotifyIcon::ClipToolTip(const std::wstring& text) const {
    return text.substr(0, ToolTipLimit(FLayout));
}

bool TNotifyIcon::Send(TNotifyIconMessage message, uint32_t flags) {
    FRecord.Flags = flags;
    FRecord.Icon = FIcon;
    FRecord.Tip = ClipToolTip(FToolTip);
    return FShell.NotifyIcon(message, FRecord);
}

bool TNotifyIcon::AddIcon() {
    return Send(TNotifyIconMessage::Add, kNifMessage | kNifIcon | kNifTip);
}

// The callback message is announced only by the add.
bool TNotifyIcon::ModifyIcon() { return Send(TNotifyIconMessage::Modify, kNifIcon | kNifTip); }

bool TNotifyIcon::DeleteIcon() { return FShell.NotifyIcon(TNotifyIconMessage::Delete, FRecord); }

void TNotifyIcon::ChangeWnd(THandle handle) {
    if (FVisible && !FLoading) DeleteIcon();  // the record still names the old window
    FRecord.Wnd = handle;
    if (FVisible && !FLoading) AddIcon();
}

bool TNotifyIcon::HandleCallback(uint32_t lParam) {
    const TNotifyEvent* event = nullptr;
    switch (lParam) {
    case notify::kMouseMove: event = &OnMouseMove; break;
    case notify::kLButtonDown: event = &OnClick; break;
    case notify::kLButtonDblClk: event = &OnDblClick; break;
    case notify::kRButtonUp: DoRightClick(); return true;
    case notify::kBalloonShow: event = &OnBalloonShow; break;
    case notify::kBalloonHide: event = &OnBalloonHide; break;
    case notify::kBalloonTimeout: event = &OnBalloonTimeout; break;
    case notify::kBalloonUserClick: event = &OnBalloonClick; break;
    default: return false;
    }
    if (*event) (*event)(this);  // an unassigned event drops the notification
    return true;
}

void TNotifyIcon::DoRightClick() {
    int x = 0, y = 0;
    FShell.GetCursorPos(x, y);
    if (OnRightClick) OnRightClick(this);
    if (PopupMenu) {
        // In the foreground the menu closes when the user clicks elsewhere.
        FShell.SetForegroundWindow(FRecord.Wnd);
        FShell.ProcessMessages();
        FShell.TrackPopupMenu(PopupMenu, x, y);
    } else if (RightClickBeepOnNoMenu) {
        FShell.MessageBeep();
    }
}

}  // namespace lumivane
