// Driving the running Lumivane.exe from the command line, as a script does:
// through cmd, reading what is printed and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "Harness.h"
#include "base/CommandIds.h"
#include "ui/TriggersDialogWin32.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

struct TOutput {
    bool Started = false;
    bool Ended = false;
    DWORD Code = 0;
    std::string Text;
};

// Runs "Lumivane arguments" through cmd /c with its output in a pipe, as a
// script does: the console's way in, Lumivane.com, runs Lumivane.exe.
TOutput CommandOnce(const std::wstring& arguments) {
    std::wstring program = LumivanePath();
    program.resize(program.size() - 4);  // no ".exe": cmd takes the extension from PATHEXT
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return {};
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    std::wstring line = L"cmd.exe /c \"\"" + program + L"\" " + arguments + L"\"";
    PROCESS_INFORMATION info{};
    TOutput out;
    out.Started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(write);
    if (out.Started) {
        // Over once every holder has let the pipe go: the start, and a copy it left running.
        out.Ended = PollUntil([&] {
            char buffer[512];
            DWORD got = 0;
            if (!PeekNamedPipe(read, nullptr, 0, nullptr, &got, nullptr)) return true;
            if (got && ReadFile(read, buffer, std::min<DWORD>(got, 512), &got, nullptr)) out.Text.append(buffer, got);
            return false;
        }, 60s) && WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
        GetExitCodeProcess(info.hProcess, &out.Code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(read);
    while (!out.Text.empty() && (out.Text.back() == '\n' || out.Text.back() == '\r')) out.Text.pop_back();
    return out;
}

// Wine now and then refuses a start that follows another process's end at
// once (the rig's, as TLumivane's start says): cmd's own start fails, or cmd
// answers 9009, its code for a start of the program that failed. The
// program itself never answers 9009.
TOutput Command(const std::wstring& arguments) {
    TOutput out;
    PollUntil([&] { return (out = CommandOnce(arguments)).Started && out.Code != 9009; }, 30s);
    return out;
}

struct TClockTime {
    std::string Typed;  // "HH:mm", as a command takes it
    std::string Shown;  // as the system writes it in the user's long time format, with its day
};
// The whole minute `minutes` after `now` (local time).
TClockTime ClockIn(int minutes, SYSTEMTIME now = [] { SYSTEMTIME t{}; GetLocalTime(&t); return t; }()) {
    const int total = now.wHour * 60 + now.wMinute + minutes, at = total % (24 * 60);
    now.wHour = static_cast<WORD>(at / 60);
    now.wMinute = static_cast<WORD>(at % 60);
    now.wSecond = now.wMilliseconds = 0;
    wchar_t shown[64] = {};
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, shown, 64);
    char typed[8];
    std::snprintf(typed, sizeof(typed), "%02d:%02d", at / 60, at % 60);
    const std::wstring wide = shown;
    return {typed, std::string(wide.begin(), wide.end()) + (total >= 24 * 60 ? " tomorrow" : "")};
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(ControlCommands, APeriodAnEndTimeTheStatusAndExitReachTheRunningCopy) {
    const TScreenSaverOn screenSaverOn;
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);

    TOutput out = Command(L"-deactivate-for 2m");
    const std::string end = out.Text;
    EXPECT_EQ(out.Code, 0u) << out.Text;
    EXPECT_EQ(end.rfind("deactivated until ", 0), 0u) << out.Text;
    EXPECT_FALSE(IsWindowVisible(main)) << "the copy stays in the notification area";
    EXPECT_TRUE(AnyJournal()) << "the change is journalled";

    out = Command(L"-status");
    EXPECT_EQ(out.Code, 2u);
    EXPECT_EQ(out.Text, end) << "the same end, written the same way";

    // A minute ago is tomorrow's: the line says so.
    const TClockTime ago = ClockIn(24 * 60 - 1), until = ClockIn(3);
    for (const TClockTime& at : {ago, until}) {
        out = Command(L"-deactivate-until " + Wide(at.Typed));
        EXPECT_EQ(out.Code, 0u) << out.Text;
        out = Command(L"/STATUS");
        EXPECT_EQ(out.Code, 2u);
        EXPECT_EQ(out.Text, "deactivated until " + at.Shown + " (screen saver: disabled, monitor power-off: never)");
    }

    // Bad input: the usage, 64, and the running copy untouched.
    out = Command(L"-deactivate-for 5x");
    EXPECT_EQ(out.Code, 64u);
    EXPECT_EQ(out.Text.rfind("Not a duration: 5x", 0), 0u) << out.Text;
    EXPECT_EQ(Command(L"-status").Text.rfind("deactivated until " + until.Shown + " (", 0), DWORD{0});

    out = Command(L"-activate");
    EXPECT_EQ(out.Code, DWORD{0});
    EXPECT_EQ(Command(L"-status").Code, DWORD{0});
    out = Command(L"-exit");
    EXPECT_EQ(out.Code, DWORD{0});
    EXPECT_TRUE(lumivane.Wait(5s).Ended) << "-exit returns once the copy has ended";
    EXPECT_FALSE(AnyJournal()) << "its end steps ran";
    EXPECT_EQ(Command(L"-status").Code, 3u);
}

TEST(ControlCommands, WithNoCopyRunningACommandStartsOneHiddenAPlainStartOneShownAndStatusNone) {
    TOutput out = Command(L"-status");
    EXPECT_EQ(out.Code, 3u);
    EXPECT_EQ(out.Text, "not running");
    out = Command(L"-deactivate-for 5m");
    EXPECT_EQ(out.Code, 0u) << out.Text;
    EXPECT_TRUE(out.Ended) << "the start ends once the new copy has the command, holding none of its handles";
    HWND main = FindWindowW(L"TfMain_lumivane", nullptr);
    ASSERT_NE(main, nullptr) << "a copy runs on";
    EXPECT_FALSE(IsWindowVisible(main)) << "hidden, as with -quiet";
    EXPECT_EQ(Command(L"-status").Code, 2u) << "with the command applied";
    EXPECT_EQ(Command(L"-exit").Code, DWORD{0});
    EXPECT_EQ(FindWindowW(L"TfMain_lumivane", nullptr), nullptr);
    // Lumivane.com started plainly returns at once; its copy runs on, shown.
    out = Command(L"");
    EXPECT_TRUE(out.Ended && out.Code == 0 && out.Text.empty()) << out.Text;
    auto shown = [&] { return (main = FindWindowW(L"TfMain_lumivane", nullptr)) && IsWindowVisible(main); };
    EXPECT_TRUE(PollUntil(shown, 30s));
    EXPECT_EQ(Command(L"-exit").Code, DWORD{0});
}

TEST(ControlCommands, AHungCopyGivesNoAnswerWithinTheLimitAndABusyOneIsAskedAgainUntilIt) {
    const struct { const wchar_t* Copy; DWORD Code; const char* Text; } rows[] = {
        {L"hung", 4, "Lumivane is running but does not answer."},
        {L"3", 1, "deactivated (screen saver: disabled, monitor power-off: disabled)"},  // a sender that does not ask again: 5
        {L"1000000", 4, "Lumivane is running but does not answer."},
    };
    std::wstring copy = LumivanePath();
    copy = copy.substr(0, copy.find_last_of(L'\\')) + L"\\fakecopy\\Lumivane.exe";
    for (const auto& r : rows) {
        // A copy of its own session that holds the single-instance object and
        // whose window reads its messages, or none.
        HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Lumivane - Tessaly");
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"Lumivane test release");
        std::wstring line = L"\"" + copy + L"\" " + r.Copy;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                   &startup, &info));
        EXPECT_TRUE(PollUntil([&] { return FindMainWindow(info.dwProcessId) != nullptr; }, 30s));
        const TOutput out = Command(L"-status");
        SetEvent(release);
        WaitForSingleObject(info.hProcess, 30000);
        for (HANDLE h : {info.hProcess, info.hThread, release, mutex}) CloseHandle(h);
        EXPECT_TRUE(out.Ended) << "it gave up while the copy did not answer";
        EXPECT_EQ(out.Code, r.Code) << out.Text;
        EXPECT_EQ(out.Text, r.Text);
    }
}

