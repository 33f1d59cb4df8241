// A run that is killed leaves the user's settings as it had them; the next
// start puts them back.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "base/CommandIds.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

TEST(Journal, AKilledRunsPermanentDeactivationIsUndoneAtTheNextStartAndACleanEndLeavesNone) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
    ASSERT_EQ(StoredScreenSaveActive(), L"1");
    StoreOption(L"Store changes permanently ", 1);
    StoreOption(L"Control screen saver", 1);
    {
        TLumivane lumivane(L"-quiet");
        HWND main = lumivane.MainWindow(10s);
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actHalfHour), 0);
        ASSERT_TRUE(PollUntil([] { return StoredScreenSaveActive() == L"0"; }, 30s)) << "deactivated for good";
        EXPECT_TRUE(HasStoredValue(JournalName()));
        lumivane.Kill();
    }
    EXPECT_EQ(StoredScreenSaveActive(), L"0") << "the killed run left it off";
    {
        TLumivane again(L"-quiet");
        ASSERT_NE(again.MainWindow(10s), nullptr);
        // A window may be found before its start steps are through.
        EXPECT_TRUE(PollUntil([] { return StoredScreenSaveActive() == L"1"; }, 30s))
            << "put back at the start, for good as it was taken";
        EXPECT_FALSE(HasStoredValue(JournalName()));
    }
    EXPECT_FALSE(HasStoredValue(JournalName())) << "a clean end leaves no journal";
}

TEST(Journal, AnotherSessionsLiveRunKeepsItsJournalAndAnythingElseOfTheUsersIsALostRunsOrUnreadable) {
    // This test program stands for a run that goes on in another session:
    // it holds the run marker of its journal.
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const std::wstring self = std::to_wstring(GetCurrentProcessId()) + L" " +
                              std::to_wstring(static_cast<uint64_t>(created.dwHighDateTime) << 32 |
                                              created.dwLowDateTime);
    // Made as the program makes it: owned by the user (an object of that
    // name of another owner is anyone's, and no marker).
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256];
    DWORD length = 0;
    GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &length);
    CloseHandle(token);
    wchar_t* sid = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
    PSECURITY_DESCRIPTOR sd = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW((L"O:" + std::wstring(sid) + L"D:P(A;;GA;;;WD)").c_str(),
                                                         SDDL_REVISION_1, &sd, nullptr);
    LocalFree(sid);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd, FALSE};
    HANDLE marker = CreateMutexW(&attributes, FALSE, (L"Global\\Tessaly Lumivane run " + self).c_str());
    LocalFree(sd);
    ASSERT_NE(marker, nullptr);
    const std::wstring live = L"v2 " + self + L" 1 0,600,1,1200 0,600,1,1200";
    StoreOption(L"Restore journal 99", live);
    // This session's journal of a run that is gone: a lost run's.
    StoreOption(JournalName(), L"v1 4242 1 0 1,600,1,1200 0,600,1,1200");
    StoreOption(L"Restore journal 98", L"not a journal");
    {
        TLumivane lumivane(L"-quiet");
        ASSERT_NE(lumivane.MainWindow(10s), nullptr);
        EXPECT_FALSE(HasStoredValue(JournalName())) << "this session's was read and taken as a lost run's";
        EXPECT_TRUE(HasStoredValue(L"Restore journal 98")) << "one that cannot be read is left alone";
        EXPECT_TRUE(HasStoredValue(L"Restore journal 99")) << "its owner still runs";
    }
    wchar_t kept[256] = {};
    DWORD size = sizeof(kept);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", L"Restore journal 99", RRF_RT_REG_SZ, nullptr,
                 kept, &size);
    EXPECT_EQ(kept, live) << "kept as it was, also by the clean end";
    CloseHandle(marker);
    TLumivane after(L"-quiet");
    ASSERT_NE(after.MainWindow(10s), nullptr);
    EXPECT_FALSE(HasStoredValue(L"Restore journal 99")) << "once its run is gone, it is a lost run's";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", L"Restore journal 98");
}

}  // namespace
}  // namespace lumivane::e2e
