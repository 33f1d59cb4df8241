// Automatic deactivation in the real program: a listed program and a
// full-screen window deactivate the managed items while they last, never
// for good, and the dialog's boxes stop it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>

#include "Harness.h"
#include "base/CommandIds.h"
#include "options/OptionControls.h"
#include "ui/ScheduleWindowDialogWin32.h"
#include "ui/TriggersDialogWin32.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

const wchar_t* const kKey = L"Software\\Tessaly\\Lumivane\\Triggers";

using e2e::Item;
HWND Item(HWND dialog, TTriggersControl id) { return GetDlgItem(dialog, static_cast<int>(id)); }
HWND Item(HWND editor, TScheduleWindowControl id, int day = 0) {
    return GetDlgItem(editor, static_cast<int>(id) + day);
}

// A picker of another process takes its time from that process's memory.
void SetPickerTime(HWND picker, WORD hour, WORD minute) {
    DWORD pid = 0;
    GetWindowThreadProcessId(picker, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(SYSTEMTIME), MEM_COMMIT, PAGE_READWRITE);
    SYSTEMTIME at{};
    GetLocalTime(&at);
    at.wHour = hour, at.wMinute = minute, at.wSecond = 0, at.wMilliseconds = 0;
    WriteProcessMemory(process, remote, &at, sizeof(at), nullptr);
    EXPECT_NE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(remote)), 0);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

// The schedule's editor, opened by the dialog's button, once it shows.
HWND OpenEditor(HWND dialog, TTriggersControl button) {
    PostMessageW(Item(dialog, button), BM_CLICK, 0, 0);
    HWND editor = nullptr;
    PollUntil([&] { return (editor = FindWindowW(L"TfScheduleWindow", nullptr)) && IsWindowVisible(editor); },
              30s);
    return editor;
}

// The day `days` ahead, 0 Monday: a window there never holds while the test runs.
int DayAhead(int days) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return (now.wDayOfWeek + 6 + days) % 7;
}
std::wstring StoredDay(int day) { return std::wstring(L"MonTueWedThuFriSatSun" + day * 3, 3); }

bool ScreenSaverActive() {
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
    return on != FALSE;
}

// A program of its own, ended at the end of the test: notepad, or a console
// job that makes no window (the planted program, waiting).
struct TNotepad {
    PROCESS_INFORMATION Info{};
    explicit TNotepad(const std::wstring& program = L"", DWORD flags = 0) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring line = program.empty() ? L"notepad.exe" : L"job -wait";
        CreateProcessW(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr, FALSE, flags,
                       nullptr, nullptr, &startup, &Info);
    }
    ~TNotepad() { End(); }
    void End() {
        if (!Info.hProcess) return;
        TerminateProcess(Info.hProcess, 0);
        WaitForSingleObject(Info.hProcess, 5000);
        CloseHandle(Info.hProcess);
        CloseHandle(Info.hThread);
        Info = {};
    }
};

// A borderless window over the whole monitor, in the foreground: a slide show.
struct TFullScreenWindow {
    HWND Window = nullptr;
    TFullScreenWindow() {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& m = monitor.rcMonitor;
        Window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"slides", WS_POPUP | WS_VISIBLE, m.left, m.top,
                                 m.right - m.left, m.bottom - m.top, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(Window);
    }
    ~TFullScreenWindow() { DestroyWindow(Window); }
};

struct TUniqueWindow {
    HWND Window;
    explicit TUniqueWindow(HWND window) : Window(window) {}
    ~TUniqueWindow() { DestroyWindow(Window); }
};

// PumpUntil (common/PumpUntil.h) takes this thread's messages while it
// waits: Wine tells another process of a temporary change of the system
// parameters only by the broadcast.

// Ends the one process of that name with `code`; false when none runs.
bool EndProcess(const wchar_t* name, UINT code) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool ended = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !ended; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, name) == 0) {
            const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
            ended = process && TerminateProcess(process, code);
            if (process) CloseHandle(process);
        }
    CloseHandle(snapshot);
    return ended;
}

// The listed console job beside the program: it makes no window, so the
// foreground stays where the test put it.
std::wstring PlantedJob() {
    const std::wstring path = LumivanePath();
    return path.substr(0, path.find_last_of(L'\\')) + L"\\lumivane_planted_program.exe";
}

