// tools/screenshots' hands inside the Wine prefix: it finds the program's
// windows, sends them the commands a user would give, and says where they
// are, so that the script can crop its pictures. Prints "x y width height".
//   screenshot_helper settings SS PO  the screen saver's flag, and the power plan's display time-out
//                                     (on: Windows' defaults; off: never) in the stand-in power
//                                     library, which Lumivane.exe loads from then on
//   screenshot_helper wait CLASS      waits for a visible window of CLASS, prints its place
//   screenshot_helper gone            waits until the main window is gone
//   screenshot_helper command NAME    show, about or automatic: the main window's command
//   screenshot_helper menu            opens the notification menu at the icon, prints its place
//   screenshot_helper icon            prints the notification icon's place (16 x 16)
//   screenshot_helper move X Y        moves the main window
//   screenshot_helper close           asks the program to end, as Exit does
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/StandInPower.h"
#include "base/CommandIds.h"

namespace {

constexpr wchar_t kMain[] = L"TfMain_lumivane";

HWND Visible(const wchar_t* cls) {
    for (HWND w = FindWindowW(cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

// A safety net only: the windows come within a second or two.
template <typename F>
bool Within30s(F done) {
    for (int i = 0; i < 300; ++i, Sleep(100))
        if (done()) return true;
    return false;
}

int Print(RECT r) {
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

int Place(HWND w) {
    if (!w) return 1;
    // Whatever it had to draw is drawn once it has answered.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    RECT r{};
    GetWindowRect(w, &r);
    return Print(r);
}

POINT IconPoint() {  // where the tests click it: the only icon, at the right end
    RECT tray{};
    GetWindowRect(FindWindowW(L"Shell_TrayWnd", nullptr), &tray);
    return {tray.right - 10, (tray.top + tray.bottom) / 2};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc > 1 ? argv[1] : L"";
    HWND main = FindWindowW(kMain, nullptr);
    if (what == L"settings" && argc > 3) {
        // Wine's own power library has no plans: the tests' stand-in, copied
        // beside this helper, holds one.
        using namespace lumivane::test;
        if (!InstallStandInPower()) return 1;
        SelectStandInPower(L"Lumivane.exe", true);
        ResetStandInPower();
        const bool powerOff = _wtoi(argv[3]) != 0;
        SetStandInPlan({powerOff ? kStandInDefaultAc : 0, powerOff ? kStandInDefaultDc : 0});
        // Wine keeps the flag in the X server's screen-saver time-out; the
        // question after the change makes the change reach the server
        // before this helper ends.
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, _wtoi(argv[2]), nullptr, SPIF_UPDATEINIFILE);
        BOOL active = FALSE;
        SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        return (active != FALSE) == (_wtoi(argv[2]) != 0) ? 0 : 1;
    }
    if (what == L"wait" && argc > 2) {
        HWND w = nullptr;
        Within30s([&] { return (w = Visible(argv[2])) != nullptr; });
        return Place(w);
    }
    if (what == L"gone") return Within30s([] { return !FindWindowW(kMain, nullptr); }) ? 0 : 1;
    if (!main) Within30s([&] { return (main = FindWindowW(kMain, nullptr)) != nullptr; });
    if (!main) return 1;
    if (what == L"command" && argc > 2) {
        using lumivane::TCommandId;
        const std::wstring name = argv[2];
        const TCommandId id = name == L"show"    ? TCommandId::mnShowP
                              : name == L"about" ? TCommandId::actAbout
                                                 : TCommandId::actAutomaticDeactivation;
        return PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(id), 0) ? 0 : 1;
    }
    if (what == L"close") return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
    if (what == L"move" && argc > 3)
        return SetWindowPos(main, nullptr, _wtoi(argv[2]), _wtoi(argv[3]), 0, 0, SWP_NOSIZE | SWP_NOZORDER) ? 0 : 1;
    const POINT icon = IconPoint();
    if (what == L"icon") return Print({icon.x - 8, icon.y - 8, icon.x + 8, icon.y + 8});
    if (what == L"menu") {
        // What the shell sends for a right click (the version-4 layout),
        // without moving the mouse pointer over a menu item.
        HWND sink = FindWindowExW(main, nullptr, L"TNotifyIconMsgWindow", nullptr);
        PostMessageW(sink, WM_USER + 1, MAKEWPARAM(icon.x, icon.y), MAKELPARAM(WM_CONTEXTMENU, 0));
        HWND menu = nullptr;
        Within30s([&] { return (menu = Visible(L"#32768")) != nullptr; });
        return Place(menu);
    }
    std::fprintf(stderr, "screenshot_helper: unknown command\n");
    return 2;
}
