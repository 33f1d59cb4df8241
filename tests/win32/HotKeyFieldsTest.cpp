// The hot key fields and their registration through the real window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ProgramRun.h"
#include "common/FreshOptions.h"
#include "ui/AboutWin32.h"
#include "ui/ShowHtmlWin32.h"

namespace lumivane::test {
namespace {

using C = TControlId;

TEST(HotKeyFields, EveryModifierComesBackFromTheRealControlAsTheSameShortCut) {
    TRun run;
    run.Click(C::cbHotkeyScreenSaver);
    HWND field = run.Ctl(C::HotKeyScreenSaver);
    for (TShortCut value : {TShortCut('S'), TShortCut(kScShift | 'S'), TShortCut(kScCtrl | 'S'),
                            TShortCut(kScAlt | 'S'), TShortCut(kScShift | kScCtrl | kScAlt | VK_F5)}) {
        run.Lumivane.Form().SetHotKey(C::HotKeyScreenSaver, value);
        const auto shown = static_cast<uint16_t>(SendMessageW(field, HKM_GETHOTKEY, 0, 0));
        EXPECT_EQ(HotKeyValueToShortCut(shown), value);
    }
    // Checking "Win +" shows the key alone; unchecking gives it Ctrl+Alt again.
    run.Lumivane.Form().SetHotKey(C::HotKeyScreenSaver, 49235);
    run.Click(C::cbWinScreenSaver);
    EXPECT_EQ(SendMessageW(field, HKM_GETHOTKEY, 0, 0), 'S');
    run.Click(C::cbWinScreenSaver);
    EXPECT_EQ(SendMessageW(field, HKM_GETHOTKEY, 0, 0), MAKEWORD('S', HOTKEYF_CONTROL | HOTKEYF_ALT));
}

// Answers every "Error" box of this thread with OK, counting them.
struct TErrorBoxAnswerer {
    static inline int Answered = 0;
    UINT_PTR Timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND box = FindWindowW(L"#32770", L"Error")) {
            ++Answered;
            EndDialog(box, IDOK);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    ~TErrorBoxAnswerer() { KillTimer(nullptr, Timer); }
};

TEST(HotKeyFields, ARefusedCombinationIsReportedOnceAndLeavesTheOtherRegistered) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'P'));  // Ctrl+Alt+P is taken
    for (const wchar_t* name : {L"Use hotkey - screen saver", L"Use hotkey - power off"}) StoreOption(name, 1);
    TErrorBoxAnswerer answerer;
    TErrorBoxAnswerer::Answered = 0;
    {
        TRun run;  // registers at creation
        EXPECT_EQ(TErrorBoxAnswerer::Answered, 1) << "one message for the one refused hot key";
        EXPECT_FALSE(RegisterHotKey(other, 8, MOD_CONTROL | MOD_ALT, 'S')) << "Ctrl+Alt+S is Lumivane's";
        EXPECT_TRUE(run.Checked(C::cbHotkeyPowerOff)) << "the switch stays on";
        // Each close to the notification area saves and registers again.
        for (int close = 0; close < 2; ++close) {
            ShowWindow(run.Main(), SW_SHOW);
            SendMessageW(run.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_EQ(TErrorBoxAnswerer::Answered, 1) << "closing tells an unchanged refusal again";
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);  // Ctrl+S
        EXPECT_EQ(TErrorBoxAnswerer::Answered, 2) << "a save asked for tells it again";
    }
    UnregisterHotKey(other, 7);
    EXPECT_TRUE(RegisterHotKey(other, 8, MOD_CONTROL | MOD_ALT, 'S')) << "free again after the end";
    EXPECT_TRUE(RegisterHotKey(other, 9, MOD_CONTROL | MOD_ALT, 'P'));
    UnregisterHotKey(other, 8);
    UnregisterHotKey(other, 9);
    DestroyWindow(other);
}

std::vector<UINT> gAskedModifiers;
BOOL WINAPI RecordedRegisterHotKey(HWND window, int id, UINT modifiers, UINT key) {
    gAskedModifiers.push_back(modifiers);
    return RegisterHotKey(window, id, modifiers, key);
}

// Held down, the combination must come once, not with every repeat: the
// registration asks for that. Wine takes the flag and repeats anyway, so the
// call shows the flag, and the held keys that the hot key still comes.
TEST(HotKeyFields, TheRegistrationAsksForOneMessagePerPressAndAHeldCombinationComes) {
    StoreOption(L"Use hotkey - screen saver", 1);
    TRun run;
    gAskedModifiers.clear();
    run.Lumivane.HotKeyRegistrar().Register = RecordedRegisterHotKey;
    SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actSave, 1), 0);  // registers again
    EXPECT_EQ(gAskedModifiers, std::vector<UINT>{MOD_CONTROL | MOD_ALT | MOD_NOREPEAT});
    // Ctrl+Alt+S held down: the keyboard repeats the S key-down until it is let go.
    std::vector<INPUT> inputs;
    for (const auto& [key, up] : {std::pair<WORD, bool>{VK_CONTROL, false}, {VK_MENU, false}, {'S', false},
                                  {'S', false}, {'S', false}, {'S', true}, {VK_MENU, true}, {VK_CONTROL, true}}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
    // Taken, not handled: handling would launch the screen saver.
    MSG msg{};
    const auto end = TClock::now() + std::chrono::seconds(30);
    while (!PeekMessageW(&msg, run.Main(), WM_HOTKEY, WM_HOTKEY, PM_REMOVE) && TClock::now() < end)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_HOTKEY);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_HOTKEY)) << "registered with the flag, the hot key still comes";
}

}  // namespace
}  // namespace lumivane::test
