#pragma once
// The notification icon's platform side: the shell call, icon copies, the
// popup menu, and TMsgWindow, the window the shell sends its notifications to.
#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "tray/NotifyIcon.h"
#include "win32/SystemLibrariesWin32.h"
#include "win32/Window.h"

namespace lumivane {

// Layout of the record by the running system's version.
TNotifyIconLayout CurrentNotifyIconLayout();

class TNotifyIconShellWin32 final : public INotifyIconShell {
public:
    // The shell's own call; a test puts in one that sees the record the shell
    // gets, which no other process can read back.
    using TShellCall = std::function<BOOL(DWORD, NOTIFYICONDATAW*)>;
    // menuOwner receives the WM_COMMAND of the chosen menu item; pump handles
    // the waiting messages before the menu opens.
    TNotifyIconShellWin32(TNotifyIconLayout layout, std::function<HWND()> menuOwner,
                          std::function<void()> pump, TShellCall shellCall = late::Shell_NotifyIconW)
        : FLayout(layout), FMenuOwner(std::move(menuOwner)), FPump(std::move(pump)),
          FShellCall(std::move(shellCall)) {}

    bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconRecord& record) override;
    THandle CopyIcon(THandle icon) override;
    void DestroyIcon(THandle icon) override;
    void GetCursorPos(int& x, int& y) override;
    void SetForegroundWindow(THandle window) override;
    void ProcessMessages() override { FPump(); }
    TMenuEnd TrackPopupMenu(THandle menu, int x, int y) override;
    void MessageBeep() override { ::MessageBeep(0); }

    // Icons this seam made and destroyed: equal but for the one held.
    long IconsCreated() const { return FCreated; }
    long IconsDestroyed() const { return FDestroyed; }
    // Calls of each kind handed to the shell (add, modify, delete, focus, version).
    long Calls(TNotifyIconMessage message) const { return FCalls[static_cast<size_t>(message)]; }
    // The text of the last balloon handed to the shell.
    const std::wstring& LastBalloon() const { return FLastBalloon; }
    // Menus opened and closed again, and how the last one ended.
    long MenusEnded() const { return FMenusEnded; }
    TMenuEnd LastMenuEnd() const { return FLastMenuEnd; }

private:
    TNotifyIconLayout FLayout;
    std::function<HWND()> FMenuOwner;
    std::function<void()> FPump;
    TShellCall FShellCall;
    long FCreated = 0, FDestroyed = 0;
    std::wstring FLastBalloon;
    long FCalls[5] = {};
    long FMenusEnded = 0;
    TMenuEnd FLastMenuEnd = TMenuEnd::Dismissed;
};

// A child window of no size that receives the icon's callback message.
class TMsgWindow final : public TWindow {
public:
    explicit TMsgWindow(TNotifyIcon& icon) : FIcon(icon) {}
    bool Create(HWND parent);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TNotifyIcon& FIcon;
};

}  // namespace lumivane
