// The baseline of the idle benchmark: a bare program that keeps one icon in
// the notification area and updates its picture and tooltip from a 500 ms
// timer, as Lumivane does while it idles in the notification area.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"LumivaneBenchBareTray";
NOTIFYICONDATAW gIcon{};
HICON gPictures[2] = {};
int gTick = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        ++gTick;
        wsprintfW(gIcon.szTip, L"Screen saver:  Active\rMonitor power off:  %s",
                  gTick % 2 ? L"Active" : L"Inactive");
        Shell_NotifyIconW(NIM_MODIFY, &gIcon);  // the tooltip
        gIcon.hIcon = gPictures[gTick % 2];
        Shell_NotifyIconW(NIM_MODIFY, &gIcon);  // the picture
        return 0;
    case WM_DESTROY:
        Shell_NotifyIconW(NIM_DELETE, &gIcon);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;
    HWND window = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    gPictures[0] = LoadIconW(nullptr, IDI_APPLICATION);
    gPictures[1] = LoadIconW(nullptr, IDI_INFORMATION);
    gIcon.cbSize = sizeof(gIcon);
    gIcon.hWnd = window;
    gIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    gIcon.uCallbackMessage = WM_USER + 1;
    gIcon.hIcon = gPictures[0];
    Shell_NotifyIconW(NIM_ADD, &gIcon);
    gIcon.uFlags = NIF_ICON | NIF_TIP;
    SetTimer(window, 1, 500, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
