// Hiding to and showing from the notification area, the options read at the
// first showing, and real clicks on the notification icon.
#include <gtest/gtest.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "base/CommandIds.h"
#include "options/OptionControls.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

bool Checked(HWND main, TControlId id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(main, static_cast<int>(id)), BM_GETCHECK, 0, 0, SMTO_NORMAL, 2000, &state);
    return state == BST_CHECKED;
}

TEST(Tray, ASecondStartRestoresAMinimisedWindowAndBringsItForward) {
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    // As the caption's minimise button does.
    SendMessageTimeoutW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, 5000, nullptr);
    ASSERT_TRUE(PollUntil([&] { return IsIconic(main) != FALSE; }, 30s));
    ASSERT_TRUE(IsWindowVisible(main)) << "minimised, not hidden in the notification area";
    TLumivane second(L"");
    ASSERT_TRUE(second.Wait(10s).Ended);
    EXPECT_TRUE(PollUntil([&] { return !IsIconic(main); }, 30s)) << "still minimised";
    EXPECT_TRUE(PollUntil([&] { return GetForegroundWindow() == main; }, 30s)) << "not in front";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(lumivane.Wait(10s).Ended);
}

TEST(Tray, TheOptionsAreReadAgainAtTheFirstShowingOnly) {
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    StoreOption(L"Use continuous mode", 1);  // changed while the window was never shown
    TLumivane wake(L"");
    ASSERT_TRUE(wake.Wait(10s).Ended);
    ASSERT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s));
    lumivane.MainWindow(5s);
    EXPECT_TRUE(Checked(main, TControlId::cbContinuousMode)) << "read at the first showing";
    ShowWindowAsync(main, SW_HIDE);
    ASSERT_TRUE(PollUntil([&] { return !IsWindowVisible(main); }, 30s));
    StoreOption(L"Preserve current options", 1);
    TLumivane wakeAgain(L"");
    ASSERT_TRUE(wakeAgain.Wait(10s).Ended);
    ASSERT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s));
    lumivane.MainWindow(5s);
    EXPECT_FALSE(Checked(main, TControlId::cbPreserveConfiguration)) << "later showings read nothing";
}

TEST(Tray, TheStartUpEntryTheProgramWritesStartsItHidden) {
    {
        TLumivane lumivane(L"-quiet");
        HWND main = lumivane.MainWindow(10s);
        ASSERT_NE(main, nullptr);
        StoreOption(L"Start with Windows", 1);
        TLumivane wake(L"");  // the first showing reads the options again
        ASSERT_TRUE(wake.Wait(10s).Ended);
        ASSERT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s));
        PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actExit), 0);
        ASSERT_TRUE(lumivane.Wait(10s).Ended);
    }
    // What Windows runs at log-on.
    wchar_t entry[1024] = {};
    DWORD size = sizeof(entry);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Lumivane",
                           RRF_RT_REG_SZ, nullptr, entry, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(entry), L"\"" + LumivanePath() + L"\" -quiet");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, entry, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    // Ready, it answers from its message loop, which a shown window is shown before.
    HWND main = ReadyMainWindow(info.dwProcessId, false, 30s);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main)) << "started hidden in the notification area";
    EndProgram(info);
}

// That a double click never also runs the single click's action is
// TrayActionsTest's, on a fake clock.
TEST(Tray, RealClicksOnTheIconRunTheirActions) {
    TRecorder recorder;
    StoreOption(L"Tray icon option - single click", 2);  // show/hide the window
    StoreOption(L"Tray icon option", 1);                 // launch the screen saver
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    ASSERT_NE(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "a desktop with a taskbar";
    const auto wait = 30s;
    // A new click, not the second of a double click: the double-click time
    // since the last one is over. The single click's action waits that long
    // already, so this wait is nearly always over when it begins.
    TClock::time_point last{};
    const auto click = [&](int clicks) {
        PollUntil([&] { return TClock::now() > last + std::chrono::milliseconds(GetDoubleClickTime() + 50); }, wait);
        last = TClock::now();
        ClickAt(NotifyIconPoint(), clicks);
    };

    click(1);
    EXPECT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, wait)) << "a click shows the window";
    lumivane.MainWindow(wait);
    click(1);
    EXPECT_TRUE(PollUntil([&] { return !IsWindowVisible(main); }, wait)) << "and the next one hides it";

    recorder.Clear();
    click(2);
    EXPECT_FALSE(recorder.WaitFor(1, wait).empty()) << "a double click launches the screen saver";
}

