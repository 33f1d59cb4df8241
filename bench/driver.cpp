// Runs programs over and over and measures them from outside:
//
//   startup  CreateProcessW until the program's top-level window of the given
//            class exists and WaitForInputIdle has returned (its message loop
//            waits for input); then the memory counters are read, WM_CLOSE is
//            posted to that window and the driver waits for the process to end.
//   exit     CreateProcessW with the exit arguments ("-screensaver") until the
//            process has ended.
//   show     with --show-command ID, for a program that started hidden: from
//            sending it WM_COMMAND ID (its "show" command) until that has
//            returned and the window and its children have painted.
//   shown    with --shown, in the startup phase: CreateProcessW until the
//            program's window is visible and has answered a sent message
//            (WM_NULL): shown, and painted by what ran before its loop
//            took the message. What the loop does after that (a posted
//            message's work) is not in it; it is in startup.
//
// --watch-shown CLASS is no benchmark: it prints "ready", waits for a
// visible window of CLASS that answers, prints the wall clock then as Unix
// nanoseconds (the clock of the shell's `date +%s%N`), closes the window and
// waits for its process to end. run.sh starts it before a program it times
// from the shell.
//
// Memory: GetProcessMemoryInfo on the child's handle while it is idle, before
// WM_CLOSE: PeakWorkingSetSize, WorkingSetSize, PagefileUsage, PrivateUsage.
// A counter that comes back as zero (Wine leaves PrivateUsage at zero) is
// left out and its median shown as "n/a".
//
// The programs take turns run by run (A, B, A, B, ...) so that whatever else
// the machine does falls on all of them alike; the warm-up rounds before are
// not counted. Each line of output is "key value..." so that scripts can pick
// out what they need:
//
//   run <phase> <index> <label> <metric>=<value> ...
//   median <label> <metric> <value|n/a> [min <value> max <value> n <count>]
//   note <text>
//
// Usage:
//   lumivane_bench_driver [--runs N] [--warmup N] [--phase startup|exit|both]
//                         [--startup-args ARGS] [--exit-args ARGS]
//                         [--proc-root DIR] [--show-command ID] [--shown]
//   lumivane_bench_driver --watch-shown WINDOWCLASS
//                         --program LABEL EXE WINDOWCLASS [--program ...]
//                         [--program-args LABEL EXE WINDOWCLASS STARTUPARGS ...]
//                         [--program-exit LABEL EXE WINDOWCLASS EXITARGS ...]
//
// --program-args gives that program its own start-up arguments, --program-exit
// its own exit arguments.
// --proc-root names the Linux /proc as this driver sees it (under Wine:
// Z:\proc). When given, the driver also reads VmHWM, VmRSS and RssAnon of the
// program's Linux process from there, next to what GetProcessMemoryInfo says.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct TProgram {
    std::wstring Label;
    std::wstring Exe;
    std::wstring WindowClass;
    std::optional<std::wstring> StartupArgs;  // instead of --startup-args
    std::optional<std::wstring> ExitArgs;     // instead of --exit-args
};

struct TOptions {
    int Runs = 21;
    int Warmup = 2;
    bool Startup = true;
    bool Exit = true;
    std::wstring StartupArgs;
    std::wstring ExitArgs = L"-screensaver";
    std::wstring ProcRoot;
    WORD ShowCommand = 0;
    bool Shown = false;
    std::vector<TProgram> Programs;
};

// One run's figures by metric name; a missing metric is "n/a".
using TFigures = std::map<std::string, double>;

constexpr DWORD kDeadlineMs = 20000;

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

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(out.size()), out.data(),
                                         nullptr);
        if (n == 0) return path;
        if (n < out.size()) {
            out.resize(n);
            return out;
        }
        out.resize(n);
    }
}

