#include "win32/Window.h"

namespace lumivane {

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT CentredFrame(DWORD style, DWORD exStyle, bool menu, int width, int height, UINT dpi) {
    RECT frame{0, 0, MulDiv(width, static_cast<int>(dpi), 96), MulDiv(height, static_cast<int>(dpi), 96)};
    AdjustWindowRectExForDpi(&frame, style, menu, exStyle, dpi);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    return {x, y, x + w, y + h};
}

UINT SetClientSizeCentred(HWND hwnd, int width, int height) {
    const UINT dpi = GetDpiForWindow(hwnd);
    const RECT f = CentredFrame(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)),
                                static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), GetMenu(hwnd) != nullptr, width,
                                height, dpi);
    SetWindowPos(hwnd, nullptr, f.left, f.top, f.right - f.left, f.bottom - f.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return dpi;
}

HFONT CreateTahomaFont(UINT dpi, int weight) {
    return CreateFontW(-MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, L"Tahoma");
}

HWND CreateScaledChild(HWND parent, UINT dpi, HFONT font, DWORD exStyle, const wchar_t* cls, const wchar_t* caption,
                       DWORD style, RECT r, int id) {
    const auto scale = [dpi](LONG v) { return MulDiv(v, static_cast<int>(dpi), 96); };
    HWND h = CreateWindowExW(exStyle, cls, caption, WS_CHILD | WS_VISIBLE | style, scale(r.left), scale(r.top),
                             scale(r.right - r.left), scale(r.bottom - r.top), parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

TWindow::~TWindow() { DestroyHandle(); }

ATOM TWindow::RegisterClass(const wchar_t* className, HICON icon, UINT style) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &TWindow::WindowProc;
    wc.hInstance = ModuleInstance();
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc);
}

bool TWindow::CreateHandle(DWORD exStyle, const wchar_t* className, const std::wstring& caption,
                           DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu) {
    CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height, parent,
                    menu, ModuleInstance(), this);
    return FHandle != nullptr;
}

void TWindow::DestroyHandle() {
    if (FHandle) DestroyWindow(FHandle);
}

TWindow* TWindow::FromHandle(HWND hwnd) {
    // Only the classes registered here keep their object in the user data.
    if (!hwnd || GetClassLongPtrW(hwnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&TWindow::WindowProc))
        return nullptr;
    return reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYSCOLORCHANGE) {
        // A new colour scheme (high contrast): the common controls (tool
        // bar, hot key fields, pickers) hear of it only from their parent,
        // and every colour is read again from the system as all is repainted.
        for (HWND child = GetWindow(FHandle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, msg, wParam, lParam);
        RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        return 0;
    }
    return DefWindowProcW(FHandle, msg, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FHandle = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = self->HandleMessage(msg, wParam, lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
        self->Destroyed();
        return result;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

}  // namespace lumivane
