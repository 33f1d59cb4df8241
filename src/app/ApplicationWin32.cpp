#include "app/ApplicationWin32.h"

#include "base/BenchMarks.h"
#include "app/UsualFunctionsWin32.h"
#include "win32/MessageLoopWin32.h"
#include "win32/NamedObjectsWin32.h"
#include "win32/OleWin32.h"

namespace lumivane {

// OLE, not COM alone: the help viewer's browser control wants the clipboard
// and drag and drop. It is made where it is first needed (EnsureOle).
void TApplicationWin32::InitializeCom() { LUMIVANE_MARK("com"); }

void TApplicationWin32::UninitializeCom() { EndOle(); }

void TApplicationWin32::RegisterActivationMessage() { FActivationMessage = lumivane::RegisterActivationMessage(); }

bool TApplicationWin32::CreateInstanceMutex(const std::wstring& name) {
    bool existed = false;
    FInstanceMutex.Reset(CreateOwnMutex(name, true, existed));
    // Any other failure runs the program as the first instance.
    return existed;
}

bool TApplicationWin32::RunningCopyAbove() { return FindRunningCopy().Kind == TCopyChoice::TKind::Above; }

void TApplicationWin32::ActivatePreviousInstance(const std::wstring& /*className*/) {
    lumivane::ActivatePreviousInstance(FActivationMessage);
}

bool TApplicationWin32::CreateMainWindow(bool forCommandsOnly, bool windowFirst) {
    FMain = std::make_unique<TLumivaneWin32>([this] { OnActivationMessage(*this); });
    LUMIVANE_MARK("composed");
    if (FMain->Create(FTitle, forCommandsOnly, windowFirst)) return true;
    FMain.reset();
    return false;
}

void TApplicationWin32::SetNotifyIconVisible(bool visible) {
    if (FMain) FMain->NotifyIcon().SetVisible(visible);
}

void TApplicationWin32::ExecuteScreenSaver() {
    if (FMain) FMain->Commands().actScreenSaverExecute();
}

void TApplicationWin32::ExecutePowerOff() {
    if (FMain) FMain->Commands().actPowerOffExecute();
}

uint32_t TApplicationWin32::TimerPowerOffInterval() const {
    return FMain ? FMain->Commands().TimerPowerOff().Interval() : kTimerPowerOffInterval;
}

void TApplicationWin32::ProcessMessages() {
    // Remember a quit request read here; the message loop then ends at once.
    if (const auto quit = DispatchPendingMessages()) {
        FTerminated = true;
        FExitCode = *quit;
    }
}

void TApplicationWin32::RunMessageLoop(bool showMainWindow) {
    if (showMainWindow && FMain) {
        // The window of a run that is already ending is shown and gone
        // before anyone can see or use its controls: they are not made.
        if (FEndRequested) FMain->Main().ShowWithoutControls();
        ShowWindow(FMain->Main().Handle(), FShowCommand);
        // Painted now, before the icon's first call loads the shell's part.
        UpdateWindow(FMain->Main().Handle());
    }
    if (FMain) FMain->Main().AddNotifyIconAfterShow();
    LUMIVANE_MARK("showdone");
    MSG msg;
    bool quit = false;
    while (!FTerminated && !quit) {
        // The watched keys' events wake this thread as a message does.
        HANDLE events[TLumivaneWin32::kMaxWaitedEvents];
        const DWORD count = FMain ? static_cast<DWORD>(FMain->WaitedEvents(events)) : 0;
        const DWORD woken = MsgWaitForMultipleObjectsEx(count, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken < WAIT_OBJECT_0 + count) FMain->EventSignaled(events[woken - WAIT_OBJECT_0]);
        if (woken == WAIT_FAILED) WaitMessage();  // never a busy loop
        while (!FTerminated && !quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if ((quit = msg.message == WM_QUIT)) FExitCode = static_cast<int>(msg.wParam);
            else RouteMessage(msg);
        }
    }
    LUMIVANE_MARK("loopend");
}

void TApplicationWin32::ClickShow() {
    if (FMain) FMain->mnShowPClick();
}

void TApplicationWin32::BringMainWindowToFront() {
    if (FMain) SetForegroundWindow(FMain->Main().Handle());
}

}  // namespace lumivane
