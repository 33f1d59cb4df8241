#pragma once
// The main window, class "TfMain_lumivane": owner of the program's state,
// timers, commands, notification icon and status for the whole run.
#include <windows.h>

#include <functional>

#include "app/UsualFunctionsWin32.h"
#include "config/ManagedConfiguration.h"
#include "config/StatusPresentation.h"
#include "config/StatusWin32.h"
#include "display/DisplayCommands.h"
#include "display/ScreenSaverWin32.h"
#include "display/SystemRequestsWin32.h"
#include "tray/NotifyIcon.h"
#include "tray/NotifyIconWin32.h"
#include "ui/ShowMsgWin32.h"
#include "win32/TimerServiceWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

// The option controls at the settings window's defaults, until the window has
// them: continuous mode off with 3 seconds; both items managed, restore on exit.
class TOptionDefaults final : public IContinuousModeOptions, public IConfigurationOptions {
public:
    bool ContinuousMode() const override { return false; }
    int32_t ContinuousModeDelay() const override { return 3; }
    bool ManageScreenSaver() const override { return true; }
    bool ManagePowerOff() const override { return true; }
    bool UpdateSettings() const override { return false; }
    bool PreserveConfiguration() const override { return false; }
    bool RestoreConfiguration() const override { return true; }
};

class TfMain_lumivane final : public TWindow,
                              private IStatusView,
                              private IMessagePump,
                              private IStateIcons {
public:
    // onActivation runs when a second instance asks this one to wake up.
    explicit TfMain_lumivane(std::function<void()> onActivation);
    ~TfMain_lumivane() override;
    bool Create(const std::wstring& title);

    TDisplayCommands& Commands() { return FCommands; }
    TManagedConfiguration& Configuration() { return FConfig; }
    TNotifyIcon& NotifyIcon() { return FNotifyIcon; }
    TStatusPresenter& Status() { return FStatus; }
    TNotifyIconShellWin32& Shell() { return FShell; }
    TStateIconsWin32& StateIcons() { return *FStateIcons; }
    // The "S&how" item of the notification menu.
    void mnShowPClick();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateNotifyIcon();
    void FormCreate(const std::wstring& title);
    void FormDestroy();
    bool ExecuteCommand(WORD id);
    void ShowStatus(const TStatusTexts& status) override;
    void ProcessMessages() override;
    THandle StateIcon(int index) override;
    int Scale(int value) const { return MulDiv(value, static_cast<int>(FDpi), 96); }

    std::function<void()> FOnActivation;
    UINT FDpi = 96;
    TTimerServiceWin32 FTimers;
    TSystemParametersWin32 FSpi;
    TSystemRequestsWin32 FRequests;
    TProcessStarterWin32 FStarter;
    TMessageDialogWin32 FDialog;
    TOptionDefaults FOptions;
    TClockWin32 FClock;
    TNotifyIconShellWin32 FShell;
    TNotifyIcon FNotifyIcon;
    TMsgWindow FMsgWindow{FNotifyIcon};
    TManagedConfiguration FConfig;
    std::unique_ptr<TStateIconsWin32> FStateIcons;
    TStatusPresenter FStatus;
    TDisplayCommands FCommands;
    TUniqueHmenu FNotifyMenu;
    TUniqueHfont FFont, FBoldFont;
    TUniqueHicon FDefaultIcon;
    HWND FStatusLabels[4] = {};  // screen saver active, time-out; power off active, time-out
    TStatusTexts FShownStatus;  // the last status, for controls created later
};

}  // namespace lumivane