// Any program can register the copy's window class and sit above it.
TEST(ControlCommands, ALookAlikeWindowOnTopIsPassedOver) {
    TLumivane lumivane(L"-quiet");
    ASSERT_NE(lumivane.MainWindow(10s), nullptr);
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.lpszClassName = L"TfMain_lumivane";
    RegisterClassW(&cls);
    HWND lookAlike = CreateWindowExW(0, cls.lpszClassName, L"Lumivane", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
    ASSERT_EQ(FindWindowW(L"TfMain_lumivane", nullptr), lookAlike) << "on top";
    EXPECT_EQ(Command(L"-deactivate").Code, 0u);
    EXPECT_EQ(Command(L"-status").Code, 1u) << "the copy took it";
    EXPECT_EQ(Command(L"-exit").Code, 0u);
    const TOutput out = Command(L"-status");
    EXPECT_EQ(out.Code, 3u);
    DestroyWindow(lookAlike);
    UnregisterClassW(cls.lpszClassName, nullptr);
}

// A value an administrator sets, as `reg add` does, gone again with the test.
struct TPolicySet {
    HKEY Root;
    const wchar_t *Key, *Name;
    TPolicySet(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value) : Root(root), Key(key), Name(name) {
        RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof(value));
    }
    TPolicySet(HKEY root, const wchar_t* key, const wchar_t* name, const wchar_t* text) : Root(root), Key(key), Name(name) {
        RegSetKeyValueW(root, key, name, REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    // A list: each string ends in '|', the list in one more.
    TPolicySet(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring list) : Root(root), Key(key), Name(name) {
        std::replace(list.begin(), list.end(), L'|', L'\0');
        RegSetKeyValueW(root, key, name, REG_MULTI_SZ, list.c_str(), static_cast<DWORD>(list.size() * sizeof(wchar_t)));
    }
    ~TPolicySet() { RegDeleteKeyValueW(Root, Key, Name); }
};
constexpr wchar_t kOurs[] = L"Software\\Policies\\Tessaly\\Lumivane";

// The copy's own view: Wine keeps these parameters per process.
TEST(ControlCommands, AnAdministratorsPolicyRefusesWhatItForbidsAndEndsARunningDeactivationAtOnce) {
    const TScreenSaverOn screenSaverOn;
    std::optional<TPolicySet> user(std::in_place, HKEY_CURRENT_USER, kOurs, L"AllowDeactivation", DWORD{0});
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    TOutput out = Command(L"-deactivate");
    EXPECT_EQ(out.Code, 6u) << out.Text;
    EXPECT_EQ(out.Text, "The command is not allowed by your administrator.");
    EXPECT_EQ(Command(L"-status").Text, "active (screen saver: enabled, monitor power-off: never)") << "nothing changed";
    {
        const TPolicySet noControl(HKEY_CURRENT_USER, kOurs, L"AllowCommandLineControl", DWORD{0});
        EXPECT_TRUE(PollUntil([] { return Command(L"-activate").Code == 6; }, 30s)) << "the copy read the change";
        EXPECT_EQ(Command(L"-status").Code, 0u) << "what package managers need stays";
    }
    user.reset();
    EXPECT_TRUE(PollUntil([] { return Command(L"-deactivate-for 30m").Code == 0; }, 30s));
    EXPECT_EQ(Command(L"-status").Code, 2u);
    // The machine's policy arrives while the period runs and the About box is
    // open: it ends as Activate would, before the box is closed.
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actAbout), 0);
    const auto about = [&] { return VisibleWindowsOf(lumivane.ProcessId(), L"TfAbout"); };
    ASSERT_TRUE(PollUntil([&] { return !about().empty(); }, 30s));
    std::optional<TPolicySet> machine(std::in_place, HKEY_LOCAL_MACHINE, kOurs, L"AllowDeactivation", DWORD{0});
    EXPECT_TRUE(PollUntil([] { return Command(L"-status").Code == 0; }, 30s));
    ASSERT_EQ(about().size(), 1u) << "still open";
    PostMessageW(about().front(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Command(L"-status").Text, "active (screen saver: enabled, monitor power-off: never)");
    // Windows' own screen-saver policy, read with the change that follows it: no deactivation touches the saver.
    const TPolicySet windows(HKEY_CURRENT_USER, L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop",
                             L"ScreenSaveActive", L"1");
    machine.reset();
    EXPECT_TRUE(PollUntil([] { return Command(L"-deactivate").Code == 0; }, 30s));
    EXPECT_EQ(Command(L"-status").Text, "deactivated (screen saver: enabled, monitor power-off: never)");
}

// The administrator's schedule holds in place of the user's, and the dialog
// shows it and their floor, greyed.
TEST(ControlCommands, AnAdministratorsScheduleHoldsInPlaceOfTheUsersAndTheDialogOnlyShowsIt) {
    using C = TTriggersControl;
    const TScreenSaverOn screenSaverOn;
    const TPolicySet floor(HKEY_CURRENT_USER, kOurs, L"MinBatteryPercent", DWORD{30});
    std::optional<TPolicySet> schedule(std::in_place, HKEY_CURRENT_USER, kOurs, L"Schedule",
        Wide("Mon-Sun " + ClockIn(24 * 60 - 5).Typed + "-" + ClockIn(60).Typed) + L"|Sat,Sun 00:00-00:00||");
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Command(L"-status").Code, 2u) << "the administrator's window covers now";
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actAutomaticDeactivation), 0);
    std::vector<HWND> dialog;
    ASSERT_TRUE(PollUntil([&] { return !(dialog = VisibleWindowsOf(lumivane.ProcessId(), L"TfTriggers")).empty(); }, 30s));
    const auto item = [&](C id) { return GetDlgItem(dialog.front(), static_cast<int>(id)); };
    EXPECT_EQ(SendMessageW(item(C::Schedule), LB_GETCOUNT, 0, 0), 2) << "the administrator's windows";
    for (const C id : {C::Schedule, C::ScheduleNew, C::BatteryFloor, C::BatteryPercent}) EXPECT_FALSE(IsWindowEnabled(item(id)));
    EXPECT_EQ(TextOf(item(C::BatteryPercent)), L"30");
    PostMessageW(dialog.front(), WM_COMMAND, IDCANCEL, 0);
    schedule.reset();
    EXPECT_TRUE(PollUntil([] { return Command(L"-status").Code == 0; }, 30s)) << "the user's schedule, empty";
    EXPECT_EQ(Command(L"-exit").Code, 0u);
}

