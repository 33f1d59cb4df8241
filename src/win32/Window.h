#pragma once
// Base of the program's windows: the window procedure finds its object by the
// pointer bound at WM_NCCREATE and hands every message to HandleMessage.
#include <windows.h>

#include <functional>
#include <string>

namespace lumivane {

class TWindow {
public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return FHandle; }
    // The object of a window of one of these classes; null for any other window.
    static TWindow* FromHandle(HWND hwnd);

    // How the window's keys are handled wherever its messages are read
    // (RouteMessage): its accelerators (may be null), then its filter, which
    // returns true for a key it has handled, or, with no filter, dialog-style
    // navigation (Tab, mnemonics, Enter, Escape).
    struct TKeyboard {
        bool On = false;
        HACCEL Accelerators = nullptr;
        std::function<bool(MSG&)> Filter;
    };
    void SetKeyboard(HACCEL accelerators, std::function<bool(MSG&)> filter = {}) {
        FKeyboard = {true, accelerators, std::move(filter)};
    }
    void ClearKeyboard() { FKeyboard = {}; }
    const TKeyboard& Keyboard() const { return FKeyboard; }

    // Registers a class whose windows dispatch to TWindow objects.
    static ATOM RegisterClass(const wchar_t* className, HICON icon, UINT style = 0);

protected:
    bool CreateHandle(DWORD exStyle, const wchar_t* className, const std::wstring& caption,
                      DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu = nullptr);
    void DestroyHandle();
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called once the window is gone (WM_NCDESTROY).
    virtual void Destroyed() {}

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND FHandle = nullptr;
    TKeyboard FKeyboard;
};

// The module's instance handle.
HINSTANCE ModuleInstance();
// Text of a window, whatever its length.
std::wstring WindowText(HWND hwnd);
// Gives the window a client area of width x height pixels at 96 DPI, scaled
// to its own DPI (below its menu bar, if it has one), centred on the screen.
// Returns that DPI.
UINT SetClientSizeCentred(HWND hwnd, int width, int height);
// The frame SetClientSizeCentred gives a window of that style and DPI.
RECT CentredFrame(DWORD style, DWORD exStyle, bool menu, int width, int height, UINT dpi);
// The program's font, Tahoma at 8 points, for a window of the given DPI.
HFONT CreateTahomaFont(UINT dpi, int weight = FW_NORMAL);
// A visible control of a dialog laid out at 96 DPI: `r` scaled to `dpi`,
// with the dialog's font.
HWND CreateScaledChild(HWND parent, UINT dpi, HFONT font, DWORD exStyle, const wchar_t* cls, const wchar_t* caption,
                       DWORD style, RECT r, int id);

}  // namespace lumivane
