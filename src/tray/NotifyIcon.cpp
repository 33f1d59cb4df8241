#include "tray/NotifyIcon.h"

#include <algorithm>
#include <tuple>

namespace lumivane {

TNotifyIconLayout NotifyIconLayoutFor(uint32_t major, uint32_t minor) {
    if (major < 5) return TNotifyIconLayout::V1;
    if (major == 5 && minor == 0) return TNotifyIconLayout::V2;
    return TNotifyIconLayout::V3;
}

size_t ToolTipLimit(TNotifyIconLayout layout) {
    return layout == TNotifyIconLayout::V1 ? 63 : 127;
}

TMenuEnd MenuEndOf(bool chosen, TMenuInput lastInput) {
    if (chosen) return TMenuEnd::Chosen;
    return lastInput == TMenuInput::Escape ? TMenuEnd::Escaped : TMenuEnd::Dismissed;
}

TNotifyIcon::TNotifyIcon(INotifyIconShell& shell, TNotifyIconLayout layout)
    : FShell(shell), FLayout(layout) {}

TNotifyIcon::~TNotifyIcon() {
    if (FAdded) DeleteIcon();
    if (FIcon) FShell.DestroyIcon(FIcon);
}

void TNotifyIcon::SetRetryTimers(ITimerService& timers) {
    FRetry = std::make_unique<TTimer>(timers, kAddRetryFirstMs, false);
    FRetry->SetOnTimer([this](TTimer*) { RetryAdd(); });
}

void TNotifyIcon::RetryAdd() {
    FRetry->SetEnabled(false);
    if (!FVisible || FLoading || FAdded) return;
    FRetryInterval = std::min(FRetryInterval * 2, kAddRetryMaxMs);
    AddIcon();
}

void TNotifyIcon::SetVisible(bool value) {
    if (FLoading) {
        FVisible = value;
        return;
    }
    if (value == FVisible) return;
    FVisible = value;
    if (value)
        AddIcon();
    else if (FAdded)
        DeleteIcon();
}

void TNotifyIcon::Loaded() {
    FLoading = false;
    if (FVisible) AddIcon();
}

void TNotifyIcon::SetIcon(THandle icon) { SetIconAndToolTip(icon, FToolTip); }

void TNotifyIcon::SetToolTip(const std::wstring& text) {
    FToolTip = text;
    if (FAdded) ModifyIcon();
}

void TNotifyIcon::SetIconAndToolTip(THandle icon, const std::wstring& text) {
    if (FIcon) FShell.DestroyIcon(FIcon);
    FIcon = icon ? FShell.CopyIcon(icon) : 0;
    FToolTip = text;
    if (FAdded) ModifyIcon();
}

void TNotifyIcon::Readd() {
    if (FVisible && !FLoading) AddIcon();
}

void TNotifyIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!FVisible) return;
    FPendingBalloon = TBalloon{title, text};
    if (FAdded) SendBalloon();
}

void TNotifyIcon::SendBalloon() {
    FRecord.Info = FPendingBalloon->Text;
    FRecord.InfoTitle = FPendingBalloon->Title;
    FRecord.InfoFlags = kNiifInfo | kNiifRespectQuietTime;
    if (Send(TNotifyIconMessage::Modify, kNifInfo)) FPendingBalloon.reset();
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
    // The shell refuses to add an icon it still holds (a "TaskbarCreated"
    // that did not come from a restarted shell, say): a modify it takes
    // says the icon is there.
    FAdded = Send(TNotifyIconMessage::Add, kNifMessage | kNifIcon | kNifTip | kNifShowTip) ||
             Send(TNotifyIconMessage::Modify, kNifMessage | kNifIcon | kNifTip | kNifShowTip);
    if (FAdded) {
        // Asked after every add: the shell forgets it with the icon.
        FRecord.Version = kNotifyIconVersion4;
        FVersion4 = FShell.NotifyIcon(TNotifyIconMessage::SetVersion, FRecord);
        FRetryInterval = kAddRetryFirstMs;
        if (FRetry) FRetry->SetEnabled(false);
        if (FPendingBalloon) SendBalloon();
    } else if (FRetry && !FRetry->Enabled()) {
        FRetry->SetInterval(FRetryInterval);
        FRetry->SetEnabled(true);
    }
    return FAdded;
}

// The callback message is announced only by the add.
bool TNotifyIcon::ModifyIcon() { return Send(TNotifyIconMessage::Modify, kNifIcon | kNifTip | kNifShowTip); }

bool TNotifyIcon::DeleteIcon() {
    FAdded = false;
    if (FRetry) FRetry->SetEnabled(false);
    return FShell.NotifyIcon(TNotifyIconMessage::Delete, FRecord);
}

void TNotifyIcon::ChangeWnd(THandle handle) {
    if (FAdded) DeleteIcon();  // the record still names the old window
    FRecord.Wnd = handle;
    if (FVisible && !FLoading) AddIcon();
}

bool TNotifyIcon::HandleCallback(uintptr_t wParam, uintptr_t lParam) {
    // Version 4: the event in the low word (the icon's identifier above it),
    // the point it happened at in wParam.
    const uint32_t event = static_cast<uint32_t>(FVersion4 ? lParam & 0xFFFF : lParam);
    const TNotifyEvent* handler = nullptr;
    switch (event) {
    case notify::kMouseMove: handler = &OnMouseMove; break;
    case notify::kLButtonDown: handler = &OnClick; break;
    case notify::kLButtonDblClk: handler = &OnDblClick; break;
    case notify::kRButtonUp:
        if (FVersion4) return false;  // the context menu follows
        DoRightClick(std::nullopt);
        return true;
    case notify::kContextMenu:
        // From the mouse or the keyboard (Shift+F10, the menu key): at the
        // icon's place, which is not where the mouse pointer is.
        if (!FVersion4) return false;
        DoRightClick(std::pair{static_cast<int>(static_cast<int16_t>(wParam & 0xFFFF)),
                               static_cast<int>(static_cast<int16_t>((wParam >> 16) & 0xFFFF))});
        return true;
    case notify::kSelect:
        // Follows a left click whose press already raised OnClick.
        return FVersion4;
    case notify::kKeySelect:
        if (!FVersion4) return false;
        handler = &OnKeySelect;
        break;
    case notify::kBalloonShow: handler = &OnBalloonShow; break;
    case notify::kBalloonHide: handler = &OnBalloonHide; break;
    case notify::kBalloonTimeout: handler = &OnBalloonTimeout; break;
    case notify::kBalloonUserClick: handler = &OnBalloonClick; break;
    default: return false;
    }
    if (*handler) (*handler)(this);  // an unassigned event drops the notification
    return true;
}

void TNotifyIcon::DoRightClick(std::optional<std::pair<int, int>> at) {
    int x = 0, y = 0;
    if (at)
        std::tie(x, y) = *at;
    else
        FShell.GetCursorPos(x, y);
    if (OnRightClick) OnRightClick(this);
    if (PopupMenu) {
        // In the foreground the menu closes when the user clicks elsewhere.
        FShell.SetForegroundWindow(FRecord.Wnd);
        FShell.ProcessMessages();
        // Closed with Escape: the keyboard focus goes back to the
        // notification area, where the user opened the menu from.
        if (FShell.TrackPopupMenu(PopupMenu, x, y) == TMenuEnd::Escaped)
            FShell.NotifyIcon(TNotifyIconMessage::SetFocus, FRecord);
    } else if (RightClickBeepOnNoMenu) {
        FShell.MessageBeep();
    }
}

}  // namespace lumivane
