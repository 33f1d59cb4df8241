// Which program RunProcess starts: system programs from the system folder
// only, never a same-named file in the current folder, and in that folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <cwctype>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/SetupFolderWin32.h"
#include "app/UsualFunctionsWin32.h"
#include "common/StandInPower.h"
#include "common/TempFolder.h"
#include "config/ProcessTableWin32.h"
#include "sources/TriggerWatchWin32.h"
#include "win32/NamedObjectsWin32.h"

namespace lumivane::test {
namespace {

const std::wstring kSystem = L"C:\\Windows\\system32";

TEST(ProgramToStart, BareNameIsTakenFromTheSystemFolder) {
    EXPECT_EQ(ProgramToStart(L"rundll32.exe", L"shell32.dll,Control_RunDLL desk.cpl,,1", kSystem),
              L"C:\\Windows\\system32\\rundll32.exe");
    // The application name is never completed by the system: we add ".exe".
    EXPECT_EQ(ProgramToStart(L"rundll32", L"", kSystem), L"C:\\Windows\\system32\\rundll32.exe");
}

TEST(ProgramToStart, WithoutAFileNameTheFirstWordOfTheParametersIsTheProgram) {
    EXPECT_EQ(ProgramToStart(L"", L"notepad.exe x", kSystem), L"C:\\Windows\\system32\\notepad.exe");
    EXPECT_EQ(ProgramToStart(L"", L"  \"C:\\Prog \u00e9\\a.exe\" x y", kSystem),
              L"C:\\Prog \u00e9\\a.exe");
    EXPECT_EQ(ProgramToStart(L"", L"C:\\Tools\\b.exe /q", kSystem), L"C:\\Tools\\b.exe");
}

TEST(ProgramToStart, ANameWithAFolderIsTakenAsGiven) {
    EXPECT_EQ(ProgramToStart(L"C:\\Program Files\\x.exe", L"a", kSystem), L"C:\\Program Files\\x.exe");
    EXPECT_EQ(ProgramToStart(L"D:x.exe", L"", kSystem), L"D:x.exe");
    EXPECT_EQ(ProgramToStart(L"tools/x.exe", L"", kSystem), L"tools/x.exe");
}

TEST(ProgramToStart, NothingToStartRatherThanASearch) {
    EXPECT_EQ(ProgramToStart(L"", L"", kSystem), L"");
    EXPECT_EQ(ProgramToStart(L"", L"   ", kSystem), L"");
    // Without the system folder a bare name would go back to the search path.
    EXPECT_EQ(ProgramToStart(L"rundll32.exe", L"", L""), L"");
}

TEST(SystemFolderTest, IsTheSystemDirectoryWithoutTrailingBackslash) {
    wchar_t buffer[MAX_PATH];
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::wstring folder = SystemFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_EQ(lstrcmpiW(folder.c_str(), std::wstring(buffer, length).c_str()), 0);
    EXPECT_NE(GetFileAttributesW((folder + L"\\rundll32.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A folder (the way a download folder is) holding a planted cmd.exe that
// writes down where it ran; the test works from inside that folder.
struct PlantedProgramTest : ::testing::Test {
    TPlantFolder Plants{L"lumivane planted", true};
    std::wstring Planted, Mark = Plants.Folder + L"\\planted-program-ran";

    void SetUp() override {
        ASSERT_TRUE(Plants.Entered);
        ASSERT_NE(Planted = Plants.Plant(OwnFolder() + L"\\lumivane_planted_program.exe", L"cmd.exe"), L"");
    }
};

// Whether a started program wrote `folder` down as its current one.
::testing::AssertionResult RanIn(const std::wstring& file, const std::wstring& folder) {
    const std::vector<char> bytes = FileBytes(file);
    std::wstring text(bytes.begin(), bytes.end());
    while (!text.empty() && std::iswspace(text.back())) text.pop_back();
    if (lstrcmpiW(text.c_str(), folder.c_str()) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (Exists(file) ? "ran in " : "never ran ") << testing::PrintToString(text);
}

TEST_F(PlantedProgramTest, AProgramNamedByItsPathRunsInTheCallersFolder) {
    // Proves that the test below would see the planted program run; the
    // path has a space in it and is not quoted on the command line.
    TProcessStarterWin32().RunProcess(Planted, L"", 0, true, SW_HIDE);
    EXPECT_TRUE(RanIn(Mark, Plants.Folder));
}

TEST_F(PlantedProgramTest, ASystemProgramRunsFromTheSystemFolderInItAndNeverFromTheCurrentOne) {
    const std::wstring written = Plants.Folder + L"\\system-program-ran";
    const std::wstring line = L"/c cd > \"" + written + L"\"";
    const std::pair<std::wstring, std::wstring> starts[] = {{L"cmd.exe", line}, {L"", L"cmd.exe " + line}};
    for (const auto& [file, parameters] : starts) {
        DeleteFileW(written.c_str());
        TProcessStarterWin32().RunProcess(file, parameters, 0, true, SW_HIDE);
        EXPECT_FALSE(Exists(Mark)) << "the planted one ran: " << testing::PrintToString(file);
        EXPECT_TRUE(RanIn(written, SystemFolder())) << testing::PrintToString(file);
    }
}

// Answers Wine never gives, put in: a full-screen window holds only while no
// saver, shell state or lock says the user is away; a failing session list
// falls back to the machine's, this session's processes only.
TEST(TriggerWatch, FullScreenYieldsToTheSaverTheShellAndTheLockAndAFailedListFallsBack) {
    bool saver = false;
    TShellState shell = TShellState::AcceptsNotifications;
    uint64_t now = 1000;
    std::wstring cause;
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"slides", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  nullptr, nullptr);
    SetForegroundWindow(window);
    TTriggerWatchWin32 watch([&] { return window; }, [&](const std::wstring& c) { cause = c; },
                             {[&] { return saver; }, [&] { return shell; }, [&] { return now; },
                              [] { return std::optional<std::vector<TRunningProcess>>(); }, {}});
    watch.Apply({{}, true, false, true});
    const auto settled = [&] {  // 4.5 s of ticks: a state asked every 2 s, then settled for 2 s
        for (int tick = 0; tick < 10; ++tick, now += 500) watch.Tick();
        return cause;
    };
    EXPECT_EQ(settled(), kFullScreenCause);
    // Locked, what holds stays and nothing starts: the lock changes nothing.
    const std::tuple<bool, TShellState, bool, bool, const wchar_t*> away[] = {
        {true, shell, false, false, L""},
        {false, TShellState::NotPresent, false, false, L""},
        {false, shell, true, false, kFullScreenCause},
        {true, shell, false, true, L""}};
    for (const auto& [running, state, locked, lockedAfter, expected] : away) {
        saver = running, shell = state;
        watch.SetSessionLocked(locked);
        EXPECT_EQ(settled(), expected) << static_cast<int>(state) << locked;
        saver = false, shell = TShellState::AcceptsNotifications;
        watch.SetSessionLocked(lockedAfter);
        EXPECT_EQ(settled(), lockedAfter ? L"" : kFullScreenCause) << lockedAfter;
    }
    watch.SetSessionLocked(false);
    PROCESS_INFORMATION job{};
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    wchar_t line[] = L"job -wait";
    ASSERT_TRUE(CreateProcessW((OwnFolder() + L"\\lumivane_planted_program.exe").c_str(), line, nullptr, nullptr,
                               FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &job));
    watch.Apply({{L"lumivane_planted_program"}, false, false, true});
    EXPECT_EQ(cause, L"lumivane_planted_program.exe");
    TerminateProcess(job.hProcess, 0);
    WaitForSingleObject(job.hProcess, 10000);
    watch.ProgramEnded(job.dwProcessId);
    EXPECT_EQ(cause, L"") << "its end";
    CloseHandle(job.hProcess);
    CloseHandle(job.hThread);
    DestroyWindow(window);
}

}  // namespace
}  // namespace lumivane::test

namespace lumivane::test {
namespace {

// A copy of this user's with administrator rights makes its objects with an
// access list that the normal token fails: "access denied" means "it runs",
// while its process does. Anyone may make an object of a marker's name: only
// one that this user owns is a run's marker.
TEST(NamedObjects, AMarkerCountsAsHeldOnlyWhenTheUsersOrDeniedWhileItsProcessRuns) {
    uint32_t self = 0;
    uint64_t start = 0;
    {
        TProcessTableWin32 probe;  // its own marker goes with it
        self = probe.CurrentProcessId(), start = probe.CurrentProcessStart();
    }
    // Made with that access list, or as ours (none).
    const auto make = [](const wchar_t* descriptor, const std::wstring& name) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (descriptor) ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &sd, nullptr);
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd, FALSE};
        TUniqueKernelHandle made(descriptor ? CreateMutexW(&attributes, FALSE, name.c_str()) : OwnMutex(name).Release());
        LocalFree(sd);
        return made;
    };
    const struct { const wchar_t* Descriptor; uint32_t Pid; uint64_t Start; bool Held; } rows[] = {
        {L"O:SYD:P(A;;GA;;;SY)", self, start, true},  // denied, its process runs
        {L"O:SYD:P(A;;GA;;;SY)", 4242, 1, false},     // denied, no such process: squatted
        {L"O:BAD:(A;;GA;;;WD)", 4242, 2, false},      // open to all, owned by someone else
        {nullptr, 4242, 3, true},
    };
    std::vector<TUniqueKernelHandle> made;
    for (const auto& r : rows) made.push_back(make(r.Descriptor, RunMarkerName(r.Pid, r.Start)));
    TProcessTableWin32 processes;
    for (const auto& r : rows) EXPECT_EQ(processes.RunMarkerHeld(r.Pid, r.Start), r.Held) << r.Pid << " " << r.Start;
    EXPECT_FALSE(processes.RunMarkerHeld(4242, 4)) << "none";
    const TUniqueKernelHandle foreign = make(L"D:P(A;;GA;;;SY)", L"Lumivane test instance");
    bool existed = false;
    TUniqueKernelHandle second(CreateOwnMutex(L"Lumivane test instance", true, existed));
    EXPECT_TRUE(foreign && existed) << "an instance object we may not open: a copy runs";
    TUniqueKernelHandle own(CreateOwnMutex(L"Lumivane test own", true, existed));
    TUniqueKernelHandle again(CreateOwnMutex(L"Lumivane test own", false, existed));
    EXPECT_TRUE(own && again && existed) << "ours: a second open by the same user succeeds";
}

// The setup's folder: its access list is asked for once, naming this user,
// and only where there is no folder yet; Wine keeps no list to read back.
TEST(SetupFolder, MadeWithTheUsersOwnListAndAnotherOwnersFolderRefused) {
    using O = TSetupFolderOutcome;
    const std::vector<BYTE> user = TokenUserOf(GetCurrentProcess());
    wchar_t* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, &text));
    const std::wstring sid(text), list = L"O:" + sid + L"D:P(A;OICI;FA;;;" + sid + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    LocalFree(text);
    TPlantFolder temp(L"Lumivane setup folder");
    const std::wstring parent = temp.Folder + L"\\R&D %TEMP%", folder = parent + L"\\Lumivane";
    // The owner of a folder that is there ("": one that cannot be read).
    const struct { std::optional<std::wstring> Owner; bool Made; O Outcome; } rows[] = {
        {std::nullopt, true, O::Made},       {std::nullopt, false, O::Failed}, {sid, true, O::Existed},
        {L"S-1-5-32-544", true, O::Existed}, {L"S-1-5-18", true, O::Existed},  {L"S-1-5-21-7-8-9-1001", true, O::Foreign},
        {L"", true, O::Foreign},
    };
    for (const auto& row : rows) {
        std::wstring asked;  // the folder and the list of each making
        const auto make = [&](const std::wstring& f, const std::wstring& d) { asked += f + L" " + d; return row.Made; };
        EXPECT_EQ(MakeSetupFolderWin32(folder, {make, [&](const std::wstring&) { return row.Owner; }}), row.Outcome);
        EXPECT_EQ(asked, row.Owner ? L"" : folder + L" " + list) << &row - rows;
        if (!row.Owner) { EXPECT_TRUE(Exists(parent)) << "the parents are made plainly"; }
    }
    EXPECT_EQ(MakeSetupFolderWin32(folder), O::Made);
    EXPECT_EQ(MakeSetupFolderWin32(folder), O::Existed) << "this user's own, found by its owner";
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(parent.c_str());
}

}  // namespace
}  // namespace lumivane::test
