// The options through the real window and the real registry, and the ways
// the window is closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Pump.h"
#include "ProgramRun.h"
#include "app/CompositionWin32.h"
#include "ui/AboutWin32.h"
#include "ui/ShowHtmlWin32.h"
#include "common/ExpectedTexts.h"
#include "common/FreshOptions.h"

namespace lumivane::test {
namespace {

using C = TControlId;

struct TRegistryValue {
    DWORD Type = 0;
    DWORD Size = 0;
    std::wstring Text;
    DWORD Number = 0;
    std::vector<BYTE> Bytes;
    bool Found = false;
};

TRegistryValue ReadValue(const wchar_t* key, const wchar_t* name) {
    TRegistryValue v;
    BYTE data[1024] = {};
    v.Size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &v.Type, data, &v.Size) != ERROR_SUCCESS)
        return v;
    v.Found = true;
    v.Bytes.assign(data, data + v.Size);
    if (v.Type == REG_DWORD) v.Number = *reinterpret_cast<DWORD*>(data);
    if (v.Type == REG_SZ) v.Text = reinterpret_cast<wchar_t*>(data);
    return v;
}

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
    const wchar_t* key = kExpectedOptionsKey;
    std::set<std::wstring> expectedNames;
    for (const TExpectedValue& expected : kExpectedOptionValues) {
        expectedNames.insert(expected.Name);
        const TRegistryValue v = ReadValue(key, expected.Name);
        EXPECT_TRUE(v.Found && v.Type == expected.Type && v.Size == 4)
            << "value " << testing::PrintToString(std::wstring(expected.Name)) << ": type " << v.Type << ", "
            << v.Size << " bytes";
    }
    EXPECT_EQ(StoredValueNames(key), expectedNames) << "the save writes these values and no other";
    EXPECT_EQ(ReadValue(key, StoredName(C::cbUpdateSettings)).Number, 0u);
    EXPECT_EQ(ReadValue(key, StoredName(C::edContinuousModeDelay)).Number, 7u);
    EXPECT_EQ(ReadValue(key, StoredName(C::HotKeyPowerOff)).Number, static_cast<DWORD>(kScCtrl | kScShift | 'Q'));
    EXPECT_FALSE(ReadValue(key, kExpectedHighColorValue.Name).Found) << "never written";
    const TRegistryValue run = ReadValue(kExpectedRunKey, L"Lumivane");
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
    EXPECT_FALSE(ReadValue(kExpectedRunKey, L"Lumivane").Found);
}

// Task Manager's start-up switches, as Windows 10 and 11 keep them: a flag of
// four bytes whose low bit says "disabled", then when it was set.
const wchar_t* const kApprovedKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::vector<BYTE> PutMark(const wchar_t* name, BYTE flag) {
    const std::vector<BYTE> mark = {flag, 0, 0, 0, 0x10, 0x2A, 0x5C, 0x7E, 0x91, 0x4D, 0xDA, 0x01};
    RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, name, REG_BINARY, mark.data(), static_cast<DWORD>(mark.size()));
    return mark;
}

void PutText(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The marks are not stored options: each test takes its own away.
struct TMarksGone {
    ~TMarksGone() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, L"Lumivane");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, L"Lumivane test other");
    }
};

TEST(OptionsWindow, TaskManagersStartupSwitchShowsInTheBoxAndTheUsersChoiceClearsOnlyItsOwn) {
    TMarksGone marksGone;
    const std::wstring ours = L"\"" + ProgramPath() + L"\" -quiet";
    StoreOption(StoredName(C::cbStartWithWindows), 1);
    PutText(kExpectedRunKey, L"Lumivane", ours);
    PutMark(L"Lumivane", 0x03);
    const std::vector<BYTE> other = PutMark(L"Lumivane test other", 0x03);
    {
        TRun run;
        EXPECT_FALSE(run.Checked(C::cbStartWithWindows)) << "disabled in Task Manager: it will not start";
        run.Click(C::cbStartWithWindows);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);
    }
    EXPECT_FALSE(ReadValue(kApprovedKey, L"Lumivane").Found) << "checked by the user: it starts again";
    EXPECT_EQ(ReadValue(kExpectedRunKey, L"Lumivane").Text, ours);
    EXPECT_EQ(ReadValue(kApprovedKey, L"Lumivane test other").Bytes, other);

    PutMark(L"Lumivane", 0x02);
    {
        TRun run;
        EXPECT_TRUE(run.Checked(C::cbStartWithWindows)) << "enabled in Task Manager";
        run.Click(C::cbStartWithWindows);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);
    }
    EXPECT_FALSE(ReadValue(kExpectedRunKey, L"Lumivane").Found);
    EXPECT_FALSE(ReadValue(kApprovedKey, L"Lumivane").Found) << "unchecked: nothing of it is left";
    EXPECT_EQ(ReadValue(kApprovedKey, L"Lumivane test other").Bytes, other);
}

TEST(OptionsWindow, AnotherCopysStartupEntryStaysUntilItsProgramIsGone) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring installed = std::wstring(folder) + L"Lumivane test copy.exe";
    CloseHandle(CreateFileW(installed.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::wstring theirs = L"\"" + installed + L"\" -quiet";
    StoreOption(StoredName(C::cbStartWithWindows), 1);
    PutText(kExpectedRunKey, L"Lumivane", theirs);
    {
        TRun run;
        ASSERT_TRUE(run.Checked(C::cbStartWithWindows));
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);
    }
    EXPECT_EQ(ReadValue(kExpectedRunKey, L"Lumivane").Text, theirs) << "this copy saved, and ended, without taking it";
    DeleteFileW(installed.c_str());
    {
        TRun run;
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);
    }
    EXPECT_EQ(ReadValue(kExpectedRunKey, L"Lumivane").Text, L"\"" + ProgramPath() + L"\" -quiet")
        << "an entry that leads nowhere goes to this copy";
}

TEST(OptionsWindow, TheCloseCommandSavesAndHidesWhileACloseMessageOnlyAsksTheEnd) {
    TRun run;
    run.Click(C::cbUpdateSettings);
    SendMessageW(run.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(run.Main()));
    EXPECT_TRUE(run.Lumivane.NotifyIcon().Visible());
    EXPECT_FALSE(QuitPosted()) << "closing never ends the program";
    EXPECT_EQ(ReadValue(kExpectedOptionsKey, StoredName(C::cbUpdateSettings)).Number, 1u) << "saved";
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
        // Within the message: once it is answered, the process may be ended.
        SendMessageW(run.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_TRUE(GetScreenSaverActive(spi)) << "restored before the process can be ended";
        EXPECT_EQ(ReadValue(kExpectedOptionsKey, StoredName(C::cbPreserveConfiguration)).Number, 1u) << "saved";
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
    // A process that no longer runs: its id cannot be opened.
    StoreOption(JournalName(), L"v1 4294967280 1 0 1,600,0,0 0,600,0,0");
    {
        TRun run;
        EXPECT_TRUE(GetScreenSaverActive(spi)) << "put back before the capture";
        EXPECT_TRUE(run.Lumivane.Config().FInitialConfiguration.ScreenSaverSetting.Active);
        EXPECT_EQ(run.Lumivane.Shell().LastBalloon(),
                  L"Lumivane did not end normally last time. Put back: screen saver on, 10 min.");
    }
    SetScreenSaverConfiguration(spi, saved.ScreenSaverSetting.Active, saved.ScreenSaverSetting.Timeout, true);
}

}  // namespace
}  // namespace lumivane::test
