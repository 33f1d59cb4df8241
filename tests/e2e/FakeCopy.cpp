// A running copy that is slow to answer, for the command-line tests: a
// Lumivane.exe of its own, since a window of the copy's class counts only
// in such a process. Its window answers "busy" to the first N requests
// (argument N), or never reads them ("hung"), until the test's release.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {
int gBusy = 0, gAsked = 0;
// kBusyReply, then the answer "deactivated, both items off".
LRESULT CALLBACK BusyCopy(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return m != WM_COPYDATA ? DefWindowProcW(w, m, wp, lp) : ++gAsked <= gBusy ? 2 : 3;
}
}  // namespace

int main(int argc, char** argv) {
    const bool hung = argc > 1 && std::strcmp(argv[1], "hung") == 0;
    gBusy = argc > 1 && !hung ? std::atoi(argv[1]) : 0;
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, L"Lumivane test release");
    WNDCLASSW cls{};
    cls.lpfnWndProc = BusyCopy;
    cls.lpszClassName = L"TfMain_lumivane";
    RegisterClassW(&cls);
    CreateWindowExW(0, cls.lpszClassName, L"Lumivane", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (release && MsgWaitForMultipleObjects(1, &release, FALSE, INFINITE, hung ? 0 : QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return 0;
}
