// A run that is killed leaves the user's settings as it had them; the next
// start puts them back.
#include <gtest/gtest.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "ui/Commands.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

// The screen-saver flag as the user's profile holds it: what the next log-on
// gets, and what another process sees.
std::wstring StoredScreenSaveActive() {
    wchar_t value[16] = {};
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value,
                 &size);
    return value;
}

// This desktop session's journal.
std::wstring JournalName() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return L"Restore journal " + std::to_wstring(session);
}

bool HasJournal() {
    DWORD size = 0;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", JournalName().c_str(), RRF_RT_REG_SZ,
                        nullptr, nullptr, &size) == ERROR_SUCCESS;
}

void StoreDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", name, REG_DWORD, &value, sizeof(value));
}

TEST(Journal, AKilledRunsPermanentDeactivationIsUndoneAtTheNextStartAndACleanEndLeavesNone) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
    ASSERT_EQ(StoredScreenSaveActive(), L"1");
    StoreDword(L"Store changes permanently ", 1);
    StoreDword(L"Control screen saver", 1);
    {
        TLumivane lumivane(L"-quiet");
        HWND main = lumivane.MainWindow(10s);
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actHalfHour), 0);
        ASSERT_TRUE(PollUntil([] { return StoredScreenSaveActive() == L"0"; }, 5s)) << "deactivated for good";
        EXPECT_TRUE(HasJournal());
        lumivane.Kill();
    }
    EXPECT_EQ(StoredScreenSaveActive(), L"0") << "the killed run left it off";
    {
        TLumivane again(L"-quiet");
        ASSERT_NE(again.MainWindow(10s), nullptr);
        EXPECT_EQ(StoredScreenSaveActive(), L"1") << "put back at the start, for good as it was taken";
        EXPECT_FALSE(HasJournal());
    }
    EXPECT_FALSE(HasJournal()) << "a clean end leaves no journal";
}

TEST(Journal, AJournalOfARunningProcessIsLeftAloneAndACorruptOneIsRemoved) {
    // This test program stands for the other run that still goes on.
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const std::wstring journal = L"v1 " + std::to_wstring(GetCurrentProcessId()) + L" " +
                                 std::to_wstring(static_cast<uint64_t>(created.dwHighDateTime) << 32 |
                                                 created.dwLowDateTime) +
                                 L" 0 1,600,1,1200 0,600,0,1200";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", JournalName().c_str(), REG_SZ, journal.c_str(),
                    static_cast<DWORD>((journal.size() + 1) * sizeof(wchar_t)));
    {
        TLumivane lumivane(L"-quiet");
        ASSERT_NE(lumivane.MainWindow(10s), nullptr);
        EXPECT_TRUE(HasJournal()) << "its owner still runs";
    }
    const wchar_t corrupt[] = L"not a journal";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", JournalName().c_str(), REG_SZ, corrupt,
                    sizeof(corrupt));
    TLumivane lumivane(L"-quiet");
    ASSERT_NE(lumivane.MainWindow(10s), nullptr);
    EXPECT_FALSE(HasJournal());
}

}  // namespace
}  // namespace lumivane::e2e
