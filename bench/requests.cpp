// How soon Lumivane's system requests come, seen from a window of another
// program, as the end-to-end tests see them, but timed:
//
//   hotkey    Lumivane -quiet with its screen-saver hot key (Ctrl+Alt+S)
//             switched on and this program's window in front: from pressing
//             the keys (SendInput) until the screen-saver request arrives.
//   command   the running program's "Power off" command (WM_COMMAND 202):
//             from posting it until the first request, and the gap between
//             the first and the second request (its 300 ms timer).
//   poweroff  Lumivane -poweroff from its start (just before CreateProcessW)
//             until the first request, the gap to the second, and from the
//             second until the process has ended.
//   second    with Lumivane -quiet running, a second start with
//             -screensaver -poweroff, which only wakes the first: from its
//             start until it has ended.
//
// The requests are recorded by a hidden top-level window on a thread of its
// own, stamped with QueryPerformanceCounter when that thread handles them.
// Output: one "median <mode> <metric> <value> min <value> max <value> n <count>"
// line for each figure, then a table.
//
// Usage: lumivane_bench_requests [RUNS]   (default 20 of each; Lumivane.exe
// is taken from this program's folder)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kDeadlineMs = 10000;
constexpr WPARAM kPowerOffCommand = 202, kExitCommand = 207;
constexpr wchar_t kOptionsKey[] = L"Software\\Tessaly\\Lumivane";
constexpr wchar_t kScreenSaverHotKey[] = L"Use hotkey - screen saver";

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

class TRecorder {
public:
    TRecorder() {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        FThread = std::thread([this, ready] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"LumivaneBenchRecorder";
            RegisterClassW(&wc);
            FWindow = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"recorder", WS_POPUP, 0, 0, 1, 1,
                                      nullptr, nullptr, wc.hInstance, nullptr);
            SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetEvent(ready);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        });
        WaitForSingleObject(ready, kDeadlineMs);
        CloseHandle(ready);
    }
    ~TRecorder() {
        PostMessageW(FWindow, WM_CLOSE, 0, 0);
        FThread.join();
    }
    void Clear() {
        std::lock_guard lock(FLock);
        FTimes.clear();
    }
    // The arrival times once `count` requests are in, or nothing by the deadline.
    std::optional<std::vector<double>> WaitFor(size_t count) {
        const double end = Now() + kDeadlineMs;
        for (;;) {
            {
                std::lock_guard lock(FLock);
                if (FTimes.size() >= count) return FTimes;
            }
            if (Now() > end) return std::nullopt;
            Sleep(1);
        }
    }
    // Every request sent before this call: it is answered after them.
    std::vector<double> Settled() {
        SendMessageTimeoutW(FWindow, WM_NULL, 0, 0, SMTO_NORMAL, kDeadlineMs, nullptr);
        std::lock_guard lock(FLock);
        return FTimes;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const WPARAM command = wParam & 0xFFF0;
        if (msg == WM_SYSCOMMAND && self && (command == SC_SCREENSAVE || command == SC_MONITORPOWER)) {
            const double at = Now();
            std::lock_guard lock(self->FLock);
            self->FTimes.push_back(at);
            return 0;
        }
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    std::thread FThread;
    HWND FWindow = nullptr;
    std::mutex FLock;
    std::vector<double> FTimes;
};

std::wstring LumivanePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"Lumivane.exe";
}

struct TProcess {
    PROCESS_INFORMATION Info{};
    double Start = 0;
    explicit TProcess(const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + LumivanePath() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        Start = Now();
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &Info))
            std::printf("note cannot start Lumivane.exe, error %lu\n", GetLastError());
    }
    ~TProcess() {
        if (!Info.hProcess) return;
        if (WaitForSingleObject(Info.hProcess, 0) != WAIT_OBJECT_0) {
            if (HWND main = MainWindow()) PostMessageW(main, WM_COMMAND, kExitCommand, 0);
            if (WaitForSingleObject(Info.hProcess, kDeadlineMs) != WAIT_OBJECT_0) TerminateProcess(Info.hProcess, 1);
        }
        CloseHandle(Info.hProcess);
        CloseHandle(Info.hThread);
    }
    // The time it ended, or nothing by the deadline.
    std::optional<double> Ended() const {
        if (!Info.hProcess || WaitForSingleObject(Info.hProcess, kDeadlineMs) != WAIT_OBJECT_0) return std::nullopt;
        return Now();
    }
    HWND MainWindow() const {
        for (HWND h = FindWindowW(L"TfMain_lumivane", nullptr); h;
             h = FindWindowExW(nullptr, h, L"TfMain_lumivane", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == Info.dwProcessId) return h;
        }
        return nullptr;
    }
    // The main window once the program waits for input.
    HWND Idle() const {
        if (!Info.hProcess) return nullptr;
        WaitForInputIdle(Info.hProcess, kDeadlineMs);
        const double end = Now() + kDeadlineMs;
        HWND main = nullptr;
        while (!(main = MainWindow()) && Now() < end) Sleep(5);
        if (main) SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kDeadlineMs, nullptr);
        return main;
    }
};

// Lumivane saves its options at every end: where there were none before the
// benchmark, there are none after it, so that the prefix's next start-up
// timings start from the same first start.
class TNoOptionsLeft {
public:
    TNoOptionsLeft() {
        HKEY key = nullptr;
        FKeyExisted = RegOpenKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
    }
    ~TNoOptionsLeft() {
        if (!FKeyExisted) RegDeleteTreeW(HKEY_CURRENT_USER, kOptionsKey);
    }

private:
    bool FKeyExisted = false;
};

