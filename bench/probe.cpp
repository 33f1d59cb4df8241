// The bare program with Lumivane's start-up work added back one piece at a
// time, to tell where Lumivane's extra start-up time and memory go. It imports
// the same system libraries as Lumivane (every piece below is linked in,
// whether or not it runs); built once without resources and once with
// Lumivane's own (manifest, icons, menu). The pieces to run are named on the
// command line, in any order, and run in this order:
//
//   com       CoInitialize before anything else, CoUninitialize at the end
//   controls  two Tahoma fonts, two group boxes and eight labels sized to
//             their text, as the main window has
//   icons     the class icon and the small icon from the resources, and the
//             eight state icons through an image list
//   notify    the notification icon (added at start, deleted at the end)
//             and the notification menu
//   all       all of them
//
// Window class "LumivaneBenchProbe"; WM_CLOSE ends it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"LumivaneBenchProbe";
// Resource numbers of Lumivane's resources (res/resource.h).
constexpr int kAppIcon = 1, kFirstStateIcon = 110, kNotifyMenu = 300;
constexpr UINT kNotifyCallback = WM_APP + 1;

struct TSteps {
    bool Com = false, Controls = false, Icons = false, Notify = false;
};

TSteps ParseSteps() {
    TSteps steps;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; argv && i < count; ++i) {
        const bool all = lstrcmpiW(argv[i], L"all") == 0;
        steps.Com |= all || lstrcmpiW(argv[i], L"com") == 0;
        steps.Controls |= all || lstrcmpiW(argv[i], L"controls") == 0;
        steps.Icons |= all || lstrcmpiW(argv[i], L"icons") == 0;
        steps.Notify |= all || lstrcmpiW(argv[i], L"notify") == 0;
    }
    LocalFree(argv);
    return steps;
}

HFONT CreateTahoma(int weight) {
    return CreateFontW(-MulDiv(8, 96, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       L"Tahoma");
}

void CreateControls(HWND window, HFONT font, HFONT bold) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t* captions[] = {L"Screen saver active:", L"Screen saver timeout:",
                                 L"Monitor power off active:", L"Monitor power off timeout:"};
    for (int g = 0; g < 2; ++g) {
        const int left = g ? 318 : 6;
        HWND box = CreateWindowExW(0, L"BUTTON", g ? L"Monitor power off" : L"Screen saver",
                                   WS_CHILD | WS_VISIBLE | BS_GROUPBOX, left, 52, 308, 150,
                                   window, nullptr, nullptr, nullptr);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (int row = 0; row < 2; ++row) {
            const wchar_t* caption = captions[g * 2 + row];
            SIZE size{};
            GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &size);
            const int top = 52 + (row ? 50 : 22);
            HWND label = CreateWindowExW(0, L"STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                         left + 7, top, size.cx, 14, window, nullptr, nullptr,
                                         nullptr);
            SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            HWND value = CreateWindowExW(0, L"STATIC", L"Yes", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                         left + 10 + size.cx, top, 150, 28, window, nullptr,
                                         nullptr, nullptr);
            SendMessageW(value, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
        }
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    const TSteps steps = ParseSteps();
    const bool com = steps.Com && SUCCEEDED(CoInitialize(nullptr));

    const int iconSize = GetSystemMetrics(SM_CXSMICON);
    HICON classIcon = steps.Icons ? LoadIconW(instance, MAKEINTRESOURCEW(kAppIcon)) : nullptr;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hIcon = classIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;

    RECT frame{0, 0, 632, 318};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExW(0, kClassName, L"Lumivane probe", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    HFONT font = nullptr, bold = nullptr;
    if (steps.Controls) {
        font = CreateTahoma(FW_NORMAL);
        bold = CreateTahoma(FW_BOLD);
        CreateControls(window, font, bold);
    }

    HIMAGELIST stateIcons = nullptr;
    HICON smallIcon = nullptr;
    if (steps.Icons || steps.Notify) {
        smallIcon = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(kAppIcon), IMAGE_ICON, iconSize, iconSize,
                       0));
        if (!smallIcon) smallIcon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    if (steps.Icons) {
        stateIcons = ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 8, 0);
        for (int i = 0; i < 8; ++i) {
            HICON icon = static_cast<HICON>(LoadImageW(instance,
                                                       MAKEINTRESOURCEW(kFirstStateIcon + i),
                                                       IMAGE_ICON, iconSize, iconSize, 0));
            if (!icon) continue;
            ImageList_AddIcon(stateIcons, icon);
            DestroyIcon(icon);
        }
    }

    NOTIFYICONDATAW notify{};
    HMENU menu = nullptr;
    if (steps.Notify) {
        menu = LoadMenuW(instance, MAKEINTRESOURCEW(kNotifyMenu));
        notify.cbSize = sizeof(notify);
        notify.hWnd = window;
        notify.uID = 1;
        notify.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        notify.uCallbackMessage = kNotifyCallback;
        notify.hIcon = smallIcon;
        lstrcpynW(notify.szTip, L"Lumivane probe", ARRAYSIZE(notify.szTip));
        Shell_NotifyIconW(NIM_ADD, &notify);
    }

    ShowWindow(window, showCommand);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    if (steps.Notify) Shell_NotifyIconW(NIM_DELETE, &notify);
    if (menu) DestroyMenu(menu);
    if (stateIcons) ImageList_Destroy(stateIcons);
    if (font) DeleteObject(font);
    if (bold) DeleteObject(bold);
    if (com) CoUninitialize();
    return static_cast<int>(msg.wParam);
}
