#include "ui/UntilDialogWin32.h"

#include <commctrl.h>

#include "win32/ModalDialogWin32.h"

namespace lumivane {

const wchar_t* const kUntilDialogClassName = L"TfUntil";

namespace {

// Layout at 96 pixels per inch; scaled to the window's DPI.
constexpr int kClientWidth = 250, kClientHeight = 82;
constexpr RECT kLabelRect{12, 15, 70, 31}, kPickerRect{76, 12, 238, 35};
constexpr int kIdPicker = 100;

class TfUntil final : public TModalDialogWin32 {
public:
    TfUntil(HWND owner, const TTimeOfDay& initial) {
        if (!Open(owner, kUntilDialogClassName, L"Deactivate managed items until", kClientWidth, kClientHeight))
            return;
        Child(0, L"STATIC", L"&Until:", SS_LEFT, kLabelRect, -1);
        FPicker = Child(0, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN, kPickerRect, kIdPicker);
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
    }

    std::optional<TTimeOfDay> Ask() {
        if (!Handle() || !FPicker) return std::nullopt;
        RunModal(FPicker);
        return FChosen;
    }

private:
    void Command(int id, int) override {
        if (id == IDOK) {
            SYSTEMTIME at{};
            if (SendMessageW(FPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) == GDT_VALID)
                FChosen = TTimeOfDay{at.wHour, at.wMinute, at.wSecond, 0};
            Close();
        } else if (id == IDCANCEL) {
            Close();
        }
    }
    HWND FPicker = nullptr;
    std::optional<TTimeOfDay> FChosen;
};

}  // namespace

std::optional<TTimeOfDay> AskDeactivateUntil(HWND owner, const TTimeOfDay& initial) {
    TfUntil dialog(owner, initial);
    return dialog.Ask();
}

}  // namespace lumivane
