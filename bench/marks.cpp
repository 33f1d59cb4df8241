// The marks of the traced build (src/base/BenchMarks.h): milliseconds from
// the process's creation, as the system stamped it, to each first mark. The
// file gets one line a run: "marks ARGUMENTS name=ms ...".
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/BenchMarks.h"

namespace lumivane::bench {
namespace {

struct TMark {
    const char* Name;
    double Ms;
};
TMark gMarks[48];
int gCount = 0;

double MsSinceCreation() {
    FILETIME created, ended, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

}  // namespace

void Mark(const char* name) {
    for (int i = 0; i < gCount; ++i)
        if (std::strcmp(gMarks[i].Name, name) == 0) return;
    if (gCount < 48) gMarks[gCount++] = {name, MsSinceCreation()};
}

void WriteMarks(const wchar_t* arguments) {
    Mark("end");
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"LUMIVANE_BENCH_MARKS_FILE", path, MAX_PATH)) return;
    FILE* file = _wfopen(path, L"a");
    if (!file) return;
    std::fprintf(file, "marks %ls", *arguments ? arguments : L"-");
    for (int i = 0; i < gCount; ++i) std::fprintf(file, " %s=%.3f", gMarks[i].Name, gMarks[i].Ms);
    std::fprintf(file, "\n");
    std::fclose(file);
}

}  // namespace lumivane::bench
