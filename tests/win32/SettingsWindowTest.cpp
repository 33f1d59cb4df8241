// The settings window against the real controls: what each control shows,
// the rules between them, the delay field, the keyboard, the tool bar, both
// menus, a change of scale and the debts of the window toolkit.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/CompositionWin32.h"
#include "ui/MenusWin32.h"
#include "ui/MainLayout.h"
#include "win32/MessageLoopWin32.h"

#include "ProgramRun.h"
#include "Pump.h"
#include "common/ExpectedTexts.h"
#include "common/FreshOptions.h"
#include "common/Input.h"

namespace lumivane::test {
namespace {

using C = TControlId;
// The program's window, shown and active, as a user sees it.
class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = GetDisplayPowerConfiguration(FSpi);
        // Both items on at start: the Manage boxes take those flags at a first start.
        SetScreenSaverActive(FSpi, true, false);
        SetPowerOffActive(FSpi, true, false);
        ASSERT_TRUE(FLumivane.Create(L"Lumivane"));
        ShowWindow(Main(), SW_SHOW);
        SetForegroundWindow(Main());
        Pump();
    }
    void TearDown() override {
        EndRun(FLumivane);
        SetScreenSaverConfiguration(FSpi, FSaved.ScreenSaverSetting.Active, FSaved.ScreenSaverSetting.Timeout, false);
        SetPowerOffActive(FSpi, FSaved.PowerOffSetting.Active, false);
    }
    HWND Main() { return FLumivane.Main().Handle(); }
    HWND Ctl(C id) { return FLumivane.Main().Control(id); }
    TMainForm& Form() { return FLumivane.Form(); }
    // A key as the message loop gets it from the keyboard.
    void Key(UINT message, WPARAM key, LPARAM flags = 0) {
        MSG msg{GetFocus() ? GetFocus() : Main(), message, key, flags, 0, {}};
        RouteMessage(msg);
        Pump();
    }

    TSystemParametersWin32 FSpi;
    TDisplayPowerConfiguration FSaved;
    TLumivaneWin32 FLumivane{nullptr};
};

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

std::wstring ToolTipText(HWND tip, HWND owner, HWND control) {
    wchar_t buffer[512] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = buffer;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return buffer;
}

