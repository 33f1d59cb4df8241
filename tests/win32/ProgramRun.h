#pragma once
// One run of the program's window inside a test, ended as the program ends it.
#include <windows.h>

#include "Pump.h"
#include "app/CompositionWin32.h"

namespace lumivane::test {

inline bool QuitPosted() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// Ends a run of the program's window in this process as the program ends
// it; the end it asks for is not for the tests that follow.
inline void EndRun(TLumivaneWin32& lumivane) {
    lumivane.Main().Destroy();
    while (QuitPosted()) {
    }
}

// One run of the program's window in this process, ended as the program ends it.
struct TRun {
    TLumivaneWin32 Lumivane{nullptr};
    // shown: as at a start without -quiet; else hidden in the notification area.
    explicit TRun(bool shown = true) {
        EXPECT_TRUE(Lumivane.Create(L"Lumivane"));
        if (shown) ShowWindow(Main(), SW_SHOW);
        Pump();
    }
    ~TRun() { EndRun(Lumivane); }
    HWND Main() { return Lumivane.Main().Handle(); }
    HWND Ctl(TControlId id) { return Lumivane.Main().Control(id); }
    void Click(TControlId id) { SendMessageW(Ctl(id), BM_CLICK, 0, 0); }
    void Choose(TControlId list, int index) {
        SendMessageW(Ctl(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Ctl(list)));
    }
    bool Checked(TControlId id) { return SendMessageW(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

}  // namespace lumivane::test
