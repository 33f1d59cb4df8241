#pragma once
// The main window, class "TfMain_lumivane": the settings window. It shows
// the form model's state in real controls, the status in its labels, and
// turns every message into one call on the model, the command dispatch or
// the composition's events. It decides nothing itself.
#include <windows.h>

#include <functional>
#include <memory>

#include "config/Arbiter.h"
#include "commands/CommandDispatch.h"
#include "status/StatusPresentation.h"
#include "status/StatusWin32.h"
#include "sources/TriggerWatchWin32.h"
#include "options/MainForm.h"
#include "tray/NotifyIconWin32.h"
#include "ui/CommandImagesWin32.h"
#include "ui/MainLayout.h"
#include "ui/NumberEditWin32.h"
#include "ui/ToolBarWin32.h"
#include "win32/AccessibleNamesWin32.h"
#include "win32/TimerServiceWin32.h"
#include "win32/ToolTipsWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

// What the window reports to its composition.
// The timer that gives the controls their accessible names after the first
// paint; far above the timer service's numbers, which count up from 1.
inline constexpr UINT_PTR kAccessibleNamesTimer = 0x4E41;
// Adds the notification icon of a start that shows the window first.
inline constexpr UINT kAddIconMessage = WM_APP + 0x50;

class IMainWindowEvents {
public:
    virtual ~IMainWindowEvents() = default;
    virtual void FormCreate() = 0;
    virtual void FormDestroy() = 0;
    // The window is about to become visible.
    virtual void FormShow() = 0;
    // The close command: the close box, Alt+F4, the window menu's Close.
    virtual void CloseCommand() = 0;
    // A close message sent straight to the window.
    virtual void CloseRequested() = 0;
    // The program became the active application.
    virtual void ApplicationActivate() = 0;
    // A second instance asked this one to wake up.
    virtual void ActivationRequested() = 0;
    // WM_HOTKEY: its lParam.
    virtual void HotKeyPressed(uint32_t lParam) = 0;
    // Windows ends the session: the process may be ended once this returns.
    virtual void SessionEnding() = 0;
    // The taskbar was made anew: the notification icon must be added again.
    virtual void TaskbarCreated() = 0;
    // The scale or the display changed: the icon's pictures are made anew.
    virtual void DisplayChanged() = 0;
    // A setting changed that the status shows: it is refreshed at once.
    virtual void SettingsChanged() = 0;
    // The desktop session was connected or disconnected, locally or remotely.
    virtual void SessionConnectionChanged() = 0;
    // The session was locked or unlocked.
    virtual void SessionLockChanged(bool locked) = 0;
    // WM_COPYDATA from another process of this session: its tag and bytes,
    // which the answer is about; 0 refuses them.
    virtual uintptr_t CopyDataReceived(uintptr_t tag, const void* data, size_t size) = 0;
    // A program the automatic deactivation waits for ended.
    virtual void ProgramEnded(uint32_t processId) = 0;
    // The computer went on mains power or on battery.
    virtual void PowerSourceChanged(bool onMains) = 0;
    // The clock or the time zone changed, or the computer woke.
    virtual void TimeChanged() = 0;
    // The battery's charge changed (%).
    virtual void BatteryChanged(uint32_t percent) = 0;
    // The computer is going to sleep or is back, or the display went off or on.
    virtual void PowerChanged(TPowerEvent event) = 0;
    // Something under the policies' keys changed.
    virtual void PoliciesChanged() = 0;
    // An app's record of the camera or the microphone changed.
    virtual void CallChanged() = 0;
};

struct TMainWindowDeps {
    TMainForm& Form;
    const TCommandDispatch& Dispatch;
    IMainWindowEvents& Events;
    TNotifyIcon& NotifyIcon;
    TTimerServiceWin32& Timers;
};

