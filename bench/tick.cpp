// What one 500 ms tick costs while the program idles in the notification
// area: the program's own objects (TLumivaneWin32), made hidden as at a
// -quiet start in whatever state the prefix holds, and their tick called
// over and over. Prints wall and CPU time per tick in microseconds: the
// whole tick, the watchdog's part (the plan, the settings, the display
// request, the status), the status refresh alone and the four settings it
// shows read straight from the system; the triggers' look is the whole less
// the watchdog.
//   lumivane_bench_tick [TICKS]   default 2000
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "app/CompositionWin32.h"

namespace {

double WallUs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

double CpuUs() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto us = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10.0;
    };
    return us(kernel) + us(user);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <typename F>
void Time(const char* name, int ticks, F&& tick) {
    tick();  // the first one fills what later ones keep
    const double wall = WallUs(), cpu = CpuUs();
    for (int i = 0; i < ticks; ++i) tick();
    std::printf("tick %-10s wall_us %8.1f cpu_us %8.1f\n", name, (WallUs() - wall) / ticks, (CpuUs() - cpu) / ticks);
    Pump();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int ticks = argc > 1 ? _wtoi(argv[1]) : 2000;
    if (ticks < 1) return 2;
    lumivane::TLumivaneWin32 lumivane(nullptr);
    if (!lumivane.Create(L"Lumivane")) return 1;
    Pump();
    auto& timer = lumivane.Config().TimerCheckConfiguration();
    Time("whole", ticks, [&] { timer.Tick(); });
    Time("watchdog", ticks, [&] { lumivane.Config().TimerCheckConfigurationTimer(&timer); });
    Time("status", ticks, [&] { lumivane.Status().UpdateStatus(); });
    // The four settings the status shows, read from the system directly.
    Time("settings", ticks, [] {
        for (UINT action : {SPI_GETSCREENSAVEACTIVE, SPI_GETSCREENSAVETIMEOUT, SPI_GETPOWEROFFACTIVE,
                            SPI_GETPOWEROFFTIMEOUT}) {
            UINT value = 0;
            SystemParametersInfoW(action, 0, &value, 0);
        }
    });
    lumivane.Main().Destroy();
    return 0;
}