HWND FindWindowOf(DWORD processId, const std::wstring& windowClass) {
    for (HWND h = FindWindowExW(nullptr, nullptr, windowClass.c_str(), nullptr); h;
         h = FindWindowExW(nullptr, h, windowClass.c_str(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == processId) return h;
    }
    return nullptr;
}

// The time (Now) at which a visible window of the class, of the process
// (0: any), answered a sent message; nothing by the deadline.
std::optional<double> ShownAt(DWORD processId, const std::wstring& windowClass, double start, double deadlineMs) {
    for (;;) {
        for (HWND h = FindWindowExW(nullptr, nullptr, windowClass.c_str(), nullptr); h;
             h = FindWindowExW(nullptr, h, windowClass.c_str(), nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if ((processId && owner != processId) || !IsWindowVisible(h)) continue;
            DWORD_PTR ignored = 0;
            if (!SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, kDeadlineMs, &ignored)) return std::nullopt;
            return Now();
        }
        if (Now() - start > deadlineMs) return std::nullopt;
        Sleep(1);
    }
}

int WatchShown(const std::wstring& windowClass) {
    std::printf("ready\n");
    std::fflush(stdout);
    if (!ShownAt(0, windowClass, Now(), 3 * kDeadlineMs)) return 1;
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    std::printf("%llu\n", (ticks - 116444736000000000ULL) * 100);  // from 1601 to 1970, in 100 ns
    std::fflush(stdout);
    HWND window = FindWindowW(windowClass.c_str(), nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, owner);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (process) {
        WaitForSingleObject(process, kDeadlineMs);
        CloseHandle(process);
    }
    return 0;
}

std::string ReadSmallFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        data.append(buffer, got);
    CloseHandle(file);
    return data;
}

std::optional<double> StatusField(const std::string& status, const char* name) {
    const size_t at = status.find(name);
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(status.c_str() + at + std::strlen(name), nullptr);
}

// One "NAME=value" entry of a NUL-separated Linux environment block.
std::string EnvironmentEntry(const std::string& block, const std::string& name) {
    const std::string key = name + "=";
    for (size_t at = 0; at < block.size();) {
        const size_t end = std::min(block.find('\0', at), block.size());
        if (block.compare(at, key.size(), key) == 0) return block.substr(at, end - at);
        at = end + 1;
    }
    return {};
}

// The Linux side of a Wine process, as a cross-check of what Wine reports.
// Wine shows the program's Windows path (or its file name) as the Linux
// process's argv[0]; the Wine prefix in its environment tells it from a
// program of the same name in another prefix. Only one program of the
// benchmark runs at a time. Reads VmHWM, VmRSS and RssAnon of its status, in KiB.
void ReadLinuxMemory(const std::wstring& procRoot, const std::wstring& exe, TFigures& figures) {
    if (procRoot.empty()) return;
    static const std::string prefix =
        EnvironmentEntry(ReadSmallFile(procRoot + L"\\self\\environ"), "WINEPREFIX");
    const std::string fileName = Narrow(exe.substr(exe.find_last_of(L"\\/") + 1));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((procRoot + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const wchar_t* name = found.cFileName;
        if (!*name || !std::all_of(name, name + wcslen(name),
                                    [](wchar_t c) { return std::iswdigit(c) != 0; }))
            continue;
        const std::wstring dir = procRoot + L"\\" + name;
        // argv[0]: the program's Windows path, or its file name alone.
        const std::string program = ReadSmallFile(dir + L"\\cmdline").c_str();
        if (program.substr(program.find_last_of("\\/") + 1) != fileName) continue;
        if (EnvironmentEntry(ReadSmallFile(dir + L"\\environ"), "WINEPREFIX") != prefix)
            continue;
        const std::string status = ReadSmallFile(dir + L"\\status");
        if (status.find("State:\tZ") != std::string::npos) continue;  // ended, not reaped
        if (auto hwm = StatusField(status, "VmHWM:")) figures["linux_vmhwm_kib"] = *hwm;
        if (auto rss = StatusField(status, "VmRSS:")) figures["linux_vmrss_kib"] = *rss;
        if (auto anon = StatusField(status, "RssAnon:")) figures["linux_rssanon_kib"] = *anon;
        break;
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void ReadMemory(HANDLE process, TFigures& figures) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof(counters)))
        return;
    // Zero means "not known" here: no running program has an empty working set.
    if (counters.PeakWorkingSetSize)
        figures["peak_ws_kib"] = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    if (counters.WorkingSetSize)
        figures["ws_kib"] = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    if (counters.PagefileUsage)
        figures["pagefile_kib"] = static_cast<double>(counters.PagefileUsage) / 1024.0;
    if (counters.PrivateUsage)
        figures["private_kib"] = static_cast<double>(counters.PrivateUsage) / 1024.0;
}

