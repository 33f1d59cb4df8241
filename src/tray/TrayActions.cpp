#include "tray/TrayActions.h"

#include <iterator>

namespace lumivane {

namespace {
using A = TCommandId;
// The notification menu's item for each double-click action; None for the toggle.
constexpr A kDefaultItems[] = {A::mnShowP, A::actScreenSaver, A::actPowerOff, A::actActivate, A::actDeactivate};
}  // namespace

TTrayActions::TTrayActions(const TTrayActionsDeps& deps)
    : FDeps(deps), FTimerSingleClick(deps.Timers, 0, false) {
    FTimerSingleClick.SetOnTimer([this](TTimer* t) { TimerSingleClickTimer(t); });
}

void TTrayActions::NotifyIconClick() {
    // Neither call restarts a timer that already runs: the action falls due
    // one double-click time after the first click of a burst.
    FTimerSingleClick.SetInterval(FDeps.Window.DoubleClickTime());
    FTimerSingleClick.SetEnabled(true);
}

void TTrayActions::NotifyIconDblClick() {
    FTimerSingleClick.SetEnabled(false);
    switch (static_cast<TTrayDoubleClickAction>(FDeps.Form.ItemIndex(TControlId::cmbTrayIconDoubleClick))) {
    case TTrayDoubleClickAction::tdShowWindow: Execute(A::mnShowP); break;
    case TTrayDoubleClickAction::tdLaunchScreenSaver: Execute(A::actScreenSaver); break;
    case TTrayDoubleClickAction::tdPowerOffMonitor: Execute(A::actPowerOff); break;
    case TTrayDoubleClickAction::tdActivate: Execute(A::actActivate); break;
    case TTrayDoubleClickAction::tdDeactivate: Execute(A::actDeactivate); break;
    case TTrayDoubleClickAction::tdToggle: Toggle(); break;
    default: break;  // no selection: nothing
    }
}

void TTrayActions::NotifyIconKeySelect() {
    if (FTimerSingleClick.Enabled())
        NotifyIconDblClick();
    else
        NotifyIconClick();
}

void TTrayActions::TimerSingleClickTimer(TTimer* sender) {
    // A double click already queued is handled first, and wins.
    FDeps.Pump.ProcessMessages();
    if (!FTimerSingleClick.Enabled()) return;
    // Off before the action: an action that runs a message loop (an error
    // box while saving) must not see this tick again.
    FTimerSingleClick.SetEnabled(false);
    switch (static_cast<TTrayClickAction>(FDeps.Form.ItemIndex(TControlId::cmbTrayIconClick))) {
    case TTrayClickAction::tcNone:
        if (FDeps.Window.MainWindowVisible()) FDeps.Window.BringMainWindowToFront();
        break;
    case TTrayClickAction::tcToggle: Toggle(); break;
    case TTrayClickAction::tcShowHideWindow:
        Execute(FDeps.Window.MainWindowVisible() ? A::mnClose : A::mnShowP);
        break;
    default: break;
    }
    (void)sender;
}

void TTrayActions::cmbTrayIconDoubleClickChange() {
    const int action = FDeps.Form.ItemIndex(TControlId::cmbTrayIconDoubleClick);
    FDeps.Window.SetNotifyMenuDefault(action >= 0 && action < static_cast<int>(std::size(kDefaultItems))
                                          ? kDefaultItems[action]
                                          : A::None);
}

void TTrayActions::Toggle() { Execute(FDeps.Config.FActivated ? A::actDeactivate : A::actActivate); }

}  // namespace lumivane
