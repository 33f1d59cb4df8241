// The main window's configuration, status and notification icon against the
// real system: timers, parameters, icons and the shell.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

#include "sources/Policies.h"
#include <utility>
#include <vector>

#include "app/CompositionWin32.h"
#include "app/Control.h"

#include "ProgramRun.h"
#include "Pump.h"
#include "common/Input.h"

namespace lumivane::test {
namespace {

TEST(MainWindow, StatusLabelsIconAndTooltipFollowTheSystem) {
    TSystemParametersWin32 spi;
    const auto saved = GetDisplayPowerConfiguration(spi);
    SetScreenSaverConfiguration(spi, true, 600, false);
    TLumivaneWin32 lumivane(nullptr);
    ASSERT_TRUE(lumivane.Create(L"Lumivane", false, true));
    TfMain_lumivane& main = lumivane.Main();
    EXPECT_EQ(FindWindowExW(main.Handle(), nullptr, L"Static", nullptr), nullptr)
        << "no controls before the first showing";
    ShowWindow(main.Handle(), SW_SHOWNOACTIVATE);
    EXPECT_FALSE(lumivane.NotifyIcon().Added()) << "the window first, the icon after";
    main.AddNotifyIconAfterShow();
    ASSERT_TRUE(PumpUntil([&] { return lumivane.NotifyIcon().Added(); }, std::chrono::seconds(30)));
    auto text = [&](TControlId id) { return WindowText(main.Control(id)); };
    EXPECT_EQ(text(TControlId::lblScreenSaverActive), L"Yes");
    EXPECT_EQ(text(TControlId::lblScreenSaverTimeout), L"10 minutes");
    EXPECT_TRUE(lumivane.NotifyIcon().Visible());
    EXPECT_EQ(lumivane.NotifyIcon().ToolTip().substr(0, 22), L"Screen saver:  Active\r");
    EXPECT_NE(lumivane.NotifyIcon().Icon(), 0u);

    // Another program's change, announced to nobody: seen at a tick of the status timer.
    SetScreenSaverActive(spi, false, false);
    ASSERT_TRUE(PumpUntil(
        [&] { return text(TControlId::lblScreenSaverActive) == L"No"; },
        std::chrono::seconds(30)));
    EXPECT_EQ(lumivane.NotifyIcon().ToolTip().substr(0, 23), L"Screen saver:  Inactive");
    SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active,
                                saved.ScreenSaverSetting.Timeout, false);
}

// The shell keeps the tip to itself: the record it is handed, seen in the call.
TEST(NotifyIconShell, TheTipBreaksItsLinesAtALineFeedWithinItsLayoutsRoom) {
    std::vector<std::wstring> tips;
    const auto shell = [&](DWORD, NOTIFYICONDATAW* data) { return tips.emplace_back(data->szTip), TRUE; };
    TNotifyIconRecord record;
    record.Tip = L"Screen saver:  Active\rMonitor power off:  Inactive\r" + std::wstring(70, L'x');
    for (const TNotifyIconLayout layout : {TNotifyIconLayout::V3, TNotifyIconLayout::V1})
        TNotifyIconShellWin32(layout, {}, {}, shell).NotifyIcon(TNotifyIconMessage::Modify, record);
    const std::wstring tip = L"Screen saver:  Active\nMonitor power off:  Inactive\n" + std::wstring(70, L'x');
    EXPECT_EQ(tips, (std::vector<std::wstring>{tip, tip.substr(0, 63)}));
}

TEST(MainWindow, TheIconIsAddedAgainWhenTheTaskbarIsMadeAnewAndNewPicturesFollowAScaleChange) {
    TRun run(false);
    TLumivaneWin32& lumivane = run.Lumivane;
    HWND main = lumivane.Main().Handle();
    const long adds = lumivane.Shell().Calls(TNotifyIconMessage::Add);
    SendMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(lumivane.Shell().Calls(TNotifyIconMessage::Add), adds + 1);
    const long modifies = lumivane.Shell().Calls(TNotifyIconMessage::Modify);
    const int loaded = lumivane.Main().StateIcons().Loaded();
    SendMessageW(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_GT(lumivane.Shell().Calls(TNotifyIconMessage::Modify), modifies) << "the picture handed over anew";
    EXPECT_EQ(lumivane.Main().StateIcons().Loaded(), 1) << "from a new list, loaded afresh";
    EXPECT_GE(loaded, 1);
}

// The real shell takes version 4: its events arrive in the new layout (the
// menu opens on the context-menu event, the button's release does nothing),
// and a menu closed with Escape, not one closed by a click elsewhere, hands
// the keyboard focus back to the notification area.
TEST(MainWindow, TheShellTakesVersion4AndOnlyAMenuClosedWithEscapeGivesTheFocusBack) {
    TRun run(false);
    TLumivaneWin32& lumivane = run.Lumivane;
    ASSERT_NE(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "a desktop with a taskbar";
    ASSERT_TRUE(PumpUntil([&] { return lumivane.NotifyIcon().Added(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(lumivane.NotifyIcon().Version4());
    auto& shell = lumivane.Shell();
    for (const bool escape : {true, false}) {
        const long focus = shell.Calls(TNotifyIconMessage::SetFocus), ended = shell.MenusEnded();
        // The menu loop takes the press whenever it comes once the menu is
        // shown; how the menu ended is what its loop saw, not a clock.
        std::thread user([&] {
            // Any visible menu window: Wine may keep a hidden one from the
            // last menu ahead of the new one.
            const auto shown = [] {
                for (HWND h = FindWindowW(L"#32768", nullptr); h; h = FindWindowExW(nullptr, h, L"#32768", nullptr))
                    if (IsWindowVisible(h)) return true;
                return false;
            };
            if (!PumpUntil(shown, std::chrono::seconds(30))) {
                PressKeys({VK_ESCAPE});  // a menu that was never seen must not hold the test for ever
                return;
            }
            // A press that comes before the menu's loop takes input is lost
            // (a busy machine shows it): pressed again until the menu is gone.
            for (int tries = 0; tries < 30 && shown(); ++tries) {
                escape ? PressKeys({VK_ESCAPE}) : ClickAt({100, 100}, 1);
                PumpUntil([&] { return !shown(); }, std::chrono::seconds(1));
            }
        });
        ClickAt(NotifyIconPoint(), 1, true);
        EXPECT_TRUE(PumpUntil([&] { return shell.MenusEnded() > ended; }, std::chrono::seconds(30)));
        user.join();
        EXPECT_EQ(shell.LastMenuEnd(), escape ? TMenuEnd::Escaped : TMenuEnd::Dismissed);
        EXPECT_EQ(shell.Calls(TNotifyIconMessage::SetFocus), focus + (escape ? 1 : 0))
            << (escape ? "Escape" : "a click elsewhere");
    }
}

// The pictures follow the taskbar's theme, read at the start and again when
// the system announces a change of colours.
TEST(MainWindow, TheIconsPicturesAreTheSetDrawnForTheTaskbarsTheme) {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    auto setLight = [&](std::optional<DWORD> value) {
        if (value)
            RegSetKeyValueW(HKEY_CURRENT_USER, key, L"SystemUsesLightTheme", REG_DWORD, &*value, sizeof(DWORD));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"SystemUsesLightTheme");
    };
    setLight(1);
    TRun run(false);
    TLumivaneWin32& lumivane = run.Lumivane;
    HWND main = lumivane.Main().Handle();
    EXPECT_TRUE(lumivane.Main().StateIcons().LightTaskbar()) << "read at the start";
    const struct {
        std::optional<DWORD> Value;
        const wchar_t* Announced;
        bool Light;
    } steps[] = {{0, L"ImmersiveColorSet", false}, {1, L"Policy", false} /* another change */, {1, L"ImmersiveColorSet", true},
                 {std::nullopt, L"ImmersiveColorSet", false}};
    for (const auto& step : steps) {
        setLight(step.Value);
        const THandle before = lumivane.NotifyIcon().Icon();
        const long modifies = lumivane.Shell().Calls(TNotifyIconMessage::Modify);
        SendMessageW(main, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(step.Announced));
        EXPECT_EQ(lumivane.Main().StateIcons().LightTaskbar(), step.Light) << step.Announced;
        const bool renewed = step.Announced[0] == L'I';
        EXPECT_EQ(lumivane.Shell().Calls(TNotifyIconMessage::Modify) > modifies, renewed) << "the shell has the new picture";
        EXPECT_EQ(lumivane.NotifyIcon().Icon() != before, renewed);
    }
    setLight(std::nullopt);
}

// What another process hands the running copy: a whole request runs as the
// menu's command does (the tooltip names the end), anything else changes
// nothing and is refused.
TEST(MainWindow, AControlRequestRunsAsTheMenusCommandAndABadOneChangesNothing) {
    TRun run(false);
    TLumivaneWin32& lumivane = run.Lumivane;
    HWND main = lumivane.Main().Handle();
    auto send = [&](const void* data, DWORD size, ULONG_PTR tag) {
        COPYDATASTRUCT copy{tag, size, const_cast<void*>(data)};
        return static_cast<uint64_t>(SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)));
    };
    const auto period = EncodeRequest({TControlVerb::DeactivateFor, 120'000});
    const std::wstring before = lumivane.NotifyIcon().ToolTip();
    EXPECT_EQ(send(period.data(), 11, kControlTag), 0u) << "short";
    EXPECT_EQ(send(period.data(), 12, kControlTag + 1), 0u) << "another tag";
    EXPECT_EQ(send(nullptr, 0, kControlTag), 0u);
    EXPECT_EQ(lumivane.NotifyIcon().ToolTip(), before);
    const auto reply = DecodeReply(send(period.data(), 12, kControlTag));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->State, TControlState::DeactivatedFor);
    EXPECT_NE(lumivane.NotifyIcon().ToolTip().find(L"Deactivated until "), std::wstring::npos)
        << std::string(before.begin(), before.end());
    const auto activate = EncodeRequest({TControlVerb::Activate, 0});
    EXPECT_EQ(DecodeReply(send(activate.data(), 12, kControlTag))->State, TControlState::Active);
    // An administrator forbids deactivation, seen by a loop that is not the main
    // loop (as a dialog's): refused, greyed in both menus and the tool bar.
    const DWORD no = 0, lock = 900;
    const TPolicies& policies = lumivane.Config().Policies();
    RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKey, L"AllowDeactivation", REG_DWORD, &no, sizeof(no));
    ASSERT_TRUE(PumpUntil([&] { return !policies.Allows(TPolicy::AllowDeactivation); }, std::chrono::seconds(30)));
    EXPECT_EQ(send(period.data(), 12, kControlTag), kNotAllowedReply);
    const UINT id = static_cast<UINT>(TCommandId::actDeactivate);
    EXPECT_TRUE(GetMenuState(lumivane.Main().MainMenuHandle(), id, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(lumivane.Main().NotifyMenuHandle(), id, MF_BYCOMMAND) & MF_GRAYED);
    ShowWindow(main, SW_SHOW);  // the tool bar made now shows it too
    HWND toolBar = lumivane.Main().Control(TControlId::ToolBar);
    ASSERT_NE(toolBar, nullptr);
    EXPECT_FALSE(SendMessageW(toolBar, TB_ISBUTTONENABLED, id, 0));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPolicyKey, L"AllowDeactivation");
    ASSERT_TRUE(PumpUntil([&] { return policies.Allows(TPolicy::AllowDeactivation); }, std::chrono::seconds(30)));
    EXPECT_FALSE(GetMenuState(lumivane.Main().MainMenuHandle(), id, MF_BYCOMMAND) & MF_GRAYED);
    // The machine's inactivity lock, outside the policies' tree; each watch is armed again after its own change.
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kInactivityLockKey, kInactivityLockValue, REG_DWORD, &lock, sizeof(lock));
    EXPECT_TRUE(PumpUntil([&] { return policies.InactivityLock; }, std::chrono::seconds(30)));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInactivityLockKey, kInactivityLockValue);
    EXPECT_TRUE(PumpUntil([&] { return !policies.InactivityLock; }, std::chrono::seconds(30)));
}

// What holds it: a power request, the thread's execution state.
std::pair<bool, bool> Held(const TAwakeRequestWin32& request) {
    return {request.ByPowerRequest(), request.ByExecutionState()};
}
// A power request where the system grants one (Windows), else the thread's state (Wine 8).
std::pair<bool, bool> TheSystemsWay() {
    const auto f = TPowerRequestFunctions::System();
    REASON_CONTEXT why{POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING, {}};
    why.Reason.SimpleReasonString = const_cast<wchar_t*>(L"probe");
    HANDLE request = f.Create ? f.Create(&why) : INVALID_HANDLE_VALUE;
    const bool made = request && request != INVALID_HANDLE_VALUE;
    const bool granted = made && f.Set(request, PowerRequestSystemRequired);
    if (made) CloseHandle(request);
    return {granted, !granted};
}
constexpr std::pair<bool, bool> kNothing{false, false};

// A period holds the computer awake (by a power request, or where the
// system has none, by the thread's execution state) and says so in the
// tooltip; the stored option off holds nothing.
TEST(MainWindow, APeriodKeepsTheComputerAwakeAndTheTooltipSaysSo) {
    const EXECUTION_STATE awake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;
    const DWORD floor = 20;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane\\Triggers", L"MinBatteryPercent", REG_DWORD, &floor,
                    sizeof(floor));
    for (const bool keep : {true, false}) {
        const DWORD off = 0;
        if (!keep)
            RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane\\Triggers", L"KeepAwake", REG_DWORD,
                            &off, sizeof(off));
        TRun run(false);
        // Both items the program's: the display is held too.
        for (const auto box : {TControlId::cbManageScreenSaver, TControlId::cbManagePowerOff})
            run.Lumivane.Form().SetChecked(box, true);
        auto& held = run.Lumivane.Awake();
        SendMessageW(run.Main(), WM_COMMAND, static_cast<WPARAM>(TCommandId::actHalfHour), 0);
        EXPECT_EQ(run.Lumivane.Config().KeptAwake(), keep);
        EXPECT_EQ(Held(held), keep ? TheSystemsWay() : kNothing);
        EXPECT_EQ(run.Lumivane.NotifyIcon().ToolTip().ends_with(L", computer kept awake"), keep);
        if (held.ByExecutionState()) {
            EXPECT_EQ(SetThreadExecutionState(awake) & awake, awake) << "the thread's state holds it";
        }
        // Locked, the display is let go (the lock screen's own time-out turns
        // it off) and the computer stays held; unlocked, the display again.
        for (const WPARAM change : {WTS_SESSION_LOCK, WTS_SESSION_UNLOCK}) {
            SendMessageW(run.Main(), WM_WTSSESSION_CHANGE, change, 0);
            EXPECT_EQ(run.Lumivane.Config().DisplayKeptOn(), keep && change == WTS_SESSION_UNLOCK) << change;
            EXPECT_EQ(run.Lumivane.Config().KeptAwake(), keep) << change;
        }
        // A sleep ends what is held and says nothing (the thread's state cleared stands for it): the resume takes it again.
        if (held.ByExecutionState()) {
            SetThreadExecutionState(ES_CONTINUOUS);
            for (const WPARAM step : {PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND})
                SendMessageW(run.Main(), WM_POWERBROADCAST, step, 0);
            EXPECT_EQ(SetThreadExecutionState(awake) & awake, awake) << "held again after a resume";
        }
        // On battery below the stored floor (20 %) the computer is let go, and the tooltip says why.
        const auto power = [&](const GUID& setting, DWORD value) {
            struct { GUID Setting; DWORD Length; DWORD Value; } data{setting, sizeof(DWORD), value};
            SendMessageW(run.Main(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&data));
        };
        power(GUID_ACDC_POWER_SOURCE, 1);
        power(GUID_BATTERY_PERCENTAGE_REMAINING, 10);
        EXPECT_EQ(Held(held), kNothing);
        EXPECT_EQ(run.Lumivane.NotifyIcon().ToolTip().ends_with(L", battery below 20 %: not kept awake"), keep);
        power(GUID_ACDC_POWER_SOURCE, 0);
        EXPECT_EQ(run.Lumivane.Config().KeptAwake(), keep) << "on mains again";
        SendMessageW(run.Main(), WM_COMMAND, static_cast<WPARAM>(TCommandId::actActivate), 0);
        EXPECT_EQ(Held(held), kNothing);
        EXPECT_FALSE(run.Lumivane.NotifyIcon().ToolTip().ends_with(L", computer kept awake"));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane\\Triggers");
}

// The request's two ways, through the functions' seam (Wine has no power
// requests): the display only when asked, each part cleared, and the
// thread's state where the system refuses a request.
TEST(AwakeRequest, TheDisplayIsRequestedOnlyWhenAskedAndTheThreadStateStandsInForARefusedRequest) {
    static std::string calls;
    static bool refuse = false;
    TPowerRequestFunctions f;
    f.Create = [](PREASON_CONTEXT c) -> HANDLE {
        calls += c->Reason.SimpleReasonString == std::wstring(L"why") ? "create " : "create? ";
        return refuse ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(42);
    };
    f.Set = [](HANDLE, POWER_REQUEST_TYPE t) -> BOOL { return calls += "set" + std::to_string(t) + " ", TRUE; };
    f.Clear = [](HANDLE, POWER_REQUEST_TYPE t) -> BOOL { return calls += "clear" + std::to_string(t) + " ", TRUE; };
    f.Close = [](HANDLE h) -> BOOL { return calls += h == reinterpret_cast<HANDLE>(42) ? "close" : "close?", TRUE; };
    f.SetExecutionState = [](EXECUTION_STATE s) -> EXECUTION_STATE {
        char text[16];
        snprintf(text, sizeof(text), "state%lx ", static_cast<unsigned long>(s));
        return calls += text, ES_CONTINUOUS;
    };
    const struct {
        bool Refuse, Display;
        const char* Calls;
    } rows[] = {
        {false, true, "create set1 set0 | clear0 clear1 close"},
        {false, false, "create set1 | clear1 close"},
        {true, true, "create state80000003 | state80000000 "},
        {true, false, "create state80000001 | state80000000 "},
    };
    for (const auto& row : rows) {
        calls.clear();
        refuse = row.Refuse;
        TAwakeRequestWin32 request(f);
        EXPECT_TRUE(request.Hold(L"why", row.Display));
        EXPECT_EQ(request.ByPowerRequest(), !row.Refuse);
        calls += "| ";
        request.Release();
        request.Release();  // once only
        EXPECT_EQ(calls, row.Calls);
    }
}

// A listed program that runs (this test program, found by the scan at the
// settings' start) deactivates; the tooltip names it and the computer is
// kept awake. Unplugged with "Only on mains power", the trigger ends; plugged
// in again, it holds again.
TEST(MainWindow, AListedProgramDeactivatesOnlyOnMainsAndTheTooltipSaysWhy) {
    TSystemParametersWin32 spi;
    const auto saved = GetDisplayPowerConfiguration(spi);
    SetScreenSaverActive(spi, true, false);
    TRun run(false);
    auto& lumivane = run.Lumivane;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self = ProgramFileName(path);
    lumivane.Triggers().Apply({{L"vlc.exe", self}, false, true, true});
    const auto tip = [&] { return lumivane.NotifyIcon().ToolTip(); };
    EXPECT_TRUE(tip().starts_with(L"Deactivated while " + self.substr(0, 27))) << std::string(self.begin(), self.end());
    EXPECT_TRUE(tip().ends_with(L", computer kept awake"));
    EXPECT_FALSE(GetDisplayPowerConfiguration(spi).ScreenSaverSetting.Active);
    EXPECT_EQ(Held(lumivane.Awake()), TheSystemsWay());
    const auto source = [&](DWORD value) {  // GUID_ACDC_POWER_SOURCE: 0 mains, 1 battery
        struct {
            POWERBROADCAST_SETTING Head;
            DWORD Rest;
        } setting{{{0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}}, sizeof(DWORD), {}}, 0};
        memcpy(setting.Head.Data, &value, sizeof(value));
        SendMessageW(run.Main(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting));
    };
    source(1);
    EXPECT_TRUE(GetDisplayPowerConfiguration(spi).ScreenSaverSetting.Active) << "on battery it ends";
    EXPECT_EQ(tip().find(L"Deactivated while"), std::wstring::npos);
    EXPECT_EQ(Held(lumivane.Awake()), kNothing);
    source(0);
    EXPECT_FALSE(GetDisplayPowerConfiguration(spi).ScreenSaverSetting.Active) << "on mains it holds again";
    lumivane.Triggers().Apply({});
    EXPECT_TRUE(GetDisplayPowerConfiguration(spi).ScreenSaverSetting.Active) << "the list emptied";
    SetScreenSaverActive(spi, saved.ScreenSaverSetting.Active, false);
}