struct TChild {
    PROCESS_INFORMATION Info{};
    std::wstring CommandLine;

    ~TChild() {
        if (Info.hProcess) {
            if (WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(Info.hProcess, 1);
                WaitForSingleObject(Info.hProcess, 5000);
            }
            CloseHandle(Info.hProcess);
        }
        if (Info.hThread) CloseHandle(Info.hThread);
    }

    bool Start(const TProgram& program, const std::wstring& arguments) {
        CommandLine = L"\"" + program.Exe + L"\"";
        if (!arguments.empty()) CommandLine += L" " + arguments;
        // CreateProcessW may write into the command line: give it a copy.
        std::wstring buffer = CommandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &Info) != FALSE;
    }

    bool Ended() const { return WaitForSingleObject(Info.hProcess, 0) == WAIT_OBJECT_0; }
};

// Notes the child's exit code (a non-zero one is reported) and hands the run on.
std::optional<TFigures> RecordExitCode(HANDLE process, const TProgram& program,
                                       TFigures& figures) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    figures["exit_code"] = code;
    if (code != 0)
        std::printf("note %s ended with exit code %lu\n", Narrow(program.Label).c_str(), code);
    return figures;
}

// CreateProcessW .. window present and input idle; then memory; then close.
std::optional<TFigures> RunStartup(const TProgram& program, const TOptions& options) {
    TFigures figures;
    TChild child;
    const double start = Now();
    if (!child.Start(program, program.StartupArgs.value_or(options.StartupArgs))) {
        std::printf("note cannot start %s, error %lu\n", Narrow(program.Exe).c_str(),
                    GetLastError());
        return std::nullopt;
    }
    const double created = Now();
    if (options.Shown) {
        const std::optional<double> shown = ShownAt(child.Info.dwProcessId, program.WindowClass, start, kDeadlineMs);
        if (!shown) {
            std::printf("note %s: no window of class %s shown\n", Narrow(program.Label).c_str(),
                        Narrow(program.WindowClass).c_str());
            return std::nullopt;
        }
        figures["shown_ms"] = *shown - start;
    }
    // Blocks until the program first waits for input with an empty queue.
    const DWORD idle = WaitForInputIdle(child.Info.hProcess, kDeadlineMs);
    const double idleAt = Now();
    HWND window = nullptr;
    while (!(window = FindWindowOf(child.Info.dwProcessId, program.WindowClass))) {
        if (child.Ended() || Now() - start > kDeadlineMs) break;
        Sleep(1);
    }
    const double ready = Now();
    if (!window || idle != 0) {
        std::printf("note %s: no window of class %s or never idle (WaitForInputIdle %lu)\n",
                    Narrow(program.Label).c_str(), Narrow(program.WindowClass).c_str(), idle);
        return std::nullopt;
    }
    figures["create_ms"] = created - start;
    figures["idle_ms"] = idleAt - start;
    figures["startup_ms"] = ready - start;

    ReadMemory(child.Info.hProcess, figures);
    ReadLinuxMemory(options.ProcRoot, program.Exe, figures);

    if (options.ShowCommand && !IsWindowVisible(window)) {
        // The show command returns once the window is shown; the paint that
        // follows is forced and waited for here.
        const double showing = Now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_COMMAND, options.ShowCommand, 0, SMTO_NORMAL, kDeadlineMs, &result);
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        figures["show_ms"] = Now() - showing;
    }

    const double closing = Now();
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.Info.hProcess, kDeadlineMs) != WAIT_OBJECT_0) {
        std::printf("note %s did not end after WM_CLOSE\n", Narrow(program.Label).c_str());
        return std::nullopt;
    }
    figures["close_ms"] = Now() - closing;
    return RecordExitCode(child.Info.hProcess, program, figures);
}

