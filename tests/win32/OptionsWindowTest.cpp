// The options through the real window and the real registry, and the ways
// the window is closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Pump.h"
#include "app/CompositionWin32.h"
#include "ui/AboutWin32.h"
#include "ui/ShowHtmlWin32.h"
#include "common/FreshOptions.h"

namespace lumivane::test {
namespace {

using C = TControlId;

struct TRegistryValue {
    DWORD Type = 0;
    std::wstring Text;
    DWORD Number = 0;
    bool Found = false;
};

TRegistryValue ReadValue(const wchar_t* key, const wchar_t* name) {
    TRegistryValue v;
    BYTE data[1024] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &v.Type, data, &size) != ERROR_SUCCESS) return v;
    v.Found = true;
    if (v.Type == REG_DWORD) v.Number = *reinterpret_cast<DWORD*>(data);
    if (v.Type == REG_SZ) v.Text = reinterpret_cast<wchar_t*>(data);
    return v;
}

bool QuitPosted() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// One run of the program's window in this process, ended as the program ends it.
struct TRun {
    TLumivaneWin32 Lumivane{nullptr};
    TRun() {
        EXPECT_TRUE(Lumivane.Create(L"Lumivane"));
        ShowWindow(Main(), SW_SHOW);
        Pump();
    }
    ~TRun() {
        Lumivane.Main().Destroy();
        while (QuitPosted()) {
        }
    }
    HWND Main() { return Lumivane.Main().Handle(); }
    HWND Ctl(C id) { return Lumivane.Main().Control(id); }
    void Click(C id) { SendMessageW(Ctl(id), BM_CLICK, 0, 0); }
    void Choose(C list, int index) {
        SendMessageW(Ctl(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Ctl(list)));
    }
    bool Checked(C id) { return SendMessageW(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

TEST(OptionsWindow, EveryOptionSurvivesARestartThroughTheRegistry) {
    {
        TRun run;
        run.Click(C::cbPreserveConfiguration);
        run.Click(C::cbRestoreConfiguration);  // off
        run.Click(C::cbStartWithWindows);
        run.Click(C::cbContinuousMode);
        SetWindowTextW(run.Ctl(C::edContinuousModeDelay), L"7");
        run.Click(C::cbHotkeyPowerOff);
        run.Click(C::cbWinPowerOff);
        HWND field = run.Ctl(C::HotKeyPowerOff);
        SendMessageW(field, HKM_SETHOTKEY, MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(C::HotKeyPowerOff, EN_CHANGE), reinterpret_cast<LPARAM>(field));
        run.Choose(C::cmbTrayIconDoubleClick, 4);
        run.Choose(C::cmbTrayIconClick, 2);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);  // Ctrl+S
    }
    const wchar_t* key = L"Software\\Tessaly\\Lumivane";
    for (const TOptionRow& row : OptionRows()) {
        const TRegistryValue v = ReadValue(key, row.Name);
        EXPECT_TRUE(v.Found && v.Type == REG_DWORD) << "value '" << testing::PrintToString(std::wstring(row.Name)) << "'";
    }
    EXPECT_EQ(ReadValue(key, L"Store changes permanently ").Number, 0u);
    EXPECT_EQ(ReadValue(key, L"Continuous mode delay").Number, 7u);
    EXPECT_EQ(ReadValue(key, L"Hotkey - power off").Number, static_cast<DWORD>(kScCtrl | kScShift | 'Q'));
    EXPECT_FALSE(ReadValue(key, L"HighColorNotifyIcon").Found) << "never written";
    const TRegistryValue run = ReadValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Lumivane");
    ASSERT_TRUE(run.Found);
    EXPECT_EQ(run.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(run.Text, L"\"" + ProgramPath() + L"\" -quiet");

    TRun again;
    EXPECT_TRUE(again.Checked(C::cbPreserveConfiguration));
    EXPECT_FALSE(again.Checked(C::cbRestoreConfiguration));
    EXPECT_TRUE(again.Checked(C::cbStartWithWindows));
    EXPECT_TRUE(again.Checked(C::cbContinuousMode));
    EXPECT_TRUE(IsWindowEnabled(again.Ctl(C::edContinuousModeDelay))) << "loading ran the box's handler";
    EXPECT_EQ(WindowText(again.Ctl(C::edContinuousModeDelay)), L"7");
    EXPECT_TRUE(again.Checked(C::cbWinPowerOff));
    EXPECT_EQ(SendMessageW(again.Ctl(C::HotKeyPowerOff), HKM_GETHOTKEY, 0, 0),
              MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    EXPECT_EQ(SendMessageW(again.Ctl(C::cmbTrayIconDoubleClick), CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(SendMessageW(again.Ctl(C::cmbTrayIconClick), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(GetMenuDefaultItem(again.Lumivane.Main().NotifyMenuHandle(), FALSE, 0),
              static_cast<UINT>(TCommandId::actDeactivate));
    // Unchecked, the next save removes the Run entry.
    again.Click(C::cbStartWithWindows);
    SendMessageW(again.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);
    EXPECT_FALSE(ReadValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Lumivane").Found);
}

TEST(OptionsWindow, TheCloseCommandSavesAndHidesWhileACloseMessageOnlyAsksTheEnd) {
    TRun run;
    run.Click(C::cbUpdateSettings);
    SendMessageW(run.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(run.Main()));
    EXPECT_TRUE(run.Lumivane.NotifyIcon().Visible());
    EXPECT_FALSE(QuitPosted()) << "closing never ends the program";
    EXPECT_EQ(ReadValue(L"Software\\Tessaly\\Lumivane", L"Store changes permanently ").Number, 1u) << "saved";
    SendMessageW(run.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(run.Main())) << "the window stays until every loop has unwound";
    EXPECT_TRUE(QuitPosted());
}

TEST(OptionsWindow, ACloseMessageDuringContinuousModeRestoresTheInitialFlagsLast) {
    TSystemParametersWin32 spi;
    const auto saved = GetDisplayPowerConfiguration(spi);
    SetScreenSaverConfiguration(spi, false, 900, false);
    {
        TRun run;
        run.Click(C::cbContinuousMode);
        // Off at start, so a first start leaves it unmanaged: manage it.
        if (!run.Checked(C::cbManageScreenSaver)) run.Click(C::cbManageScreenSaver);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actActivate, 1), 0);
        ASSERT_TRUE(GetScreenSaverActive(spi));
        // While the continuous-mode dialog is open, the program is asked to end.
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
            if (HWND dialog = FindWindowW(L"TfMessage", nullptr); dialog && IsWindowVisible(dialog)) {
                KillTimer(nullptr, id);
                PostMessageW(FindWindowW(L"TfMain_lumivane", nullptr), WM_CLOSE, 0, 0);
            }
        });
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actScreenSaver, 1), 0);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(IsWindow(run.Main()));
        EXPECT_EQ(GetScreenSaverTimeout(spi), 900) << "the continuous run put its values back";
    }
    EXPECT_FALSE(GetScreenSaverActive(spi)) << "then the end put back the flag of the start";
    SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active, saved.ScreenSaverSetting.Timeout, false);
}

TEST(HotKeyFields, EveryModifierComesBackFromTheRealControlAsTheSameShortCut) {
    TRun run;
    run.Click(C::cbHotkeyScreenSaver);
    HWND field = run.Ctl(C::HotKeyScreenSaver);
    for (TShortCut value : {TShortCut('S'), TShortCut(kScShift | 'S'), TShortCut(kScCtrl | 'S'),
                            TShortCut(kScAlt | 'S'), TShortCut(kScShift | kScCtrl | kScAlt | VK_F5)}) {
        run.Lumivane.Form().SetHotKey(C::HotKeyScreenSaver, value);
        const auto shown = static_cast<uint16_t>(SendMessageW(field, HKM_GETHOTKEY, 0, 0));
        EXPECT_EQ(HotKeyValueToShortCut(shown), value);
    }
    // Checking "Win +" shows the key alone; unchecking gives it Ctrl+Alt again.
    run.Lumivane.Form().SetHotKey(C::HotKeyScreenSaver, 49235);
    run.Click(C::cbWinScreenSaver);
    EXPECT_EQ(SendMessageW(field, HKM_GETHOTKEY, 0, 0), 'S');
    run.Click(C::cbWinScreenSaver);
    EXPECT_EQ(SendMessageW(field, HKM_GETHOTKEY, 0, 0), MAKEWORD('S', HOTKEYF_CONTROL | HOTKEYF_ALT));
}

// Answers every "Error" box of this thread with OK, counting them.
struct TErrorBoxAnswerer {
    static inline int Answered = 0;
    UINT_PTR Timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND box = FindWindowW(L"#32770", L"Error")) {
            ++Answered;
            EndDialog(box, IDOK);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    ~TErrorBoxAnswerer() { KillTimer(nullptr, Timer); }
};

TEST(HotKeyFields, ARefusedCombinationIsReportedOnceAndLeavesTheOtherRegistered) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'P'));  // Ctrl+Alt+P is taken
    for (const wchar_t* name : {L"Use hotkey - screen saver", L"Use hotkey - power off"}) {
        const DWORD on = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", name, REG_DWORD, &on, sizeof(on));
    }
    TErrorBoxAnswerer answerer;
    TErrorBoxAnswerer::Answered = 0;
    {
        TRun run;  // registers at creation
        EXPECT_EQ(TErrorBoxAnswerer::Answered, 1) << "one message for the one refused hot key";
        EXPECT_FALSE(RegisterHotKey(other, 8, MOD_CONTROL | MOD_ALT, 'S')) << "Ctrl+Alt+S is Lumivane's";
        EXPECT_TRUE(run.Checked(C::cbHotkeyPowerOff)) << "the switch stays on";
    }
    UnregisterHotKey(other, 7);
    EXPECT_TRUE(RegisterHotKey(other, 8, MOD_CONTROL | MOD_ALT, 'S')) << "free again after the end";
    EXPECT_TRUE(RegisterHotKey(other, 9, MOD_CONTROL | MOD_ALT, 'P'));
    UnregisterHotKey(other, 8);
    UnregisterHotKey(other, 9);
    DestroyWindow(other);
}