// The list's items as the user sees them.
std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 128)
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// Every control of the table exists with the table's caption and hint.
TEST_F(SettingsWindow, EveryControlExistsWithItsCaptionStateAndHint) {
    const struct {
        TControlKind Kind;
        const wchar_t* Class;
    } classes[] = {{TControlKind::Group, L"Button"},      {TControlKind::Label, L"Static"},
                   {TControlKind::ValueLabel, L"Static"}, {TControlKind::CheckBox, L"Button"},
                   {TControlKind::HotKey, L"msctls_hotkey32"}, {TControlKind::NumberEdit, L"Edit"},
                   {TControlKind::UpDown, L"msctls_updown32"}, {TControlKind::List, L"ComboBox"}};
    for (const TExpectedControl& expected : kExpectedControls)
        EXPECT_NE(Ctl(expected.Id), nullptr) << "control " << static_cast<int>(expected.Id) << " is missing";
    for (const TControlDef& def : MainControls()) {
        const TExpectedControl* expected = FindExpectedControl(def.Id);
        ASSERT_NE(expected, nullptr) << def.Name << " has no expected texts";
        HWND h = Ctl(def.Id);
        ASSERT_NE(h, nullptr) << def.Name;
        EXPECT_EQ(GetDlgCtrlID(h), static_cast<int>(def.Id)) << def.Name;
        for (const auto& c : classes) {
            if (c.Kind != def.Kind) continue;
            EXPECT_EQ(lstrcmpiW(ClassOf(h).c_str(), c.Class), 0) << def.Name;
        }
        // A value label's text is the state it shows, not a caption.
        if (def.Caption) {
            EXPECT_EQ(WindowText(h), def.Caption) << def.Name;
        }
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, expected->Enabled) << def.Name;
        if (def.Kind == TControlKind::CheckBox) {
            EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED, expected->Checked) << def.Name;
        }
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof(font), &font);
        if (def.Kind != TControlKind::UpDown) {
            EXPECT_STREQ(font.lfFaceName, L"Tahoma") << def.Name;
            EXPECT_EQ(font.lfWeight, def.Kind == TControlKind::ValueLabel ? FW_BOLD : FW_NORMAL) << def.Name;
        }
        std::wstring hint = def.Hint ? def.Hint : L"";
        for (size_t i = 0; (i = hint.find(L'\r', i)) != std::wstring::npos; i += 2) hint.insert(i + 1, L"\n");
        EXPECT_EQ(ToolTipText(FLumivane.Main().ToolTips(), Main(), h), hint) << def.Name;
    }
    EXPECT_EQ(SendMessageW(Ctl(C::HotKeyScreenSaver), HKM_GETHOTKEY, 0, 0), (0x06 << 8) | 'S');
    EXPECT_EQ(SendMessageW(Ctl(C::HotKeyPowerOff), HKM_GETHOTKEY, 0, 0), (0x06 << 8) | 'P');
    const std::pair<C, std::vector<std::wstring>> lists[] = {
        {C::cmbTrayIconDoubleClick, {TrayDoubleClickItems().begin(), TrayDoubleClickItems().end()}},
        {C::cmbTrayIconClick, {TrayClickItems().begin(), TrayClickItems().end()}}};
    EXPECT_EQ(lists[0].second.size(), size_t{kExpectedDoubleClickItems});
    EXPECT_EQ(lists[1].second.size(), size_t{kExpectedClickItems});
    for (const auto& [list, items] : lists) EXPECT_EQ(ListItems(Ctl(list)), items) << static_cast<int>(list);
    EXPECT_EQ(WindowText(Ctl(C::edContinuousModeDelay)),
              std::to_wstring(ExpectedOption(C::edContinuousModeDelay).Default));
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(Ctl(C::udDelay), UDM_GETBUDDY, 0, 0)), Ctl(C::edContinuousModeDelay));
    RECT client;
    GetClientRect(Main(), &client);
    const int dpi = static_cast<int>(FLumivane.Main().Dpi());
    EXPECT_EQ(client.right, MulDiv(632, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(300, dpi, 96)) << "below the menu bar";
    EXPECT_EQ(GetWindowLongW(Main(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
}

TEST_F(SettingsWindow, BoxesEnableTheirControlsOnAClickAndWhenSetByCode) {
    SendMessageW(Ctl(C::cbContinuousMode), BM_CLICK, 0, 0);
    EXPECT_TRUE(Form().ContinuousMode());
    for (C id : {C::lblContinuousModeDelay, C::edContinuousModeDelay, C::udDelay}) EXPECT_TRUE(IsWindowEnabled(Ctl(id)));
    Form().SetChecked(C::cbContinuousMode, false);  // as loading the options does
    EXPECT_EQ(SendMessageW(Ctl(C::cbContinuousMode), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (C id : {C::lblContinuousModeDelay, C::edContinuousModeDelay, C::udDelay}) EXPECT_FALSE(IsWindowEnabled(Ctl(id)));
    SendMessageW(Ctl(C::cbHotkeyPowerOff), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(Ctl(C::cbWinPowerOff)));
    EXPECT_TRUE(IsWindowEnabled(Ctl(C::HotKeyPowerOff)));
    EXPECT_FALSE(IsWindowEnabled(Ctl(C::HotKeyScreenSaver)));
}

TEST_F(SettingsWindow, DelayFieldRefusesLettersAndKeepsOneToTen) {
    SendMessageW(Ctl(C::cbContinuousMode), BM_CLICK, 0, 0);
    HWND edit = Ctl(C::edContinuousModeDelay);
    SetFocus(edit);
    ExpectDelayFieldKeepsOneToTen(edit);
    EXPECT_EQ(Form().ContinuousModeDelay(), 1);
    // The buttons stop at the ends and never wrap around.
    for (int i = 0; i < 15; ++i) Key(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(WindowText(edit), L"10");
    EXPECT_EQ(Form().ContinuousModeDelay(), 10);
    for (int i = 0; i < 15; ++i) Key(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(WindowText(edit), L"1");
}

TEST_F(SettingsWindow, TabWalksTheEnabledControlsInOrderAndMnemonicsReachTheirControls) {
    SetFocus(Ctl(C::cbManageScreenSaver));
    std::vector<C> walked;
    for (int i = 0; i < 12; ++i) {
        walked.push_back(static_cast<C>(GetDlgCtrlID(GetFocus())));
        Key(WM_KEYDOWN, VK_TAB);
    }
    const std::vector<C> expected = {C::cbManageScreenSaver, C::cbHotkeyScreenSaver, C::cbManagePowerOff,
                                     C::cbHotkeyPowerOff, C::cbRestoreConfiguration, C::cbPreserveConfiguration,
                                     C::cbUpdateSettings, C::cbStartWithWindows, C::cbContinuousMode,
                                     C::cmbTrayIconDoubleClick, C::cmbTrayIconClick, C::cbManageScreenSaver};
    EXPECT_EQ(walked, expected);

    constexpr LPARAM kAltDown = 1 << 29;
    Key(WM_SYSCHAR, 'k', kAltDown);
    EXPECT_EQ(GetFocus(), Ctl(C::cmbTrayIconClick)) << "Alt+K through its label";
    Key(WM_SYSCHAR, 'd', kAltDown);
    EXPECT_EQ(GetFocus(), Ctl(C::cmbTrayIconDoubleClick)) << "Alt+D through its label";
    Key(WM_SYSCHAR, 'e', kAltDown);
    EXPECT_TRUE(Form().PreserveConfiguration()) << "Alt+E checks its box";
    Key(WM_SYSCHAR, 'u', kAltDown);
    EXPECT_TRUE(IsWindowEnabled(Ctl(C::edContinuousModeDelay))) << "Alt+U runs the box's click handler";

    // Enter and Escape leave the window and every option as they were.
    Key(WM_KEYDOWN, VK_RETURN);
    Key(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(Main()));
    EXPECT_TRUE(Form().PreserveConfiguration());
    EXPECT_TRUE(Form().ContinuousMode());
}

TEST_F(SettingsWindow, FocusComesBackToTheLastControlWhenTheWindowIsShownAgain) {
    SetFocus(Ctl(C::cmbTrayIconClick));
    ShowWindow(Main(), SW_HIDE);
    Pump();
    ShowWindow(Main(), SW_SHOW);
    SetForegroundWindow(Main());
    Pump();
    EXPECT_EQ(GetFocus(), Ctl(C::cmbTrayIconClick));
}

TEST_F(SettingsWindow, ToolBarButtonsRunTheirActionsAndShowTheirHints) {
    HWND bar = Ctl(C::ToolBar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 9);
    const DWORD size = static_cast<DWORD>(SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0));
    const int dpi = static_cast<int>(FLumivane.Main().Dpi());
    EXPECT_GE(LOWORD(size), MulDiv(70, dpi, 96));
    EXPECT_GE(HIWORD(size), MulDiv(36, dpi, 96));
    TBBUTTON separator{};
    SendMessageW(bar, TB_GETBUTTON, 3, reinterpret_cast<LPARAM>(&separator));
    EXPECT_TRUE(separator.fsStyle & BTNS_SEP);
    EXPECT_EQ(separator.iBitmap, MulDiv(8, dpi, 96));

    SetScreenSaverActive(FSpi, true, false);
    // A click on "Deactivate" (the second button), as the mouse makes it.
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(bar, WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_FALSE(GetScreenSaverActive(FSpi));
    EXPECT_EQ(WindowText(Ctl(C::lblScreenSaverActive)), L"No");

    NMTTDISPINFOW info{};
    info.hdr = {bar, static_cast<UINT_PTR>(TCommandId::actDeactivate), TTN_GETDISPINFOW};
    SendMessageW(Main(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, L"Deactivate managed items");
}

std::wstring MenuText(HMENU menu, TCommandId id) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(id), text, 128, MF_BYCOMMAND);
    return text;
}

TEST_F(SettingsWindow, MainMenuShowsShortcutsTheNotificationMenuNoneAndBothHaveImages) {
    HMENU main = FLumivane.Main().MainMenuHandle(), notify = FLumivane.Main().NotifyMenuHandle();
    EXPECT_EQ(GetMenu(Main()), main);
    EXPECT_EQ(MenuText(main, TCommandId::actActivate), L"&Activate managed items\tCtrl+A");
    EXPECT_EQ(MenuText(main, TCommandId::actExit), L"E&xit\tAlt+X");
    EXPECT_EQ(MenuText(main, TCommandId::mnViewHelp), L"View &help\tF1");
    EXPECT_EQ(MenuText(notify, TCommandId::actActivate), L"&Activate managed items");
    EXPECT_EQ(MenuText(notify, TCommandId::actExit), L"E&xit");
    EXPECT_EQ(GetMenuDefaultItem(notify, FALSE, 0), static_cast<UINT>(TCommandId::mnShowP));
    EXPECT_EQ(GetMenuItemCount(main), 3);
    SendMessageW(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(notify), 0);  // about to open
    // Themed menus blend the 32-bit bitmaps; classic ones ask the window.
    auto image = [](HMENU menu) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP | MIIM_DATA;
        EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(TCommandId::actDeactivate), FALSE, &mii));
        EXPECT_EQ(mii.dwItemData, 3u) << "Deactivate's picture, the third of the strip (Menu3.ico)";
        return mii.hbmpItem;
    };
    for (HMENU menu : {main, notify}) {
        HBITMAP shown = image(menu);
        if (MenusThemed()) {
            BITMAP bm{};
            GetObjectW(shown, sizeof(bm), &bm);
            EXPECT_EQ(bm.bmBitsPixel, 32);
        } else {
            EXPECT_EQ(shown, HBMMENU_CALLBACK) << "drawn by the window";
        }
    }
    TCommonControlsWin32 controls;
    TCommandImagesWin32 images(96, controls);
    for (const bool themed : {true, false}) {
        SetMenuImages(notify, NotifyMenu(), images, themed);
        EXPECT_EQ(image(notify) == HBMMENU_CALLBACK, !themed);
    }
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, static_cast<UINT>(TCommandId::actDeactivate), 0, 0, 3};
    EXPECT_TRUE(SendMessageW(Main(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(MulDiv(16, GetDpiForWindow(Main()), 96)));
    SetMenuImages(notify, NotifyMenu(), FLumivane.Main().Images(), MenusThemed());
}

TEST_F(SettingsWindow, ShortcutsOfTheWindowRunTheirCommands) {
    SetScreenSaverActive(FSpi, true, false);
    // What TranslateAccelerator makes of Ctrl+D and Ctrl+A.
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actDeactivate, 1), 0);
    EXPECT_FALSE(GetScreenSaverActive(FSpi));
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actActivate, 1), 0);
    EXPECT_TRUE(GetScreenSaverActive(FSpi));
    // A control's notification with a command's number is not that command.
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actDeactivate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Ctl(C::cbManageScreenSaver)));
    EXPECT_TRUE(GetScreenSaverActive(FSpi));
}

