#include "ui/MainWin32.h"

#include "app/Application.h"
#include "resource.h"
#include "ui/Commands.h"

namespace lumivane {

TfMain_lumivane::TfMain_lumivane(std::function<void()> onActivation)
    : FOnActivation(std::move(onActivation)),
      FCommands(TDisplayCommandsDeps{FSpi, FRequests, FDialog, FStarter, FContinuousMode, *this,
                                     FTimers},
                FConfig) {}

bool TfMain_lumivane::Create(const std::wstring& title) {
    static const ATOM atom = RegisterClass(
        kMainWindowClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)));
    (void)atom;
    // No owner: the main window has its own taskbar button while visible.
    if (!CreateHandle(0, kMainWindowClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 480, 360, nullptr))
        return false;
    FTimers.Attach(Handle());
    FormCreate(title);
    return true;
}

void TfMain_lumivane::FormCreate(const std::wstring& title) {
    FConfig.FContinuousModeRunning = false;
    SetWindowTextW(Handle(), title.c_str());
    FConfig.CaptureInitialConfiguration();
    UpdateStatus();
}

void TfMain_lumivane::FormDestroy() {}

void TfMain_lumivane::mnShowPClick() {
    if (!IsWindowVisible(Handle())) {
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
    }
}

bool TfMain_lumivane::ExecuteCommand(WORD id) {
    switch (static_cast<TCommandId>(id)) {
    case TCommandId::actScreenSaver: FCommands.actScreenSaverExecute(); return true;
    case TCommandId::actPowerOff: FCommands.actPowerOffExecute(); return true;
    case TCommandId::actDisplayProperties: FCommands.actDisplayPropertiesExecute(); return true;
    }
    return false;
}

LRESULT TfMain_lumivane::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (ExecuteCommand(LOWORD(wParam))) return 0;
        break;
    case WM_TIMER:
        if (FTimers.Dispatch(wParam)) return 0;
        break;
    case WM_DESTROY:
        FormDestroy();
        // Being the main window, its end is the program's end.
        PostQuitMessage(0);
        return 0;
    default:
        // A registered message has no constant to switch on.
        if (msg == ActivationMessage() && msg != 0) {
            if (FOnActivation) FOnActivation();
            return 0;
        }
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace lumivane
