// A slow running copy for the command-line tests, a Lumivane.exe of its own
// (only such a process's window is the copy): it answers "busy" to the first
// N requests (argument N), or never reads them ("hung"), until released.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int gBusy = 0, gAsked = 0;
// kBusyReply, then the answer "deactivated, both items off".
LRESULT CALLBACK BusyCopy(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return m != WM_COPYDATA ? DefWindowProcW(w, m, wp, lp) : ++gAsked <= gBusy ? 2 : 3;
}

int main(int argc, char** argv) {
    const bool hung = argc > 1 && std::strcmp(argv[1], "hung") == 0;
    gBusy = argc > 1 && !hung ? std::atoi(argv[1]) : 0;
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, L"Lumivane test release");
    WNDCLASSW cls{0, BusyCopy, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"TfMain_lumivane"};
    RegisterClassW(&cls);
    CreateWindowExW(0, cls.lpszClassName, L"Lumivane", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (MSG msg; release && MsgWaitForMultipleObjects(1, &release, FALSE, INFINITE, hung ? 0 : QS_ALLINPUT) == WAIT_OBJECT_0 + 1;)
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