// Runs `step` once on the about box when it is up.
struct TAboutDriver {
    static inline std::function<void(HWND)> Step;
    UINT_PTR Timer;
    explicit TAboutDriver(std::function<void(HWND)> step) {
        Step = std::move(step);
        Timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            HWND about = FindWindowW(L"TfAbout", nullptr);
            if (!about || !IsWindowVisible(about) || !Step) return;
            auto step = std::exchange(Step, nullptr);
            step(about);
        });
    }
    ~TAboutDriver() { KillTimer(nullptr, Timer); }
};

TEST(About, TheFieldsOpenTheMailProgramAndTheBrowser) {
    std::vector<std::wstring> opened;
    TAboutDriver driver([](HWND about) {
        for (int id : {101, 102}) SendMessageW(GetDlgItem(about, id), WM_LBUTTONUP, 0, 0);
        PostMessageW(about, WM_CLOSE, 0, 0);
    });
    ShowAbout(nullptr, true, AppVersion(), [&](const std::wstring& address) { opened.push_back(address); });
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"mailto:lumivane@example.org", L"https://lumivane.example.org/"}));
    EXPECT_EQ(VersionText({1, 5, L"", L""}), L"Version 1.05");
}

TEST(About, TheNotificationMenuIsDetachedWhileTheBoxIsUp) {
    TRun run;
    THandle during = 1;
    TAboutDriver driver([&](HWND about) {
        during = run.Lumivane.NotifyIcon().PopupMenu;
        PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actAbout, 0), 0);
    EXPECT_EQ(during, 0u);
    EXPECT_EQ(run.Lumivane.NotifyIcon().PopupMenu, reinterpret_cast<THandle>(run.Lumivane.Main().NotifyMenuHandle()));
}

