#pragma once
// One way to route a message, for every loop of the program: the main loop,
// the modal dialogs and the nested pumps. A window that asks for it
// (TWindow::SetKeyboard) gets its accelerators and dialog-style keyboard
// navigation (Tab, mnemonics, Enter, Escape) wherever its messages are read.
#include <windows.h>

#include <optional>

#include "win32/Window.h"

namespace lumivane {

// Translates and dispatches one message read from the queue.
void RouteMessage(MSG& msg);

// Dispatches every waiting message. A quit request read on the way is
// returned (its exit code) and the messages behind it are still handled.
std::optional<int> DispatchPendingMessages();

// Runs the loop of a modal window until `closed` is set: the thread's other
// windows are disabled and the window gets keyboard navigation meanwhile,
// unless it handles its keys already. A
// request to end the program ends it too and is kept for the main loop.
void RunModalLoop(TWindow& modal, const bool& closed);

// The messages of a modal window whose one button, OK, is both the default
// (Enter) and the cancel (Escape) button: OK, Escape and the close box end it.
// Empty for a message it leaves to the window.
std::optional<LRESULT> HandleOkDialogMessage(UINT msg, WPARAM wParam, bool& closed);

// While it exists, the thread's other visible top-level windows are disabled,
// as a modal window needs; they are enabled again when it goes.
class TModalScope {
public:
    explicit TModalScope(HWND modal);
    ~TModalScope();
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self);
    HWND FModal;
    HWND FDisabled[16] = {};
    int FCount = 0;
};

}  // namespace lumivane
