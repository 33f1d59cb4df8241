#pragma once
// Base of the program's windows: the window procedure finds its object by the
// pointer bound at WM_NCCREATE and hands every message to HandleMessage.
#include <windows.h>

#include <string>

namespace lumivane {

class TWindow {
public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return FHandle; }

    // Registers a class whose windows dispatch to TWindow objects.
    static ATOM RegisterClass(const wchar_t* className, HICON icon, UINT style = 0);

protected:
    bool CreateHandle(DWORD exStyle, const wchar_t* className, const std::wstring& caption,
                      DWORD style, int x, int y, int width, int height, HWND parent);
    void DestroyHandle();
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called once the window is gone (WM_NCDESTROY).
    virtual void Destroyed() {}

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND FHandle = nullptr;
};

// The module's instance handle.
HINSTANCE ModuleInstance();
// Text of a window, whatever its length.
std::wstring WindowText(HWND hwnd);
// Gives the window a client area of width x height pixels at 96 DPI, scaled
// to its own DPI (below its menu bar, if it has one), centred on the screen.
// Returns that DPI.
UINT SetClientSizeCentred(HWND hwnd, int width, int height);
// The program's font, Tahoma at 8 points, for a window of the given DPI.
HFONT CreateTahomaFont(UINT dpi, int weight = FW_NORMAL);

}  // namespace lumivane
