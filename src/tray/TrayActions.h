#pragma once
// What a click and a double click on the notification icon do: the actions
// the two lists of the settings window name, a single click told apart from
// the first click of a double click, and the notification menu's default
// item following the double-click action.
#include <cstdint>

#include "base/Timer.h"
#include "commands/CommandDispatch.h"
#include "config/ManagedConfiguration.h"
#include "options/MainForm.h"

namespace lumivane {

enum class TTrayDoubleClickAction : int {
    tdShowWindow = 0,
    tdLaunchScreenSaver,
    tdPowerOffMonitor,
    tdActivate,
    tdDeactivate,
    tdToggle
};
enum class TTrayClickAction : int { tcNone = 0, tcToggle, tcShowHideWindow };

// The window side of the tray actions.
class ITrayWindow {
public:
    virtual ~ITrayWindow() = default;
    virtual bool MainWindowVisible() = 0;
    virtual void BringMainWindowToFront() = 0;
    virtual uint32_t DoubleClickTime() = 0;
    // The notification menu's default item; None: no item marked.
    virtual void SetNotifyMenuDefault(TCommandId item) = 0;
};

struct TTrayActionsDeps {
    TMainForm& Form;
    const TManagedConfiguration& Config;  // FActivated
    const TCommandDispatch& Dispatch;
    ITrayWindow& Window;
    IMessagePump& Pump;
    ITimerService& Timers;
};

class TTrayActions {
public:
    explicit TTrayActions(const TTrayActionsDeps& deps);

    void NotifyIconClick();
    void NotifyIconDblClick();
    // Space or Enter on the icon: a click, and a second one within the
    // double-click time a double click, as with the mouse.
    void NotifyIconKeySelect();
    void TimerSingleClickTimer(TTimer* sender);
    void cmbTrayIconDoubleClickChange();

    TTimer& TimerSingleClick() { return FTimerSingleClick; }

private:
    void Toggle();
    void Execute(TCommandId id) { FDeps.Dispatch.Execute(id); }
    TTrayActionsDeps FDeps;
    TTimer FTimerSingleClick;
};

}  // namespace lumivane