// Switches the hot key on in the stored options for as long as it lives; the
// runs after it start with the value as it was.
class THotKeySwitchedOn {
public:
    THotKeySwitchedOn() {
        DWORD value = 0, size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kOptionsKey, kScreenSaverHotKey, RRF_RT_REG_DWORD, nullptr, &value,
                         &size) == ERROR_SUCCESS)
            FSaved = value;
        const DWORD on = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKey, kScreenSaverHotKey, REG_DWORD, &on, sizeof(on));
    }
    ~THotKeySwitchedOn() {
        if (FSaved)
            RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKey, kScreenSaverHotKey, REG_DWORD, &*FSaved, sizeof(DWORD));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptionsKey, kScreenSaverHotKey);
    }

private:
    std::optional<DWORD> FSaved;
};

void PressCtrlAltS() {
    const WORD keys[] = {VK_CONTROL, VK_MENU, 'S'};
    INPUT inputs[6] = {};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, inputs, sizeof(INPUT));
}

// Figures by mode and metric, in the order they were first given.
struct TFigures {
    std::vector<std::pair<std::string, std::string>> Order;
    std::map<std::pair<std::string, std::string>, std::vector<double>> Values;
    void Add(const std::string& mode, const std::string& metric, double value) {
        auto& values = Values[{mode, metric}];
        if (values.empty()) Order.push_back({mode, metric});
        values.push_back(value);
    }
};

void MeasureHotKey(TRecorder& recorder, int runs, TFigures& figures) {
    const THotKeySwitchedOn switchedOn;
    const TProcess lumivane(L"-quiet");
    if (!lumivane.Idle()) return;
    // Another program has the focus, as when the hot key is meant for use.
    HWND other = CreateWindowExW(0, L"EDIT", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    for (int i = 0; i < runs; ++i) {
        recorder.Clear();
        const double pressed = Now();
        PressCtrlAltS();
        if (const auto times = recorder.WaitFor(1)) figures.Add("hotkey", "press_to_request_ms", (*times)[0] - pressed);
        Sleep(100);
    }
    DestroyWindow(other);
}

void MeasureCommand(TRecorder& recorder, int runs, TFigures& figures) {
    const TProcess lumivane(L"-quiet");
    const HWND main = lumivane.Idle();
    if (!main) return;
    for (int i = 0; i < runs; ++i) {
        recorder.Clear();
        const double given = Now();
        PostMessageW(main, WM_COMMAND, kPowerOffCommand, 0);
        if (const auto times = recorder.WaitFor(2)) {
            figures.Add("command", "command_to_first_ms", (*times)[0] - given);
            figures.Add("command", "first_to_second_ms", (*times)[1] - (*times)[0]);
        }
        Sleep(100);
    }
}

void MeasurePowerOff(TRecorder& recorder, int runs, TFigures& figures) {
    for (int i = 0; i < runs; ++i) {
        recorder.Clear();
        const TProcess lumivane(L"-poweroff");
        const auto end = lumivane.Ended();
        // Ended, it has sent all it will send.
        const auto times = recorder.Settled();
        if (!end || times.size() != 2) {
            std::printf("note run %d of -poweroff: %s\n", i, end ? "not two requests" : "did not end");
            continue;
        }
        figures.Add("poweroff", "start_to_first_ms", times[0] - lumivane.Start);
        figures.Add("poweroff", "first_to_second_ms", times[1] - times[0]);
        figures.Add("poweroff", "second_to_end_ms", *end - times[1]);
    }
}

void MeasureSecondStart(TRecorder& recorder, int runs, TFigures& figures) {
    const TProcess first(L"-quiet");
    if (!first.Idle()) return;
    recorder.Clear();
    for (int i = 0; i < runs; ++i) {
        const TProcess second(L"-screensaver -poweroff");
        if (const auto end = second.Ended()) figures.Add("second", "start_to_end_ms", *end - second.Start);
    }
    if (!recorder.Settled().empty()) std::printf("note a second start ran a command\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
    const TNoOptionsLeft noOptionsLeft;
    TRecorder recorder;
    TFigures figures;
    MeasureHotKey(recorder, runs, figures);
    MeasureCommand(recorder, runs, figures);
    MeasurePowerOff(recorder, runs, figures);
    MeasureSecondStart(recorder, runs, figures);

    // A run that gave no figure (no request by the deadline, no end) makes
    // the exit code 1; the figures of the others are still shown.
    int status = figures.Order.size() == 7 ? 0 : 1;
    std::string table;
    for (const auto& key : figures.Order) {
        auto& values = figures.Values[key];
        std::sort(values.begin(), values.end());
        const int n = static_cast<int>(values.size());
        if (n != runs) status = 1;
        const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
        std::printf("median %s %s %.2f min %.2f max %.2f n %d\n", key.first.c_str(), key.second.c_str(), median,
                    values.front(), values.back(), n);
        char row[160];
        std::snprintf(row, sizeof(row), "| %-10s | %-22s | %9.1f | %9.1f | %9.1f | %3d |\n", key.first.c_str(),
                      key.second.c_str(), median, values.front(), values.back(), n);
        table += row;
    }
    std::printf("\n| %-10s | %-22s | %9s | %9s | %9s | %3s |\n", "mode", "metric", "median", "min", "max", "n");
    std::printf("|------------|------------------------|-----------|-----------|-----------|-----|\n%s", table.c_str());
    return status;
}