// A sign that the watch has looked at the foreground window at two ticks at
// least 2 s apart since this call (a look at the process list comes at most
// every 2 s, and every tick looks at the foreground first): the listed job
// found, ended, and found again by a later look. A full-screen change seen
// before this call has lasted its settle time by then, and acted if it acts
// at all; `state` shows what holds once the job has gone.
void TwoLooksOfTheWatch(HWND state) {
    for (int look = 0; look < 2; ++look) {
        const auto byJob = [&] { return TextOf(state).starts_with(L"Deactivated while lumivane_planted"); };
        TNotepad job(PlantedJob(), CREATE_NO_WINDOW);
        ASSERT_NE(job.Info.hProcess, nullptr);
        // A touch of the mouse: the next look comes 2 s after the last, not 30 s.
        INPUT touch[] = {test::MouseInput(MOUSEEVENTF_MOVE, 1, 0), test::MouseInput(MOUSEEVENTF_MOVE, -1, 0)};
        SendInput(2, touch, sizeof(INPUT));
        ASSERT_TRUE(PumpUntil(byJob, 60s)) << "look " << look << ": the job is found";
        job.End();
        ASSERT_TRUE(PumpUntil([&] { return !byJob(); }, 30s)) << "look " << look << ": its end is seen";
    }
}

