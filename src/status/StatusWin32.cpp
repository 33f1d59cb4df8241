#include "status/StatusWin32.h"

#include <iterator>
#include <string>

#include "win32/Window.h"

namespace lumivane {

TTimeOfDay TClockWin32::Now() const {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

uint64_t TClockWin32::WallClockMs() const {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) / 10000;
}

TLocalTime TClockWin32::LocalTimeOf(uint64_t wallClockMs) const {
    const uint64_t ticks = wallClockMs * 10000;
    const FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    // The zone's rule for that day, not today's offset.
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return {};
    return {{local.wYear, local.wMonth, local.wDay}, {local.wHour, local.wMinute, local.wSecond, local.wMilliseconds}};
}

namespace {
std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
    wchar_t buffer[LOCALE_NAME_MAX_LENGTH + 80] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, ARRAYSIZE(buffer)) <= 0)
        return fallback;
    return buffer;
}
}  // namespace

TLongTimeFormat TClockWin32::LongTimeFormat() const {
    return {LocaleText(LOCALE_STIMEFORMAT, L"HH:mm:ss"), LocaleText(LOCALE_S1159, L"AM"),
            LocaleText(LOCALE_S2359, L"PM")};
}

TStateIconsWin32::TStateIconsWin32(UINT dpi, bool lightTaskbar)
    : FSize(GetSystemMetricsForDpi(SM_CXSMICON, dpi)), FFirst(lightTaskbar ? IDI_TRAY_LIGHT0 : IDI_TRAY0) {}

TStateIconsWin32::~TStateIconsWin32() {
    for (HICON icon : FImageListIcons)
        if (icon) ::DestroyIcon(icon);
}

THandle TStateIconsWin32::StateIcon(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(FImageListIcons))) return 0;
    HICON& picture = FImageListIcons[index];
    if (!picture) {
        picture = static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(FFirst + index),
                                                IMAGE_ICON, FSize, FSize, 0));
        if (picture) ++FLoaded;
    }
    return reinterpret_cast<THandle>(picture);
}

bool VisualStylesAvailable() {
    // Asked at creation and at every loading of the options: the library is
    // looked for once.
    static const bool available = [] {
        HMODULE theme = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!theme) return false;
        FreeLibrary(theme);
        return true;
    }();
    return available;
}

bool TaskbarIsLight() {
    DWORD light = 0, size = sizeof(light);
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                        L"SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size) == ERROR_SUCCESS &&
           light != 0;
}

UINT NotificationAreaDpi() {
    // The icon is drawn by the taskbar at its own scale, whichever monitor
    // the settings window is on.
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr))
        if (const UINT dpi = GetDpiForWindow(taskbar)) return dpi;
    return GetDpiForSystem();
}

}  // namespace lumivane
