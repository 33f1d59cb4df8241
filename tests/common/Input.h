#pragma once
// Input as a user gives it (SendInput, or typed into a field), and where the
// notification icon is.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace lumivane::test {

inline INPUT MouseInput(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    return input;
}

// Clicks at a screen point as a real mouse does: the left button once or
// twice in a row, or the right button.
inline void ClickAt(POINT at, int clicks, bool right = false) {
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    std::vector<INPUT> inputs{MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at.x * 65535 / w, at.y * 65535 / h)};
    for (int i = 0; i < clicks; ++i) {
        inputs.push_back(MouseInput(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN));
        inputs.push_back(MouseInput(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Where the program's notification icon is: the right end of the taskbar's
// notification area, the only icon there.
inline POINT NotifyIconPoint() {
    RECT tray{};
    GetWindowRect(FindWindowW(L"Shell_TrayWnd", nullptr), &tray);
    return {tray.right - 10, (tray.top + tray.bottom) / 2};
}

// Presses the keys in order, then lets them go in reverse order.
inline void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *it;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The continuous-mode delay field (another process's too), enabled, as a user
// fills it: letters are refused, and what is typed or set stays within 1 to 10.
inline void ExpectDelayFieldKeepsOneToTen(HWND edit) {
    const std::tuple<const wchar_t*, bool, const wchar_t*> rows[] = {
        {L"a", true, L"3"},  // typed over the whole text
        {L"99", true, L"10"},
        {L"", false, L"1"},  // set as the text
        {L"0", false, L"1"}};
    for (const auto& [input, typed, shown] : rows) {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const wchar_t* key = input; typed && *key; ++key) SendMessageW(edit, WM_CHAR, *key, 0);
        if (!typed) SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(input));
        wchar_t text[16] = {};
        SendMessageTimeoutW(edit, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, nullptr);
        EXPECT_STREQ(text, shown) << (typed ? "typed " : "set ") << testing::PrintToString(std::wstring(input));
    }
}

}  // namespace lumivane::test
