#include "ui/UntilDialogWin32.h"

#include <commctrl.h>

#include "resource.h"
#include "win32/CommonControlsWin32.h"
#include "win32/MessageLoopWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

const wchar_t* const kUntilDialogClassName = L"TfUntil";

namespace {

// Layout at 96 pixels per inch; scaled to the window's DPI.
constexpr int kClientWidth = 250, kClientHeight = 82;
constexpr RECT kLabelRect{12, 15, 70, 31}, kPickerRect{76, 12, 238, 35};
constexpr int kButtonWidth = 75, kButtonHeight = 25, kButtonTop = 46;
constexpr int kIdPicker = 100;

class TfUntil final : public TWindow {
public:
    TfUntil(HWND owner, const TTimeOfDay& initial) {
        static const ATOM atom =
            RegisterClass(kUntilDialogClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)));
        (void)atom;
        FControls.Load();
        if (!CreateHandle(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_TOPMOST, kUntilDialogClassName,
                          L"Deactivate managed items until", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner))
            return;
        FDpi = SetClientSizeCentred(Handle(), kClientWidth, kClientHeight);
        FFont.Reset(CreateTahomaFont(FDpi));
        child(L"STATIC", L"&Until:", SS_LEFT, kLabelRect, -1);
        FPicker = child(DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN, kPickerRect, kIdPicker);
        SYSTEMTIME at{};
        GetLocalTime(&at);
        at.wHour = static_cast<WORD>(initial.Hour);
        at.wMinute = static_cast<WORD>(initial.Minute);
        at.wSecond = 0;
        at.wMilliseconds = 0;
        SendMessageW(FPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));
        // Hours and minutes, as the user writes them: the seconds are no choice here.
        wchar_t shortTime[80] = {};
        if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTTIME, shortTime, ARRAYSIZE(shortTime)) > 0)
            SendMessageW(FPicker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(shortTime));
        const int right = kClientWidth - 12;
        child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
              {right - 2 * kButtonWidth - 6, kButtonTop, right - kButtonWidth - 6, kButtonTop + kButtonHeight}, IDOK);
        child(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP,
              {right - kButtonWidth, kButtonTop, right, kButtonTop + kButtonHeight}, IDCANCEL);
    }
    ~TfUntil() override { DestroyHandle(); }

    std::optional<TTimeOfDay> Ask() {
        if (!Handle() || !FPicker) return std::nullopt;
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        SetFocus(FPicker);
        RunModalLoop(*this, FClosed);
        ShowWindow(Handle(), SW_HIDE);
        return FChosen;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                SYSTEMTIME at{};
                if (SendMessageW(FPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) == GDT_VALID)
                    FChosen = TTimeOfDay{at.wHour, at.wMinute, at.wSecond, 0};
                FClosed = true;
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) FClosed = true;
            return 0;
        case WM_CLOSE: FClosed = true; return 0;
        case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
        default: return TWindow::HandleMessage(msg, wParam, lParam);
        }
    }

private:
    HWND child(const wchar_t* cls, const wchar_t* caption, DWORD style, RECT r, int id) {
        return CreateScaledChild(Handle(), FDpi, FFont.Get(), 0, cls, caption, style, r, id);
    }
    TCommonControlsWin32 FControls;
    UINT FDpi = 96;
    bool FClosed = false;
    HWND FPicker = nullptr;
    TUniqueHfont FFont;
    std::optional<TTimeOfDay> FChosen;
};

}  // namespace

std::optional<TTimeOfDay> AskDeactivateUntil(HWND owner, const TTimeOfDay& initial) {
    TfUntil dialog(owner, initial);
    return dialog.Ask();
}

}  // namespace lumivane