TEST(AutomaticDeactivation, AListedProgramOrAFullScreenWindowDeactivatesWhileItLastsAndTheBoxesStopIt) {
    const TScreenSaverOn screenSaverOn;
    // A window of its own, for the broadcast that tells of the changes.
    const TUniqueWindow listener(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                                 nullptr));
    const wchar_t programs[] = L"vlc.exe\0NOTEPAD.EXE\0lumivane_planted_program\0";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Programs", REG_MULTI_SZ, programs, sizeof(programs)), 0);
    const DWORD on = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"FullScreen", REG_DWORD, &on, sizeof(on)), 0);
    const int a = DayAhead(2), b = DayAhead(3), c = DayAhead(4);
    const std::wstring schedule = StoredDay(a) + L" 10:00-11:00" + L'\0' + L"bogus" + L'\0' + L'\0';
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Schedule", REG_MULTI_SZ, schedule.data(),
                              static_cast<DWORD>(schedule.size() * sizeof(wchar_t))), 0);
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    HWND state = Item(main, TControlId::lblScreenSaverActive), kept = Item(main, TControlId::lblKeptAwake);
    ASSERT_TRUE(PollUntil([&] { return TextOf(state) == L"Yes"; }, 30s)) << TextOf(state);
    const std::wstring profile = StoredScreenSaveActive();

    TNotepad notepad;
    ASSERT_NE(notepad.Info.hProcess, nullptr);
    // The processes are looked at every 30 s while nobody works, and Wine
    // may take a while to start its first program.
    EXPECT_TRUE(PumpUntil([&] { return !ScreenSaverActive(); }, 60s)) << "the listed program deactivates";
    EXPECT_TRUE(PollUntil([&] { return TextOf(state) == L"Deactivated while notepad.exe runs"; }, 30s));
    EXPECT_TRUE(PollUntil([&] { return TextOf(kept) == L"Computer kept awake"; }, 30s));
    EXPECT_EQ(StoredScreenSaveActive(), profile) << "never written into the profile";
    notepad.End();
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive() && TextOf(state) == L"Yes"; }, 60s))
        << "its end gives the state from before back";
    EXPECT_TRUE(PollUntil([&] { return TextOf(kept).empty(); }, 30s));

    {
        const TFullScreenWindow slides;
        EXPECT_TRUE(PumpUntil([&] { return !ScreenSaverActive(); }, 30s)) << "a full-screen window deactivates";
        EXPECT_EQ(TextOf(state), L"Deactivated while a program is full screen");
        // Locked, the lock screen neither ends nor starts it: the plan is
        // left as it is until the unlock.
        SendMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    }
    TwoLooksOfTheWatch(state);
    EXPECT_EQ(TextOf(state), L"Deactivated while a program is full screen") << "nothing changes while locked";
    EXPECT_FALSE(ScreenSaverActive());
    SendMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive(); }, 30s)) << "unlocked, the window's end counts";

    // The dialog: the list emptied and the full-screen box cleared stop both
    // at once, and are stored.
    TNotepad again;
    ASSERT_TRUE(PumpUntil([&] { return !ScreenSaverActive(); }, 60s));
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actAutomaticDeactivation), 0);
    HWND dialog = nullptr;
    // Shown once its controls are made and filled.
    ASSERT_TRUE(PollUntil(
        [&] { return (dialog = FindWindowW(L"TfTriggers", nullptr)) != nullptr && IsWindowVisible(dialog); }, 30s));
    const auto select = [&](TTriggersControl id, int row) {
        SendMessageW(Item(dialog, id), LB_SETCURSEL, row, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(dialog, id)));
    };
    HWND list = Item(dialog, TTriggersControl::Programs);
    // The two named first go; the job stays, for the look below.
    for (int left = 3; left > 1; --left) {
        select(TTriggersControl::Programs, 0);
        SendMessageW(Item(dialog, TTriggersControl::Remove), BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), left - 1);
    }
    // A name typed in its field is added with Enter, as a user adds one.
    RECT field{};
    GetWindowRect(Item(dialog, TTriggersControl::Name), &field);
    HWND name = Item(dialog, TTriggersControl::Name);
    const auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus : nullptr;
    };
    ASSERT_TRUE(PollUntil([&] { return GetForegroundWindow() == dialog; }, 30s));
    // Wine now and then drops a click that comes with an activation.
    for (int tries = 3; tries > 0 && focus() != name; --tries) {
        ClickAt({(field.left + field.right) / 2, (field.top + field.bottom) / 2}, 1);
        PollUntil([&] { return focus() == name; }, 30s);
    }
    ASSERT_EQ(focus(), name);
    for (const WORD key : std::initializer_list<WORD>{'W', 'I', 'N', 'E', 'M', 'I', 'N', 'E', VK_OEM_PERIOD, 'E', 'X', 'E'})
        PressKeys({key});
    PressKeys({VK_RETURN});
    EXPECT_TRUE(PollUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; }, 30s));
    EXPECT_TRUE(IsWindow(dialog)) << "Enter in the name field adds, it does not close";
    // The schedule: New… refuses a window without a day and keeps one with
    // days and times; Edit changes a row; Remove drops the one not understood.
    HWND rows = Item(dialog, TTriggersControl::Schedule);
    const auto row = [&](int index) {
        wchar_t text[80] = {};
        SendMessageW(rows, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    ASSERT_EQ(SendMessageW(rows, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(row(1), L"Not understood: bogus");
    HWND editor = OpenEditor(dialog, TTriggersControl::ScheduleNew);
    ASSERT_NE(editor, nullptr);
    for (int day = 0; day < 7; ++day)
        if (SendMessageW(Item(editor, TScheduleWindowControl::Monday, day), BM_GETCHECK, 0, 0) == BST_CHECKED)
            SendMessageW(Item(editor, TScheduleWindowControl::Monday, day), BM_CLICK, 0, 0);
    PostMessageW(editor, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PollUntil([&] { return !TextOf(Item(editor, TScheduleWindowControl::Problem)).empty(); }, 30s));
    EXPECT_TRUE(IsWindowVisible(editor)) << "no day: OK says why, and the editor stays";
    SendMessageW(Item(editor, TScheduleWindowControl::Monday, b), BM_CLICK, 0, 0);
    SetPickerTime(Item(editor, TScheduleWindowControl::From), 14, 0);
    SetPickerTime(Item(editor, TScheduleWindowControl::To), 15, 30);
    PostMessageW(editor, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PollUntil([&] { return SendMessageW(rows, LB_GETCOUNT, 0, 0) == 3; }, 30s));
    select(TTriggersControl::Schedule, 0);
    const std::wstring before = row(0);
    ASSERT_NE(editor = OpenEditor(dialog, TTriggersControl::ScheduleEdit), nullptr);
    SendMessageW(Item(editor, TScheduleWindowControl::Monday, c), BM_CLICK, 0, 0);
    SetPickerTime(Item(editor, TScheduleWindowControl::From), 22, 0);
    SetPickerTime(Item(editor, TScheduleWindowControl::To), 6, 0);
    PostMessageW(editor, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PollUntil([&] { return row(0) != before; }, 30s));
    select(TTriggersControl::Schedule, 1);
    SendMessageW(Item(dialog, TTriggersControl::ScheduleRemove), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(rows, LB_GETCOUNT, 0, 0), 2);
    SendMessageW(Item(dialog, TTriggersControl::FullScreen), BM_CLICK, 0, 0);
    // Posted, as a user's click is: the dialog's loop wakes for it.
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive() && !IsWindow(dialog); }, 30s))
        << "no longer listed, the running program no longer holds";
    DWORD fullScreen = 1, size = sizeof(fullScreen);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, L"FullScreen", RRF_RT_REG_DWORD, nullptr, &fullScreen, &size), 0);
    EXPECT_EQ(fullScreen, 0u);
    wchar_t stored[64] = {};
    size = sizeof(stored);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, L"Programs", RRF_RT_REG_MULTI_SZ, nullptr, stored, &size), 0);
    EXPECT_EQ(std::wstring(stored, size / sizeof(wchar_t)), std::wstring(L"lumivane_planted_program\0winemine.exe\0\0", 39));
    wchar_t windows[80] = {};
    size = sizeof(windows);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, L"Schedule", RRF_RT_REG_MULTI_SZ, nullptr, windows, &size), 0);
    EXPECT_EQ(std::wstring(windows, size / sizeof(wchar_t)),
              StoredDay(std::min(a, c)) + L"," + StoredDay(std::max(a, c)) + L" 22:00-06:00" + L'\0' + StoredDay(b) +
                  L" 14:00-15:30" + L'\0' + L'\0');
    // The positive control: the job still deactivates; past the settle time
    // the full-screen window has not.
    const TFullScreenWindow slides;
    TwoLooksOfTheWatch(state);
    EXPECT_EQ(TextOf(state), L"Yes") << "the box cleared: full screen is no longer watched";
    EXPECT_TRUE(ScreenSaverActive());
}