// What the shell sends for the keyboard (Win+B, the arrows, then Space or
// the menu key), which Wine's notification area cannot give: the events in
// the version-4 layout, posted to the icon's message window.
TEST(Tray, KeyboardEventsSelectAndOpenTheMenuAtTheIconsPlace) {
    StoreOption(L"Tray icon option - single click", 2);  // show/hide the window
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    HWND sink = FindWindowExW(main, nullptr, L"TNotifyIconMsgWindow", nullptr);
    ASSERT_NE(sink, nullptr);
    const POINT icon = NotifyIconPoint();
    ClickAt({icon.x - 300, icon.y - 300}, 0);  // the mouse pointer somewhere else
    PostMessageW(sink, WM_USER + 1, MAKEWPARAM(icon.x, icon.y), MAKELPARAM(NIN_KEYSELECT, 0));
    EXPECT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s)) << "Space ran the click's action";
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::mnClose), 0);
    ASSERT_TRUE(PollUntil([&] { return !IsWindowVisible(main); }, 30s));
    PostMessageW(sink, WM_USER + 1, MAKEWPARAM(icon.x, icon.y), MAKELPARAM(WM_CONTEXTMENU, 0));
    HWND menu = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (menu = OpenMenuOf(lumivane.ProcessId())); }, 30s));
    RECT at{};
    GetWindowRect(menu, &at);
    EXPECT_TRUE(at.left <= icon.x && icon.x <= at.right) << at.left << ".." << at.right << " vs " << icon.x;
    PostMessageW(menu, WM_CHAR, L'x', 0);
    EXPECT_TRUE(lumivane.Wait(10s).Ended) << "its mnemonic chose Exit";
}

// A real right click opens the menu at the cursor; its pictures are blended
// onto the menu, not drawn as black squares; and a request to end while the
// menu is open closes it and ends the run.
TEST(Tray, ARealRightClickOpensTheMenuAtTheCursorInColourAndAnEndRequestClosesIt) {
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    const POINT icon = NotifyIconPoint();
    ClickAt(icon, 1, true);
    HWND menu = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (menu = OpenMenuOf(lumivane.ProcessId())); }, 30s));
    RECT r{};
    GetWindowRect(menu, &r);
    // At the cursor: pushed up and left only as far as the screen's work
    // area (above the taskbar) needs.
    EXPECT_TRUE(r.left <= icon.x && icon.x <= r.right) << r.left << ".." << r.right << " vs " << icon.x;
    EXPECT_TRUE(r.top == icon.y || (r.bottom <= icon.y && icon.y - r.bottom <= 30))
        << r.top << ".." << r.bottom << " vs " << icon.y;
    int black = 0, green = 0;
    const auto look = [&] {  // the pictures' column, left of the text
        black = green = 0;
        HDC screen = GetDC(nullptr);
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            for (int x = r.left + 2; x < r.left + 38; ++x) {
                const COLORREF c = GetPixel(screen, x, y);
                black += c == RGB(0, 0, 0);
                green += GetGValue(c) > GetRValue(c) + 60 && GetGValue(c) > GetBValue(c) + 60;
            }
        ReleaseDC(nullptr, screen);
        return green > 20;
    };
    EXPECT_TRUE(PollUntil(look, 30s)) << "the green of \"Activate managed items\"";
    EXPECT_LT(black, 64) << "pictures drawn as black squares";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(lumivane.Wait(5s).Ended) << "still waiting for the menu to be closed";
}

}  // namespace
}  // namespace lumivane::e2e