TEST(OptionsWindow, AtTheSessionsEndTheEndStepsRunAtOnceAndOnlyOnce) {
    TSystemParametersWin32 spi;
    const auto saved = GetDisplayPowerConfiguration(spi);
    SetScreenSaverConfiguration(spi, true, 600, false);
    {
        TRun run;
        if (!run.Checked(C::cbManageScreenSaver)) run.Click(C::cbManageScreenSaver);
        run.Click(C::cbPreserveConfiguration);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actDeactivate, 1), 0);
        ASSERT_FALSE(GetScreenSaverActive(spi));
        EXPECT_TRUE(SendMessageW(run.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        const auto start = TClock::now();
        SendMessageW(run.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
        std::printf("end steps at the session's end: %lld ms\n", static_cast<long long>(took));
        EXPECT_TRUE(GetScreenSaverActive(spi)) << "restored before the process can be ended";
        EXPECT_EQ(ReadValue(L"Software\\Tessaly\\Lumivane", L"Preserve current options").Number, 1u) << "saved";
        EXPECT_LT(took, 1000);
        // Were the process not ended, the window's own end does not run them twice.
        SetScreenSaverActive(spi, false, false);
    }
    EXPECT_FALSE(GetScreenSaverActive(spi)) << "the end steps ran once";
    SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active, saved.ScreenSaverSetting.Timeout, false);
}

