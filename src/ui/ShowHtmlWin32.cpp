#include "ui/ShowHtmlWin32.h"

#include <cmath>

#include "resource.h"
#include "ui/BrowserHostWin32.h"
#include "win32/MessageLoopWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

const wchar_t* const kShowHtmlClassName = L"TfShowHtml";

std::wstring MissingFileText(const std::wstring& fileName) { return L"Couldn't find the file " + fileName; }

namespace {

// Sizeable, maximisable, not minimisable.
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX;

}  // namespace

class TfShowHtml final : public TWindow {
public:
    TfShowHtml(THelpViewerWin32& slot, HWND owner, bool modeless) : FSlot(slot), FModeless(modeless) {
        static const ATOM atom =
            RegisterClass(kShowHtmlClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_MENU1 + 9)));
        (void)atom;
        CreateHandle(owner ? 0 : WS_EX_APPWINDOW, kShowHtmlClassName, L"", kStyle | WS_CLIPCHILDREN, 0, 0, 632, 453,
                     owner);
    }
    ~TfShowHtml() override {
        FInDestructor = true;
        DestroyHandle();
    }
    bool Open(const std::wstring& title, const std::wstring& fileName, HICON icon);
    void RunModal() { RunModalLoop(*this, FClosed); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;

private:
    bool KeyPreview(MSG& msg);
    void PlaceOnMonitor();
    THelpViewerWin32& FSlot;
    bool FModeless;
    bool FClosed = false;
    TBrowserHostWin32 FBrowser;
    bool FInDestructor = false;
    TUniqueHicon FIcon;
};

void TfShowHtml::PlaceOnMonitor() {
    // 80 % by 70 % of the nearest monitor, centred on it.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &info);
    const RECT& m = info.rcMonitor;
    const int w = static_cast<int>(std::lround(0.8 * (m.right - m.left)));
    const int h = static_cast<int>(std::lround(0.7 * (m.bottom - m.top)));
    SetWindowPos(Handle(), nullptr, m.left + (m.right - m.left - w) / 2, m.top + (m.bottom - m.top - h) / 2, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TfShowHtml::Open(const std::wstring& title, const std::wstring& fileName, HICON icon) {
    if (!Handle()) return false;
    SetWindowTextW(Handle(), title.c_str());
    if (icon) {
        FIcon.Reset(CopyIcon(icon));
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIcon.Get()));
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon.Get()));
    }
    PlaceOnMonitor();
    FBrowser.SetWindow(Handle());
    if (!FBrowser.Open(fileName)) return false;
    SetKeyboard(nullptr, [this](MSG& msg) { return KeyPreview(msg); });
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    FBrowser.Focus();
    return true;
}

bool TfShowHtml::KeyPreview(MSG& msg) {
    // The window sees the keys before the control: Escape closes it.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        if (FModeless)
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
        else
            FClosed = true;
        return true;
    }
    return FBrowser.TranslateAccelerator(msg);
}

LRESULT TfShowHtml::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE: FBrowser.Resize(); return 0;
    case WM_SETFOCUS: FBrowser.Focus(); return 0;  // the page, not the frame, takes the keys
    case WM_CLOSE:
        if (!FModeless) {
            FClosed = true;
            return 0;
        }
        break;  // closing frees the viewer
    case WM_DESTROY:
        FBrowser.Close();
        return 0;
    default: break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

void TfShowHtml::Destroyed() {
    // FormDestroy: the next request makes a new viewer.
    if (FSlot.FViewer == this) FSlot.FViewer = nullptr;
    // A modeless viewer frees itself when its window goes, unless it is
    // being freed already.
    if (FModeless && !FInDestructor) delete this;
}

HWND THelpViewerWin32::Window() const { return FViewer ? FViewer->Handle() : nullptr; }

void THelpViewerWin32::Close() {
    if (HWND window = Window()) DestroyWindow(window);
}

void THelpViewerWin32::Show(const std::wstring& title, const std::wstring& fileName, HWND mainForm, HICON icon,
                            bool modeless, IErrorBox& errors) {
    if (GetFileAttributesW(fileName.c_str()) == INVALID_FILE_ATTRIBUTES) {
        errors.ShowError(MissingFileText(fileName));
        return;
    }
    if (FViewer) {
        SetForegroundWindow(FViewer->Handle());
        return;
    }
    // Modeless: no owner, so it has its own taskbar button and stays while
    // the main window is hidden.
    auto* viewer = new TfShowHtml(*this, modeless ? nullptr : mainForm, modeless);
    FViewer = viewer;
    bool shown = false;
    try {
        shown = viewer->Open(title, fileName, icon);
    } catch (...) {
        shown = false;
    }
    if (!shown) {
        // Freed silently: the failure goes no further.
        FViewer = nullptr;
        if (modeless) {
            // Destroying a modeless viewer deletes it.
            if (viewer->Handle()) {
                DestroyWindow(viewer->Handle());
                return;
            }
        }
        delete viewer;
        return;
    }
    if (!modeless) {
        viewer->RunModal();
        FViewer = nullptr;
        delete viewer;
    }
}

}  // namespace lumivane