// A console job makes no window: the session's process list finds it, by the
// name typed without its extension, and its end gives the state back.
TEST(AutomaticDeactivation, AListedConsoleJobWithoutAWindowCountsAndANameWithoutExtensionMeansExe) {
    const TScreenSaverOn screenSaverOn;
    const TUniqueWindow listener(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                                 nullptr));
    std::wstring programs(L"lumivane_planted_program\0", 25);  // and 249 more names: a long list is read whole
    for (int i = 0; i < 249; ++i) programs += L"prog" + std::to_wstring(1000 + i) + L".exe" + L'\0';
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Programs", REG_MULTI_SZ, programs.c_str(),
                              static_cast<DWORD>((programs.size() + 1) * sizeof(wchar_t))), 0);
    TLumivane lumivane(L"");
    HWND state = Item(lumivane.MainWindow(10s), TControlId::lblScreenSaverActive);
    ASSERT_TRUE(PollUntil([&] { return TextOf(state) == L"Yes"; }, 30s));
    TNotepad job(PlantedJob(), CREATE_NO_WINDOW);
    ASSERT_NE(job.Info.hProcess, nullptr);
    // Found within 30 s while nobody touches the computer.
    EXPECT_TRUE(PumpUntil([&] { return !ScreenSaverActive(); }, 60s)) << "the console job deactivates";
    EXPECT_TRUE(PollUntil([&] { return TextOf(state).starts_with(L"Deactivated while lumivane_planted"); }, 30s));
    job.End();
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive() && TextOf(state) == L"Yes"; }, 10s));
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

