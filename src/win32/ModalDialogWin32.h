#pragma once
// A small modal dialog of the program: a captioned, always-on-top window laid
// out at 96 DPI and scaled to its own, with the program's font and OK and
// Cancel at its bottom right. Enter is OK, Escape and the close box Cancel.
#include <windows.h>

#include "win32/AccessibleNamesWin32.h"
#include "win32/CommonControlsWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

class TModalDialogWin32 : public TWindow {
public:
    ~TModalDialogWin32() override {
        FNames.Clear();
        DestroyHandle();
    }

protected:
    // Registers the class once, makes the window with a client area of
    // width x height (96 DPI), centred, and its OK and Cancel buttons.
    bool Open(HWND owner, const wchar_t* className, const wchar_t* title, int width, int height);
    // Shows it with the focus on `focus` and runs until Close(); hides it.
    void RunModal(HWND focus);
    void Close() { FClosed = true; }
    // A control at the rectangle `r` of the 96-DPI layout.
    HWND Child(DWORD exStyle, const wchar_t* cls, const wchar_t* caption, DWORD style, RECT r, int id);
    // The name screen readers announce for a control without a label of its own.
    void Name(HWND control, const wchar_t* name) { FNames.Set(control, name); }
    // IDOK (Enter, OK) and IDCANCEL are the subclass's; WM_CLOSE is Cancel.
    virtual void Command(int id, int code) = 0;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TCommonControlsWin32 FControls;
    UINT FDpi = 96;
    bool FClosed = false;
    TUniqueHfont FFont;
    TAccessibleNamesWin32 FNames;
};

}  // namespace lumivane
