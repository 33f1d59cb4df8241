// The baseline of the benchmark: the least a Win32 program can do and still
// behave like Lumivane from the outside. One window of the same style and
// size, a message loop, WM_CLOSE ends it; "-screensaver" broadcasts the
// start-screen-saver request the same way and ends through the loop.
// No resources, no COM, no common controls, no C++ runtime work: whatever
// Lumivane costs on top of this program is its own.
#include <windows.h>

#ifdef LUMIVANE_BENCH_MARKS
#include "base/BenchMarks.h"
#endif

namespace {

constexpr wchar_t kClassName[] = L"LumivaneBenchBare";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The first argument of the command line (after the program's own name),
// compared without regard to ASCII case.
bool FirstArgumentIs(const wchar_t* arguments, const wchar_t* expected) {
    while (*arguments == L' ' || *arguments == L'\t') ++arguments;
    const wchar_t* end = arguments;
    while (*end && *end != L' ' && *end != L'\t') ++end;
    const int length = static_cast<int>(end - arguments);
    return length == lstrlenW(expected) &&
           CompareStringOrdinal(arguments, length, expected, length, TRUE) == CSTR_EQUAL;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int showCommand) {
#ifdef LUMIVANE_BENCH_MARKS
    LUMIVANE_MARK("entry");
#endif
    // "-exit": the cost of a process start alone.
    if (FirstArgumentIs(arguments, L"-exit")) return 0;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;

    // Lumivane's client area: 632 x 318.
    RECT frame{0, 0, 632, 318};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExW(0, kClassName, L"Lumivane bench", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
#ifdef LUMIVANE_BENCH_MARKS
    LUMIVANE_MARK("window");
#endif

    const bool screenSaver = FirstArgumentIs(arguments, L"-screensaver");
    // Never waits for the receivers, as Lumivane does.
    if (screenSaver) SendNotifyMessageW(HWND_BROADCAST, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    ShowWindow(window, showCommand);
    if (screenSaver) PostQuitMessage(0);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
#ifdef LUMIVANE_BENCH_MARKS
    DestroyWindow(window);  // as Lumivane's end does, before its end mark
    LUMIVANE_WRITE_MARKS(arguments);
#endif
    return static_cast<int>(msg.wParam);
}
