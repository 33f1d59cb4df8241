#include "ui/ScheduleWindowDialogWin32.h"

#include <commctrl.h>

#include <cstdio>

#include "ui/ScheduleRows.h"
#include "win32/ModalDialogWin32.h"

namespace lumivane {

const wchar_t* const kScheduleWindowDialogClassName = L"TfScheduleWindow";

namespace {

using C = TScheduleWindowControl;

// Layout at 96 pixels per inch; scaled to the window's DPI.
constexpr int kClientWidth = 390, kClientHeight = 160;
constexpr int kDayLeft = 12, kDayTop = 32, kDayWidth = 52;

// The user's short time picture ("HH:mm", "h:mm tt"); empty when the locale
// does not say.
std::wstring ShortTimePicture() {
    wchar_t picture[80] = {};
    return GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTTIME, picture, ARRAYSIZE(picture)) > 0 ? picture
                                                                                                       : L"";
}

SYSTEMTIME TodayAt(int minutes) {
    SYSTEMTIME at{};
    GetLocalTime(&at);
    at.wHour = static_cast<WORD>(minutes / 60);
    at.wMinute = static_cast<WORD>(minutes % 60);
    at.wSecond = 0;
    at.wMilliseconds = 0;
    return at;
}

class TfScheduleWindow final : public TModalDialogWin32 {
public:
    TfScheduleWindow(HWND owner, const TScheduleWindow& initial) {
        if (!Open(owner, kScheduleWindowDialogClassName, L"Scheduled deactivation", kClientWidth, kClientHeight))
            return;
        Child(0, L"STATIC", L"On these days:", SS_LEFT, {12, 12, kClientWidth - 12, 28}, -1);
        const auto names = UserDayNames();
        for (int day = 0; day < 7; ++day) {
            const int left = kDayLeft + day * kDayWidth;
            HWND box = Child(0, L"BUTTON", names[day].c_str(), BS_AUTOCHECKBOX | WS_TABSTOP,
                             {left, kDayTop, left + kDayWidth - 2, kDayTop + 17}, static_cast<int>(C::Monday) + day);
            SendMessageW(box, BM_SETCHECK, (initial.Days >> day & 1) ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        Child(0, L"STATIC", L"&From:", SS_LEFT, {12, 68, 48, 84}, -1);
        FFrom = Picker({50, 64, 150, 87}, C::From, initial.Start);
        Child(0, L"STATIC", L"&To:", SS_LEFT, {170, 68, 196, 84}, -1);
        FTo = Picker({198, 64, 298, 87}, C::To, initial.End);
        FProblem = Child(0, L"STATIC", L"", SS_LEFT, {12, 100, kClientWidth - 12, 116}, static_cast<int>(C::Problem));
    }

    std::optional<TScheduleWindow> Ask() {
        if (!Handle() || !FTo) return std::nullopt;
        RunModal(GetDlgItem(Handle(), static_cast<int>(C::Monday)));
        return FChosen;
    }

private:
    HWND Picker(RECT r, C id, int minutes) {
        HWND picker = Child(0, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN, r,
                            static_cast<int>(id));
        const SYSTEMTIME at = TodayAt(minutes);
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));
        // Hours and minutes, as the user writes them: the stored form has no seconds.
        if (const std::wstring picture = ShortTimePicture(); !picture.empty())
            SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(picture.c_str()));
        return picker;
    }

    static uint16_t Minutes(HWND picker) {
        SYSTEMTIME at{};
        if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) != GDT_VALID) return 0;
        return static_cast<uint16_t>(at.wHour * 60 + at.wMinute);
    }

    void Command(int id, int) override {
        if (id == IDCANCEL) {
            Close();
        } else if (id == IDOK) {
            TScheduleWindow window{0, Minutes(FFrom), Minutes(FTo)};
            for (int day = 0; day < 7; ++day)
                if (SendMessageW(GetDlgItem(Handle(), static_cast<int>(C::Monday) + day), BM_GETCHECK, 0, 0) ==
                    BST_CHECKED)
                    window.Days |= static_cast<uint8_t>(1 << day);
            // Said in the dialog, beside what is to change: the user's work stays in it.
            if (const std::wstring problem = ScheduleWindowProblem(window); !problem.empty()) {
                SetWindowTextW(FProblem, problem.c_str());
                MessageBeep(MB_ICONWARNING);
                SetFocus(window.Days ? FFrom : GetDlgItem(Handle(), static_cast<int>(C::Monday)));
                return;
            }
            FChosen = window;
            Close();
        }
    }

    HWND FFrom = nullptr, FTo = nullptr, FProblem = nullptr;
    std::optional<TScheduleWindow> FChosen;
};

}  // namespace

std::optional<TScheduleWindow> AskScheduleWindow(HWND owner, const TScheduleWindow& initial) {
    TfScheduleWindow dialog(owner, initial);
    return dialog.Ask();
}

std::array<std::wstring, 7> UserDayNames() {
    // The locale's first abbreviated name is Monday's; its own stored form
    // stands in for a name the locale does not give.
    static const wchar_t* const kFallback[7] = {L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat", L"Sun"};
    std::array<std::wstring, 7> names;
    for (int day = 0; day < 7; ++day) {
        wchar_t name[80] = {};
        names[day] = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SABBREVDAYNAME1 + day, name, ARRAYSIZE(name)) > 0
                         ? name
                         : kFallback[day];
    }
    return names;
}

std::wstring UserShortTime(int minutes) {
    const SYSTEMTIME at = TodayAt(minutes);
    const std::wstring picture = ShortTimePicture();
    wchar_t text[80] = {};
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, picture.empty() ? TIME_NOSECONDS : 0, &at,
                        picture.empty() ? nullptr : picture.c_str(), text, ARRAYSIZE(text)) > 0)
        return text;
    std::swprintf(text, ARRAYSIZE(text), L"%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

}  // namespace lumivane