// A weekly window that covers the start holds at once and -status says
// until when; a window that cannot be read changes nothing. The window ends
// far ahead, so a slow start never meets its end: the crossing of a boundary
// is the unit table's and the fuzz target's.
TEST(ControlCommands, AScheduleWindowHoldsFromTheStartAndStatusSaysItsEnd) {
    const TScreenSaverOn screenSaverOn;
    const auto store = [](const std::wstring& windows) {  // one string a window, '|' between them
        std::wstring list = windows + L"||";
        std::replace(list.begin(), list.end(), L'|', L'\0');
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane\\Triggers", L"Schedule", REG_MULTI_SZ,
                        list.c_str(), static_cast<DWORD>(list.size() * sizeof(wchar_t)));
    };
    store(L"Someday 25:00-26:00");
    {
        TLumivane lumivane(L"-quiet");
        ASSERT_NE(lumivane.MainWindow(10s), nullptr);
        EXPECT_EQ(Command(L"-status").Code, 0u) << "the copy runs, and nothing changed";
        EXPECT_EQ(Command(L"-exit").Code, 0u);
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const TClockTime end = ClockIn(12 * 60, now);
    store(Wide("Mon-Sun " + ClockIn(24 * 60 - 5, now).Typed + "-" + end.Typed) + L"|Someday 25:00-26:00");
    TLumivane lumivane(L"-quiet");
    ASSERT_NE(lumivane.MainWindow(10s), nullptr);
    const TOutput out = Command(L"-status");
    EXPECT_EQ(out.Code, 2u) << out.Text;
    EXPECT_EQ(out.Text, "deactivated until " + end.Shown + " (screen saver: disabled, monitor power-off: never)");
    EXPECT_EQ(Command(L"-exit").Code, 0u);
}

}  // namespace
}  // namespace lumivane::e2e
