#pragma once
// The main window, class "TfMain_lumivane": owner of the program's state,
// timers and commands for the whole run.
#include <windows.h>

#include <functional>

#include "app/UsualFunctionsWin32.h"
#include "config/ManagedConfiguration.h"
#include "display/DisplayCommands.h"
#include "display/ScreenSaverWin32.h"
#include "display/SystemRequestsWin32.h"
#include "ui/ShowMsgWin32.h"
#include "win32/TimerServiceWin32.h"
#include "win32/Window.h"

namespace lumivane {

// Continuous-mode controls at their defaults: off, 3 seconds.
class TContinuousModeDefaults final : public IContinuousModeOptions {
public:
    bool ContinuousMode() const override { return false; }
    int32_t ContinuousModeDelay() const override { return 3; }
};

class TfMain_lumivane final : public TWindow, private IStatusRefresh {
public:
    // onActivation runs when a second instance asks this one to wake up.
    explicit TfMain_lumivane(std::function<void()> onActivation);
    bool Create(const std::wstring& title);

    TDisplayCommands& Commands() { return FCommands; }
    void SetNotifyIconVisible(bool visible) { FNotifyIconVisible = visible; }
    // The "S&how" item of the notification menu.
    void mnShowPClick();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate(const std::wstring& title);
    void FormDestroy();
    bool ExecuteCommand(WORD id);
    void UpdateStatus() override {}  // nothing shows the status yet

    std::function<void()> FOnActivation;
    TTimerServiceWin32 FTimers;
    TSystemParametersWin32 FSpi;
    TSystemRequestsWin32 FRequests;
    TProcessStarterWin32 FStarter;
    TMessageDialogWin32 FDialog;
    TContinuousModeDefaults FContinuousMode;
    TManagedConfiguration FConfig{FSpi};
    TDisplayCommands FCommands;
    bool FNotifyIconVisible = true;
};

}  // namespace lumivane
