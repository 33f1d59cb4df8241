// What the automatic deactivation's look at the process list costs: the
// matching of ten listed names against a list of 300 processes (what a
// Windows 10/11 session has; Wine has about 15), and the system's own
// lists as this machine answers them. Prints one line a figure.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sources/TriggerWatchWin32.h"

using namespace lumivane;

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](FILETIME t) {
        return static_cast<double>(ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart);
    };
    return (value(kernel) + value(user)) / 1e7;
}

// Runs `work` `runs` times; prints the wall and CPU time of one run in microseconds.
template <typename F>
void Time(const char* what, int runs, F work) {
    size_t found = 0;
    const double cpu0 = CpuSeconds();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i) found += work();
    QueryPerformanceCounter(&end);
    std::printf("%-34s %9.2f us wall %9.2f us cpu  (%zu found in %d runs)\n", what, Seconds(start, end) * 1e6 / runs,
                (CpuSeconds() - cpu0) * 1e6 / runs, found, runs);
}

}  // namespace

int wmain() {
    static const wchar_t* const common[] = {L"svchost.exe", L"RuntimeBroker.exe", L"conhost.exe", L"chrome.exe",
                                            L"msedgewebview2.exe", L"backgroundTaskHost.exe", L"dllhost.exe"};
    std::vector<TRunningProcess> processes;
    for (uint32_t i = 0; processes.size() < 300; ++i)
        processes.push_back({4 * i, i % 2 ? common[i % 7] : L"Program Number " + std::to_wstring(i) + L".exe"});
    const TProgramMatcher matcher({L"POWERPNT.EXE", L"vlc", L"mstsc.exe", L"mpc-hc64.exe", L"wmplayer.exe",
                                   L"Teams.exe", L"zoom.exe", L"obs64.exe", L"chrome.exe", L"msedge.exe"});
    Time("match 10 names, 300 processes", 20000, [&] { return matcher.Match(processes).size(); });
    const auto session = SystemProbes().SessionProcesses;
    Time("session list (WTS), this machine", 200, [&] {
        const auto list = session();
        return list ? list->size() : 0;
    });
    Time("machine list (Toolhelp)", 200, [&] { return AllProcesses().size(); });
    return 0;
}