TEST(MainWindow, AnAnnouncedChangeShowsAtOnceWithoutWaitingForTheWatchdog) {
    TSystemParametersWin32 spi;
    const auto saved = GetDisplayPowerConfiguration(spi);
    SetScreenSaverActive(spi, true, false);
    TRun run(false);
    TLumivaneWin32& lumivane = run.Lumivane;
    ShowWindow(lumivane.Main().Handle(), SW_SHOWNOACTIVATE);
    HWND label = lumivane.Main().Control(TControlId::lblScreenSaverActive);
    ASSERT_EQ(WindowText(label), L"Yes");
    for (const auto& [message, wParam] : {std::pair<UINT, WPARAM>{WM_SETTINGCHANGE, SPI_SETSCREENSAVEACTIVE},
                                          std::pair<UINT, WPARAM>{WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE}}) {
        const bool active = GetScreenSaverActive(spi);
        SetScreenSaverActive(spi, !active, false);
        SendMessageW(lumivane.Main().Handle(), message, wParam, 0);  // no message pumped: no timer ran
        EXPECT_EQ(WindowText(label), active ? L"No" : L"Yes") << message;
    }
    SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active, saved.ScreenSaverSetting.Timeout, false);
}

TEST(PowerPlan, TheNotesReadTheChosenScreenSaverAndThePolicies) {
    TSystemParametersWin32 spi;
    TPowerPlanWin32 functions;
    TPowerPlanParameters plan(spi, functions);
    TDisplayPowerNotesWin32 notes(plan, functions);
    const wchar_t* desktop = L"Control Panel\\Desktop";
    const wchar_t* policy = L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
    wchar_t saved[MAX_PATH] = {};
    DWORD size = sizeof(saved);
    const bool had = RegGetValueW(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE", RRF_RT_REG_SZ, nullptr, saved, &size) ==
                     ERROR_SUCCESS;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE");
    EXPECT_EQ(notes.ScreenSaverNote(), L"(none chosen)");
    const wchar_t chosen[] = L"C:\\windows\\system32\\bubbles.scr";
    RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE", REG_SZ, chosen, sizeof(chosen));
    EXPECT_EQ(notes.ScreenSaverNote(), L"(none chosen)") << "read again only when a change is announced";
    notes.Reload();
    EXPECT_EQ(notes.ScreenSaverNote(), L"");
    // The user's policy or the machine's; the display time-out's is read from
    // the machine's registry only where the system has no access check to ask.
    ASSERT_EQ(functions.PolicySetsDisplayTimeout(), std::nullopt) << "Wine's power library has no access check";
    const wchar_t* timeout =
        L"SOFTWARE\\Policies\\Microsoft\\Power\\PowerSettings\\3C0BC021-C8A8-4E07-A973-6B14CBCB2B7E";
    const std::tuple<HKEY, const wchar_t*, const wchar_t*> policies[] = {
        {HKEY_CURRENT_USER, policy, L"ScreenSaveActive"},
        {HKEY_CURRENT_USER, policy, L"ScreenSaverIsSecure"},
        {HKEY_LOCAL_MACHINE, policy, L"SCRNSAVE.EXE"},
        {HKEY_LOCAL_MACHINE, timeout, L"ACSettingIndex"},
        {HKEY_LOCAL_MACHINE, timeout, L"DCSettingIndex"}};
    const DWORD on = 1;
    for (const auto& [root, key, name] : policies) {
        ASSERT_EQ(RegSetKeyValueW(root, key, name, REG_DWORD, &on, sizeof(on)), ERROR_SUCCESS) << name;
        notes.Reload();
        EXPECT_EQ(notes.ScreenSaverNote(), key == policy ? L"(set by policy)" : L"") << name;
        EXPECT_EQ(notes.PowerOffNote(), key == timeout ? L"(set by policy)" : L"") << name;
        RegDeleteKeyValueW(root, key, name);
    }
    if (had)
        RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE", REG_SZ, saved,
                        static_cast<DWORD>((lstrlenW(saved) + 1) * sizeof(wchar_t)));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE");
}

