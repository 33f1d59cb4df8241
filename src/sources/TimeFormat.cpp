#include "sources/TimeFormat.h"

namespace lumivane {

TTimeOfDay TimeOfDayAfter(const TTimeOfDay& start, uint64_t milliseconds) {
    constexpr uint64_t kDay = 24ull * 60 * 60 * 1000;
    const uint64_t startMs =
        ((static_cast<uint64_t>(start.Hour) * 60 + start.Minute) * 60 + start.Second) * 1000 +
        start.Millisecond;
    const uint64_t end = (startMs + milliseconds) % kDay;
    return {static_cast<int>(end / 3600000), static_cast<int>(end / 60000 % 60),
            static_cast<int>(end / 1000 % 60), static_cast<int>(end % 1000)};
}

TLocalDate NextDay(TLocalDate date) {
    const bool leap = (date.Year % 4 == 0 && date.Year % 100 != 0) || date.Year % 400 == 0;
    const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (++date.Day > days[(date.Month - 1) % 12]) {
        date.Day = 1;
        if (++date.Month > 12) {
            date.Month = 1;
            ++date.Year;
        }
    }
    return date;
}

namespace {

std::wstring Number(int value, bool twoDigits) {
    std::wstring text = std::to_wstring(value);
    return twoDigits && text.size() < 2 ? L"0" + text : text;
}

}  // namespace

std::wstring FormatTime(const TLongTimeFormat& format, const TTimeOfDay& time) {
    const std::wstring& p = format.Picture;
    std::wstring out;
    for (size_t i = 0; i < p.size();) {
        const wchar_t c = p[i];
        if (c == L'\'') {  // quoted literal; '' inside stands for one quote
            size_t j = i + 1;
            for (; j < p.size(); ++j) {
                if (p[j] != L'\'') {
                    out += p[j];
                } else if (j + 1 < p.size() && p[j + 1] == L'\'') {
                    out += L'\'';
                    ++j;
                } else {
                    break;
                }
            }
            i = j + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < p.size() && p[i + run] == c) ++run;
        const bool two = run >= 2;
        switch (c) {
        case L'h': out += Number(time.Hour % 12 == 0 ? 12 : time.Hour % 12, two); break;
        case L'H': out += Number(time.Hour, two); break;
        case L'm': out += Number(time.Minute, two); break;
        case L's': out += Number(time.Second, two); break;
        case L't': {
            const std::wstring& designator = time.Hour < 12 ? format.AM : format.PM;
            out += two ? designator : designator.substr(0, 1);
            break;
        }
        default: out.append(run, c);
        }
        i += run;
    }
    return out;
}

}  // namespace lumivane