class TfMain_lumivane final : public TWindow, public IStatusView, public IStateIcons, private IFormView {
public:
    explicit TfMain_lumivane(const TMainWindowDeps& deps);
    ~TfMain_lumivane() override;
    // forCommandsOnly: a run that ends once its command-line commands are
    // done; it makes no menus, no notification icon and asks for no power or
    // session notifications, which nobody could see or use.
    // iconAfterShow: the icon goes to the shell only at AddNotifyIconAfterShow;
    // until then it keeps what it is given (state, tooltip, a balloon).
    bool Create(const std::wstring& title, bool forCommandsOnly = false, bool iconAfterShow = false);
    void AddNotifyIconAfterShow();
    // Destroys the window (its destruction steps run); the object stays.
    void Destroy() { DestroyHandle(); }

    UINT Dpi() const { return FDpi; }
    HWND Control(TControlId id) const;
    HMENU MainMenuHandle() const { return FMainMenu.Get(); }
    HMENU NotifyMenuHandle() const { return FNotifyMenu.Get(); }
    TStateIconsWin32& StateIcons() { return *FStateIcons; }
    TCommandImagesWin32& Images() { return *FImages; }
    // New state pictures at the small-icon size of the window's scale now.
    void RenewStateIcons();
    // The showings to come make no controls (a run that is ending).
    void ShowWithoutControls() { FWithoutControls = true; }
    HWND ToolTips() const { return FToolTips.Handle(); }
    // What an administrator decides: the refused commands greyed in both
    // menus and the tool bar, the start-up box's hint; kept for the
    // controls made later.
    void ShowRefused(std::vector<TCommandId> refused, bool startForced);

    // IStatusView, IStateIcons
    void ShowStatus(const TStatusTexts& status) override;
    THandle StateIcon(int index) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    class TMetrics;
    // MainControlsWin32.cpp: the controls, their layout and their state.
    void CreateControls();
    HWND CreateControl(const TControlDef& def, const TRect& r);
    void LayOut();
    void Rescale(UINT dpi, const RECT* suggested);
    void ControlCommand(TControlId id, WORD code, HWND control);
    void ShowChecked(TControlId id, bool checked) override;
    void ShowEnabled(TControlId id, bool enabled) override;
    void ShowHotKey(TControlId id, TShortCut value) override;
    void ShowHotKeyRules(TControlId id, THotKeyRules rules) override;
    void ShowItemIndex(TControlId id, int index) override;
    HWND& Slot(TControlId id);

    void CreateMenus();
    void ShowRefusedNow();
    void RegisterPowerNotifications();
    void UnregisterPowerNotifications();
    void CreateNotifyIcon();
    void ActivateChanged(bool active);
    int Scale(int value) const { return MulDiv(value, static_cast<int>(FDpi), 96); }

    TMainWindowDeps FDeps;
    UINT FDpi = 96;
    UINT FActivationMessage = 0;  // the wake-up message of a second start
    bool FWithoutControls = false;
    bool FIconAfterShow = false;  // the notification icon waits for the first showing
    TUniqueHfont FFont, FBoldFont;
    TUniqueHmenu FMainMenu, FNotifyMenu;
    TUniqueHicon FDefaultIcon;
    TUniqueHandle<HACCEL, TNullHandleTraits<HACCEL, DestroyAcceleratorTable>> FAccelerators;
    TCommonControlsWin32 FCommonControls;  // before the images that use it
    std::unique_ptr<TCommandImagesWin32> FImages;
    std::unique_ptr<TStateIconsWin32> FStateIcons;
    TMsgWindow FMsgWindow;
    TToolBarWin32 FToolBar;
    std::vector<TCommandId> FRefused;
    bool FStartForced = false;
    TToolTipsWin32 FToolTips;
    TNumberEditWin32 FDelayEdit;
    TAccessibleNamesWin32 FAccessibleNames;
    HWND FControls[static_cast<size_t>(TControlId::ToolBar) - static_cast<size_t>(TControlId::gbScreenSaver) + 1] = {};
    bool FControlsCreated = false;
    bool FMenuImagesSet = false;
    bool FSessionWatched = false;
    HANDLE FPowerNotifications[5] = {};  // display time-out, power source, active plan, battery charge, display state
    HWND FLastFocus = nullptr;  // the control to focus when the window is active again
    TStatusTexts FShownStatus;  // the last status, for controls created later
};

}  // namespace lumivane