// Another program's change, announced to nobody: only the watchdog's timer
// can put it back, with the time-out it preserved, and the status shows it.
TEST_F(SettingsWindow, PreservationUndoesAnotherChangeWhileDeactivated) {
    SendMessageW(Ctl(C::cbPreserveConfiguration), BM_CLICK, 0, 0);
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actDeactivate, 1), 0);
    ASSERT_FALSE(GetScreenSaverActive(FSpi));
    const int timeout = GetScreenSaverTimeout(FSpi);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    EXPECT_TRUE(PumpUntil([&] { return !GetScreenSaverActive(FSpi); }, std::chrono::seconds(30)));
    EXPECT_EQ(GetScreenSaverTimeout(FSpi), timeout);
    EXPECT_EQ(WindowText(Ctl(C::lblScreenSaverActive)), L"No");
}

TEST_F(SettingsWindow, AChangeOfScaleLaysTheWindowOutAgainWithoutClippingOrLeaks) {
    const long imagesBefore = TCommandImagesWin32::LiveObjects();
    for (UINT dpi : {192u, 144u, 120u, 96u}) {
        RECT suggested{10, 10, 20, 20};
        SendMessageW(Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(FLumivane.Main().Dpi(), dpi);
        RECT client;
        GetClientRect(Main(), &client);
        // The test desktop is 1024 pixels wide: a larger window is cut to it.
        if (dpi < 192) {
            EXPECT_EQ(client.right, MulDiv(632, static_cast<int>(dpi), 96)) << dpi;
        }
        RECT group, box;
        GetWindowRect(Ctl(C::gbOptions), &group);
        GetWindowRect(Ctl(C::cbPreserveConfiguration), &box);
        EXPECT_LE(box.right, group.right) << dpi;
        // Each caption fits its box in the font of the new scale.
        HDC dc = GetDC(Main());
        for (const TControlDef& def : MainControls()) {
            if (def.Kind != TControlKind::CheckBox) continue;
            HWND h = Ctl(def.Id);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
            const std::wstring text = StripMnemonic(def.Caption);
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, old);
            RECT r;
            GetClientRect(h, &r);
            EXPECT_GE(r.right, extent.cx + MulDiv(13, static_cast<int>(dpi), 96)) << def.Name << " at " << dpi;
        }
        ReleaseDC(Main(), dc);
        RECT bar;
        GetWindowRect(Ctl(C::CoolBar), &bar);
        EXPECT_EQ(bar.right - bar.left, client.right) << "the cool bar spans the window";
    }
    EXPECT_EQ(TCommandImagesWin32::LiveObjects(), imagesBefore) << "old pictures freed";
}