TEST(OptionsWindow, ALostRunsSettingsArePutBackAtCreationAndTheUserIsToldOnce) {
    TSystemParametersWin32 spi;
    const auto saved = GetDisplayPowerConfiguration(spi);
    // Wine loads these parameters afresh when the process makes its first
    // window: that happens before the state of the test is set.
    DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    // As the lost run left it.
    SetScreenSaverTimeout(spi, 600, true);
    SetScreenSaverActive(spi, false, true);
    ASSERT_FALSE(GetScreenSaverActive(spi));
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    // A process that no longer runs: its id cannot be opened.
    const std::wstring journal = L"v1 4294967280 1 0 1,600,0,0 0,600,0,0";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane",
                    (L"Restore journal " + std::to_wstring(session)).c_str(), REG_SZ, journal.c_str(),
                    static_cast<DWORD>((journal.size() + 1) * sizeof(wchar_t)));
    {
        TRun run;
        EXPECT_TRUE(GetScreenSaverActive(spi)) << "put back before the capture";
        EXPECT_TRUE(run.Lumivane.Configuration().FInitialConfiguration.ScreenSaverSetting.Active);
        EXPECT_EQ(run.Lumivane.Shell().LastBalloon(),
                  L"Lumivane did not end normally last time. Put back: screen saver on, 10 min.");
    }
    SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active, saved.ScreenSaverSetting.Timeout, true);
}

struct TErrorList final : IErrorBox {
    std::vector<std::wstring> Shown;
    void ShowError(const std::wstring& text) override { Shown.push_back(text); }
};

TEST(HelpViewer, AControlThatCannotBeMadeFreesTheViewerSilentlyAndOneViewerAtATimeOtherwise) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"lumivane-help-test.html";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    TErrorList errors;
    // Without COM in this thread the browser control cannot be made.
    ShowHtmlFile(L"Help", file, nullptr, nullptr, true, errors);
    EXPECT_EQ(HelpViewerWindow(), nullptr);
    EXPECT_EQ(FindWindowW(L"TfShowHtml", nullptr), nullptr) << "freed";
    EXPECT_TRUE(errors.Shown.empty()) << "silently";
    ShowHtmlFile(L"Help", file + L".missing", nullptr, nullptr, true, errors);
    EXPECT_EQ(errors.Shown, std::vector<std::wstring>{L"Couldn't find the file " + file + L".missing"});
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ShowHtmlFile(L"Help", file, nullptr, nullptr, true, errors);
    HWND viewer = HelpViewerWindow();
    if (viewer) {  // where the control can be made: one viewer, brought forward the second time
        ShowHtmlFile(L"Other", file, nullptr, nullptr, true, errors);
        EXPECT_EQ(HelpViewerWindow(), viewer);
        EXPECT_EQ(WindowText(viewer), L"Help");
        SendMessageW(viewer, WM_CLOSE, 0, 0);
        EXPECT_EQ(HelpViewerWindow(), nullptr) << "closing frees it";
        EXPECT_FALSE(IsWindow(viewer));
    }
    CoUninitialize();
    DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace lumivane::test