// A call is an app's record of the microphone that started and has not
// stopped; presenting on "any external display" holds under Wine, whose
// one display is an external one. Each deactivates while it lasts.
TEST(AutomaticDeactivation, ACallAndPresentingHoldWhileTheyLast) {
    const TScreenSaverOn screenSaverOn;
    const TUniqueWindow listener(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                                 nullptr));
    const wchar_t* const store = L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore";
    const std::wstring app = std::wstring(store) + L"\\microphone\\NonPackaged\\C:#Tools#meet.exe";
    const auto stamp = [&](const wchar_t* name, uint64_t time) {
        return RegSetKeyValueW(HKEY_CURRENT_USER, app.c_str(), name, REG_QWORD, &time, sizeof(time));
    };
    ASSERT_EQ(stamp(L"LastUsedTimeStart", 133000000000000000), 0);
    ASSERT_EQ(stamp(L"LastUsedTimeStop", 133000000000000001), 0);
    const DWORD on = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"WhileCall", REG_DWORD, &on, sizeof(on)), 0);
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s), state = Item(main, TControlId::lblScreenSaverActive);
    ASSERT_TRUE(PollUntil([&] { return TextOf(state) == L"Yes"; }, 30s));
    ASSERT_EQ(stamp(L"LastUsedTimeStop", 0), 0);
    EXPECT_TRUE(PumpUntil([&] { return !ScreenSaverActive() && TextOf(state) == L"Deactivated during a call"; }, 30s));
    ASSERT_EQ(stamp(L"LastUsedTimeStop", 133000000000000002), 0);
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive() && TextOf(state) == L"Yes"; }, 30s)) << "the call ended";

    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actAutomaticDeactivation), 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(PollUntil(
        [&] { return (dialog = FindWindowW(L"TfTriggers", nullptr)) != nullptr && IsWindowVisible(dialog); }, 30s));
    SendMessageW(Item(dialog, TTriggersControl::WhilePresenting), CB_SETCURSEL, 2, 0);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !ScreenSaverActive() && TextOf(state) == L"Deactivated while presenting"; }, 30s));
    DWORD mode = 0, size = sizeof(mode);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, L"WhilePresenting", RRF_RT_REG_DWORD, nullptr, &mode, &size), 0);
    EXPECT_EQ(mode, 2u);
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, store);
}

// -while starts a job and holds while it runs, then returns its code;
// -while-pid holds for a process that runs already and returns 0; a job
// that never starts is 127 (not found) or 125 (no such process).
TEST(AutomaticDeactivation, WhileAJobRunsByTheCommandLine) {
    const TScreenSaverOn screenSaverOn;
    const TUniqueWindow listener(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                                 nullptr));
    TLumivane lumivane(L"");
    HWND state = Item(lumivane.MainWindow(10s), TControlId::lblScreenSaverActive);
    ASSERT_TRUE(PollUntil([&] { return TextOf(state) == L"Yes"; }, 30s));
    const std::wstring com = LumivanePath().substr(0, LumivanePath().size() - 4) + L".com";
    const auto run = [&](std::wstring arguments) {
        TNotepad start;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        arguments = L"Lumivane.com " + arguments;
        CreateProcessW(com.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &start.Info);
        return start;
    };
    const auto exitCode = [](TNotepad& start) {
        DWORD code = 0;
        WaitForSingleObject(start.Info.hProcess, 60000);
        GetExitCodeProcess(start.Info.hProcess, &code);
        return code;
    };
    const auto held = [&] { return !ScreenSaverActive() && TextOf(state).starts_with(L"Deactivated while lumivane_planted"); };
    TNotepad byWhile = run(L"-while \"" + PlantedJob() + L"\" -wait");
    EXPECT_TRUE(PumpUntil(held, 30s)) << "the job runs, held";
    EXPECT_TRUE(EndProcess(L"lumivane_planted_program.exe", 7));
    EXPECT_EQ(exitCode(byWhile), 7u) << "the job's own code";
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive() && TextOf(state) == L"Yes"; }, 30s));

    TNotepad running(PlantedJob(), CREATE_NO_WINDOW);
    TNotepad byPid = run(L"-while-pid " + std::to_wstring(running.Info.dwProcessId));
    EXPECT_TRUE(PumpUntil(held, 30s)) << "a process that runs already, held";
    const DWORD ended = running.Info.dwProcessId;
    running.End();
    EXPECT_EQ(exitCode(byPid), 0u);
    EXPECT_TRUE(PumpUntil([&] { return ScreenSaverActive() && TextOf(state) == L"Yes"; }, 30s));
    TNotepad missing = run(L"-while no_such_program_anywhere"), gone = run(L"-while-pid " + std::to_wstring(ended));
    EXPECT_EQ(exitCode(missing), 127u);
    EXPECT_EQ(exitCode(gone), 125u);
}

}  // namespace
}  // namespace lumivane::e2e