// CreateProcessW .. the process has ended.
std::optional<TFigures> RunExit(const TProgram& program, const TOptions& options) {
    TFigures figures;
    TChild child;
    const double start = Now();
    const std::wstring& arguments = program.ExitArgs ? *program.ExitArgs : options.ExitArgs;
    if (!child.Start(program, arguments)) {
        std::printf("note cannot start %s, error %lu\n", Narrow(program.Exe).c_str(),
                    GetLastError());
        return std::nullopt;
    }
    if (WaitForSingleObject(child.Info.hProcess, kDeadlineMs) != WAIT_OBJECT_0) {
        std::printf("note %s %s did not end\n", Narrow(program.Label).c_str(), Narrow(arguments).c_str());
        return std::nullopt;
    }
    figures["exit_ms"] = Now() - start;
    return RecordExitCode(child.Info.hProcess, program, figures);
}

void PrintRun(const char* phase, int index, const TProgram& program, const TFigures& figures) {
    std::printf("run %s %d %s", phase, index, Narrow(program.Label).c_str());
    for (const auto& [metric, value] : figures) std::printf(" %s=%.3f", metric.c_str(), value);
    std::printf("\n");
    std::fflush(stdout);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The first or third quartile (Tukey's hinges: the medians of the lower and
// upper halves), the spread printed beside each median.
double Quartile(std::vector<double> values, int which) {
    std::sort(values.begin(), values.end());
    const size_t half = (values.size() + 1) / 2;
    if (which == 1) return Median({values.begin(), values.begin() + static_cast<long>(half)});
    return Median({values.end() - static_cast<long>(half), values.end()});
}

using TRunner = std::optional<TFigures> (*)(const TProgram&, const TOptions&);

// Every program once per round, in turn; the warm-up rounds are not counted.
// Returns every counted run's figures, by program.
std::vector<std::vector<TFigures>> RunPhase(const char* phase, TRunner runner,
                                            const TOptions& options, bool& failed) {
    std::vector<std::vector<TFigures>> results(options.Programs.size());
    for (int round = -options.Warmup; round < options.Runs; ++round) {
        for (size_t p = 0; p < options.Programs.size(); ++p) {
            auto figures = runner(options.Programs[p], options);
            if (!figures) {
                failed = true;
                continue;
            }
            if (round < 0) continue;
            PrintRun(phase, round, options.Programs[p], *figures);
            results[p].push_back(std::move(*figures));
        }
    }
    return results;
}

void PrintMedians(const TOptions& options, const std::vector<std::vector<TFigures>>& results,
                  const std::vector<std::string>& metrics) {
    for (size_t p = 0; p < options.Programs.size(); ++p) {
        const std::string label = Narrow(options.Programs[p].Label);
        for (const auto& metric : metrics) {
            std::vector<double> values;
            for (const auto& figures : results[p]) {
                const auto it = figures.find(metric);
                if (it != figures.end()) values.push_back(it->second);
            }
            if (values.empty()) {
                // Wine, for one, leaves some counters at zero.
                std::printf("note %s: %s never reported (zero or unavailable), shown as n/a\n",
                            label.c_str(), metric.c_str());
                std::printf("median %s %s n/a\n", label.c_str(), metric.c_str());
                continue;
            }
            const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
            std::printf("median %s %s %.3f min %.3f max %.3f n %zu q1 %.3f q3 %.3f\n",
                        label.c_str(), metric.c_str(), Median(values), *lo, *hi, values.size(),
                        Quartile(values, 1), Quartile(values, 3));
        }
    }
}

int Usage() {
    std::fprintf(stderr,
                 "usage: lumivane_bench_driver [--runs N] [--warmup N] "
                 "[--phase startup|exit|both]\n"
                 "         [--startup-args ARGS] [--exit-args ARGS] [--proc-root DIR]\n"
                 "         [--show-command ID] [--shown]\n"
                 "         --program LABEL EXE WINDOWCLASS [--program ...]\n"
                 "         [--program-args LABEL EXE WINDOWCLASS STARTUPARGS ...]\n"
                 "         [--program-exit LABEL EXE WINDOWCLASS EXITARGS ...]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const auto next = [&]() -> const wchar_t* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == L"--runs" || arg == L"--warmup") {
            const wchar_t* value = next();
            if (!value) return Usage();
            (arg == L"--runs" ? options.Runs : options.Warmup) = _wtoi(value);
        } else if (arg == L"--phase") {
            const wchar_t* value = next();
            if (!value) return Usage();
            const std::wstring phase = value;
            options.Startup = phase == L"startup" || phase == L"both";
            options.Exit = phase == L"exit" || phase == L"both";
            if (!options.Startup && !options.Exit) return Usage();
        } else if (arg == L"--startup-args" || arg == L"--exit-args" || arg == L"--proc-root") {
            const wchar_t* value = next();
            if (!value) return Usage();
            (arg == L"--startup-args" ? options.StartupArgs
             : arg == L"--exit-args"  ? options.ExitArgs
                                      : options.ProcRoot) = value;
        } else if (arg == L"--shown") {
            options.Shown = true;
        } else if (arg == L"--watch-shown") {
            const wchar_t* value = next();
            return value ? WatchShown(value) : Usage();
        } else if (arg == L"--show-command") {
            const wchar_t* value = next();
            if (!value) return Usage();
            options.ShowCommand = static_cast<WORD>(_wtoi(value));
        } else if (arg == L"--program" || arg == L"--program-args" || arg == L"--program-exit") {
            const bool withArgs = arg != L"--program";
            if (i + (withArgs ? 4 : 3) >= argc) return Usage();
            TProgram program{argv[i + 1], FullPath(argv[i + 2]), argv[i + 3], std::nullopt, std::nullopt};
            if (withArgs) (arg == L"--program-args" ? program.StartupArgs : program.ExitArgs) = argv[i + 4];
            i += withArgs ? 4 : 3;
            if (GetFileAttributesW(program.Exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
                std::fprintf(stderr, "no such program: %s\n", Narrow(program.Exe).c_str());
                return 2;
            }
            options.Programs.push_back(std::move(program));
        } else {
            return Usage();
        }
    }
    if (options.Programs.empty() || options.Runs < 1 || options.Warmup < 0) return Usage();

    std::printf("note runs %d warmup %d, programs in turn:", options.Runs, options.Warmup);
    for (const auto& program : options.Programs)
        std::printf(" %s", Narrow(program.Label).c_str());
    std::printf("\n");
    std::fflush(stdout);

    bool failed = false;
    if (options.Startup) {
        const auto results = RunPhase("startup", &RunStartup, options, failed);
        std::vector<std::string> metrics = {"startup_ms", "idle_ms",     "create_ms",
                                            "close_ms",   "peak_ws_kib", "ws_kib",
                                            "pagefile_kib", "private_kib"};
        if (options.ShowCommand) metrics.push_back("show_ms");
        if (options.Shown) metrics.push_back("shown_ms");
        if (!options.ProcRoot.empty()) {
            metrics.push_back("linux_vmhwm_kib");
            metrics.push_back("linux_vmrss_kib");
            metrics.push_back("linux_rssanon_kib");
        }
        PrintMedians(options, results, metrics);
    }
    if (options.Exit) {
        const auto results = RunPhase("exit", &RunExit, options, failed);
        PrintMedians(options, results, {"exit_ms"});
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
