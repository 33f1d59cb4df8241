#pragma once
// One icon with a tooltip in the notification area: keeps the shell's copy in
// step with its own properties and turns the shell's callbacks into events.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/IconState.h"
#include "base/Timer.h"

namespace lumivane {

enum class TNotifyIconMessage : uint32_t { Add = 0, Modify = 1, Delete = 2, SetFocus = 3, SetVersion = 4 };
// The callback layout asked for after every add: the event in the low word
// of lParam, the point it happened at in wParam, and keyboard events.
constexpr uint32_t kNotifyIconVersion4 = 4;

// Layout of the shell record the system reads, by Windows version.
enum class TNotifyIconLayout { V1, V2, V3 };  // 64-character tip; 128 and balloons; + GUID
TNotifyIconLayout NotifyIconLayoutFor(uint32_t major, uint32_t minor);
// Longest tooltip the layout holds, leaving room for the terminating NUL.
size_t ToolTipLimit(TNotifyIconLayout layout);

constexpr uint32_t kNotifyIconCallbackMessage = 0x0400 + 1;  // WM_USER + 1
constexpr uint32_t kNifMessage = 1, kNifIcon = 2, kNifTip = 4, kNifInfo = 0x10;
// With version 4 the shell shows the tooltip only when asked to.
constexpr uint32_t kNifShowTip = 0x80;
constexpr uint32_t kNiifInfo = 1;  // the balloon's information icon
// The balloon waits while the user does not want to be disturbed (the first
// hour after a new log-on, full-screen programs, focus assist).
constexpr uint32_t kNiifRespectQuietTime = 0x80;
// A refused add is tried again after this, then after twice as long, up to the limit.
constexpr uint32_t kAddRetryFirstMs = 500, kAddRetryMaxMs = 8000;

// The fields of the shell record this component fills.
struct TNotifyIconRecord {
    THandle Wnd = 0;
    uint32_t ID = 0;
    uint32_t Flags = 0;
    uint32_t CallbackMessage = kNotifyIconCallbackMessage;
    THandle Icon = 0;
    std::wstring Tip;
    std::wstring Info, InfoTitle;  // a balloon, with kNifInfo
    uint32_t InfoFlags = 0;
    uint32_t Version = 0;  // with SetVersion
};

// How the popup menu was closed.
enum class TMenuEnd { Chosen, Escaped, Dismissed };
// The last press (a key or a mouse button) the menu loop took while the menu was up.
enum class TMenuInput { None, Escape, Other };
// Escape closes the menu only where it is the last thing the loop took: in
// a submenu it closes just that one, and what ends the menu comes after.
// The key's state once the menu is gone says nothing: the key may be up by
// then, and the system may answer with the keyboard's state at that moment.
TMenuEnd MenuEndOf(bool chosen, TMenuInput lastInput);

// What the component needs from the shell and the window system.
class INotifyIconShell {
public:
    virtual ~INotifyIconShell() = default;
    virtual bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconRecord& record) = 0;
    virtual THandle CopyIcon(THandle icon) = 0;  // 0 copies to 0
    virtual void DestroyIcon(THandle icon) = 0;
    virtual void GetCursorPos(int& x, int& y) = 0;
    virtual void SetForegroundWindow(THandle window) = 0;
    virtual void ProcessMessages() = 0;
    // Opens the menu until an item is chosen (its command goes to the menu's
    // owner) or the menu is closed.
    virtual TMenuEnd TrackPopupMenu(THandle menu, int x, int y) = 0;
    virtual void MessageBeep() = 0;
};

// Notifications the shell sends in the callback message's lParam (in its
// low word with version 4).
namespace notify {
constexpr uint32_t kContextMenu = 0x007B, kMouseMove = 0x0200, kLButtonDown = 0x0201,
                   kLButtonDblClk = 0x0203, kRButtonUp = 0x0205, kSelect = 0x0400,
                   kKeySelect = 0x0401, kBalloonShow = 0x0402, kBalloonHide = 0x0403,
                   kBalloonTimeout = 0x0404, kBalloonUserClick = 0x0405;
}

class TNotifyIcon final : public IIconState {
public:
    using TNotifyEvent = std::function<void(TNotifyIcon*)>;

    TNotifyIcon(INotifyIconShell& shell, TNotifyIconLayout layout);
    ~TNotifyIcon();
    TNotifyIcon(const TNotifyIcon&) = delete;
    TNotifyIcon& operator=(const TNotifyIcon&) = delete;

    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    void SetIcon(THandle icon);
    THandle Icon() const { return FIcon; }
    const std::wstring& ToolTip() const { return FToolTip; }
    void SetToolTip(const std::wstring& text);
    void SetIconAndToolTip(THandle icon, const std::wstring& text) override;
    // The notification area was made anew (the shell restarted): the icon
    // is added again with its current picture and tooltip.
    void Readd();
    // A balloon over the icon, once; kept until the icon is in the
    // notification area.
    void ShowBalloon(const std::wstring& title, const std::wstring& text);
    // At log-on the shell may refuse the add while it is still starting, and
    // may never announce itself when it is ready: a refused add is tried
    // again on these timers until it is taken.
    void SetRetryTimers(ITimerService& timers);
    // The shell holds the icon now.
    bool Added() const { return FAdded; }
    THandle PopupMenu = 0;
    bool RightClickBeepOnNoMenu = false;

    TNotifyEvent OnClick, OnRightClick, OnDblClick, OnMouseMove;
    // Space or Enter on the icon that has the keyboard focus.
    TNotifyEvent OnKeySelect;
    TNotifyEvent OnBalloonShow, OnBalloonHide, OnBalloonTimeout, OnBalloonClick;

    // While the owner is being set up, Visible is only recorded; Loaded adds
    // the icon then, with the picture and tooltip set by that time.
    void BeginLoading() { FLoading = true; }
    void Loaded();

    // The message sink's window was created (anew).
    void ChangeWnd(THandle handle);
    // Handles the callback message; false: pass it to the default procedure.
    bool HandleCallback(uintptr_t wParam, uintptr_t lParam);
    // The shell took version 4 at the last add.
    bool Version4() const { return FVersion4; }

    std::wstring ClipToolTip(const std::wstring& text) const;
    const TNotifyIconRecord& Record() const { return FRecord; }

private:
    bool AddIcon();
    bool ModifyIcon();
    bool DeleteIcon();
    bool Send(TNotifyIconMessage message, uint32_t flags);
    void DoRightClick(std::optional<std::pair<int, int>> at);
    void SendBalloon();
    void RetryAdd();

    INotifyIconShell& FShell;
    TNotifyIconLayout FLayout;
    TNotifyIconRecord FRecord;
    THandle FIcon = 0;  // our own copy
    std::wstring FToolTip;
    bool FVisible = false;
    bool FLoading = false;
    bool FAdded = false;
    bool FVersion4 = false;
    struct TBalloon {
        std::wstring Title, Text;
    };
    std::optional<TBalloon> FPendingBalloon;
    std::unique_ptr<TTimer> FRetry;
    uint32_t FRetryInterval = kAddRetryFirstMs;
};

}  // namespace lumivane