TEST_F(SettingsWindow, ChangingTheAlignmentRecreatesTheFieldInItsPlace) {
    HWND old = Ctl(C::edContinuousModeDelay);
    RECT before;
    GetWindowRect(old, &before);
    Form().edContinuousModeDelay.SetAlign(TNumberEditAlign::neLeft);
    HWND now = Ctl(C::edContinuousModeDelay);
    ASSERT_NE(now, old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(GetWindowLongW(now, GWL_STYLE) & (ES_RIGHT | ES_NUMBER), ES_NUMBER);
    EXPECT_EQ(WindowText(now), L"3");
    RECT after;
    GetWindowRect(now, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(GetWindow(now, GW_HWNDPREV), Ctl(C::lblContinuousModeDelay)) << "same tab place";
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(Ctl(C::udDelay), UDM_GETBUDDY, 0, 0)), now);
    EXPECT_FALSE(IsWindowEnabled(now));
    Form().edContinuousModeDelay.SetAlign(TNumberEditAlign::neRight);
    EXPECT_EQ(GetWindowLongW(Ctl(C::edContinuousModeDelay), GWL_STYLE) & ES_RIGHT, ES_RIGHT);
}

TEST(WindowToolkit, TheIconLeavesTheNotificationAreaWithItsWindow) {
    TLumivaneWin32 lumivane(nullptr);
    ASSERT_TRUE(lumivane.Create(L"Lumivane"));
    ASSERT_TRUE(lumivane.NotifyIcon().Visible());
    lumivane.Main().Destroy();
    EXPECT_FALSE(lumivane.NotifyIcon().Visible()) << "deleted while the window still existed";
    while (QuitPosted()) {
    }
}

TEST(WindowToolkit, AStoppedTimersQueuedTickNeverReachesALaterTimer) {
    struct TSink final : TWindow {
        TTimerServiceWin32 Timers;
    } sink;
    TTimer first(sink.Timers, 1000, true), second(sink.Timers, 1000, false);
    int ticks = 0;
    first.SetOnTimer([](TTimer*) {});
    second.SetOnTimer([&](TTimer*) { ++ticks; });
    first.SetEnabled(false);  // its identifier was 1
    second.SetEnabled(true);
    EXPECT_TRUE(sink.Timers.Dispatch(1)) << "still one of ours";
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(sink.Timers.Dispatch(2));
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace lumivane::test
