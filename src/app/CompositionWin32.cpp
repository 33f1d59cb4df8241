#include "app/CompositionWin32.h"

#include "win32/MessageLoopWin32.h"

namespace lumivane {

TLumivaneWin32::TLumivaneWin32(std::function<void()> onActivation)
    : FOnActivation(std::move(onActivation)),
      FShell(CurrentNotifyIconLayout(), [this] { return FMain.Handle(); }, [this] { ProcessMessages(); }),
      FNotifyIcon(FShell, CurrentNotifyIconLayout()),
      // The status presenter is made last; the configuration and the commands
      // only keep a reference to it until the window's creation step.
      FConfig({FSpi, FForm, FTimers, FClock, FStatus, *this}),
      FCommands(TDisplayCommandsDeps{FSpi, FRequests, FDialog, FStarter, FForm, FStatus, FTimers}, FConfig),
      FDispatch(FConfig, FCommands, *this),
      FMain(TMainWindowDeps{FForm, FDispatch, *this, FNotifyIcon, FTimers}),
      FStatus(FSpi, FConfig, FNotifyIcon, FMain, FMain) {}

TLumivaneWin32::~TLumivaneWin32() {
    // The window goes while everything its handlers use still exists.
    FMain.Destroy();
}

bool TLumivaneWin32::Create(const std::wstring& title) { return FMain.Create(title); }

void TLumivaneWin32::FormCreate() {
    FConfig.FormCreate();
    if (!FStatus.FHighColorIcon && VisualStylesAvailable()) FStatus.FHighColorIcon = true;
    FStatus.UpdateStatus();
}

void TLumivaneWin32::FormDestroy() { FConfig.FormDestroy(); }

void TLumivaneWin32::ActivationRequested() {
    if (FOnActivation) FOnActivation();
}

void TLumivaneWin32::ProcessMessages() {
    // A quit request read here stays for the main message loop.
    if (const auto quit = DispatchPendingMessages()) PostQuitMessage(*quit);
}

void TLumivaneWin32::mnShowPClick() {
    HWND window = FMain.Handle();
    if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    }
}

// What closing does beyond the system's default comes with hiding to the
// notification area; for now the close command takes its default course.
void TLumivaneWin32::mnCloseClick() { SendMessageW(FMain.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }

void TLumivaneWin32::actExitExecute() { PostQuitMessage(0); }

// Saving the options comes with the options store; there is nothing to save yet.
void TLumivaneWin32::actSaveExecute() {}

// The help viewer and the about box come with their own windows.
void TLumivaneWin32::mnViewHelpClick() {}
void TLumivaneWin32::actAboutExecute() {}

}  // namespace lumivane