TEST(MainWindow, AHundredThousandRefreshesLeakNothing) {
    TLumivaneWin32 lumivane(nullptr);
    ASSERT_TRUE(lumivane.Create(L"Lumivane"));
    TfMain_lumivane& main = lumivane.Main();
    auto usage = []() -> SIZE_T {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
        if (counters.PrivateUsage) return counters.PrivateUsage;
        // Wine leaves it 0; its process is a Linux one whose anonymous memory
        // is the program's own.
        std::ifstream status("Z:\\proc\\self\\status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("RssAnon:", 0) == 0) return std::stoul(line.substr(8)) * 1024;
        ADD_FAILURE() << "no way to read this process's memory";
        return 0;
    };
    for (int i = 0; i < 2000; ++i) lumivane.Status().UpdateStatus();  // warm up
    const SIZE_T memoryBefore = usage();
    // The heap grows by steps of its own whatever leaks; so many refreshes
    // that the smallest block lost each time outgrows any such step.
    constexpr int kRefreshes = 100000;
    for (int i = 0; i < kRefreshes; ++i) lumivane.Status().UpdateStatus();
    // Wine answers 0 for GDI, USER and handle counts, so a check on them
    // could not fail here: the seams count every icon made and destroyed.
    EXPECT_LE(main.StateIcons().Loaded(), 8) << "each state picture is loaded once";
    EXPECT_LE(lumivane.Shell().IconsCreated(), 10) << "an unchanged status hands no picture over";
    EXPECT_EQ(lumivane.Shell().IconsCreated() - lumivane.Shell().IconsDestroyed(), 1) << "one copy held";
    const SIZE_T memoryAfter = usage();
    EXPECT_LT(memoryAfter, memoryBefore + 1024 * 1024) << "private memory stays flat (under 11 bytes a refresh)";
    std::printf("memory before %zu KiB, after %d refreshes %zu KiB\n", memoryBefore / 1024, kRefreshes,
                memoryAfter / 1024);
}

}  // namespace
}  // namespace lumivane::test
