// The message dialog as a user meets it: on top, unowned, closed by every
// usual means, and by the program being asked to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "commands/DisplayCommands.h"
#include "display/ScreenSaverWin32.h"
#include "ui/MainWin32.h"
#include "ui/ShowMsgWin32.h"
#include "unit/fakes/FakeRequests.h"
#include "win32/Window.h"

namespace lumivane::test {
namespace {

// Runs `step` from inside the dialog's own message loop, once the dialog is up.
// A dialog that never closes fails the test instead of hanging it.
class TDialogDriver {
public:
    explicit TDialogDriver(std::function<void(HWND)> step) : FStep(std::move(step)) {
        gDriver = this;
        FTimer = SetTimer(nullptr, 0, 50, &TDialogDriver::Tick);
    }
    ~TDialogDriver() {
        KillTimer(nullptr, FTimer);
        gDriver = nullptr;
    }
    bool Stepped() const { return FStepped; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TDialogDriver* self = gDriver;
        if (!self) return;
        HWND dialog = FindWindowW(kMessageDialogClassName, nullptr);
        if (!dialog || !IsWindowVisible(dialog)) return;
        if (!self->FStepped) {
            self->FStepped = true;
            self->FStep(dialog);
        } else if (++self->FTicksAfter > 100) {
            ADD_FAILURE() << "the dialog did not close";
            DestroyWindow(dialog);
            PostQuitMessage(99);
        }
    }
    static inline TDialogDriver* gDriver = nullptr;
    std::function<void(HWND)> FStep;
    UINT_PTR FTimer = 0;
    bool FStepped = false;
    int FTicksAfter = 0;
};

HWND ChildOfClass(HWND parent, const wchar_t* cls) {
    return FindWindowExW(parent, nullptr, cls, nullptr);
}

void HoldForScreenshot() {
    // LUMIVANE_HOLD_DIALOG_MS keeps the dialog up for a screenshot.
    if (const char* hold = std::getenv("LUMIVANE_HOLD_DIALOG_MS")) Sleep(std::atoi(hold));
}

TEST(MessageDialog, IsTopmostUnownedWithItsTextsAndSize) {
    const std::wstring text = ContinuousScreenSaverText(3);
    TDialogDriver driver([&](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
        EXPECT_EQ(GetParent(dialog), nullptr);
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(GetWindowLongW(dialog, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_EQ(WindowText(dialog), kContinuousScreenSaverCaption);
        RECT client;
        GetClientRect(dialog, &client);
        const UINT dpi = GetDpiForWindow(dialog);
        EXPECT_EQ(client.right, MulDiv(442, dpi, 96));
        EXPECT_EQ(client.bottom, MulDiv(108, dpi, 96));
        HWND button = ChildOfClass(dialog, L"Button");
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(WindowText(button), L"&OK");
        EXPECT_EQ(GetDlgCtrlID(button), IDOK);
        EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & BS_DEFPUSHBUTTON);
        RECT b;
        GetWindowRect(button, &b);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&b), 2);
        EXPECT_NEAR((b.left + b.right) / 2, client.right / 2, 1) << "OK is centred";
        EXPECT_TRUE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) != 0);
        // The message label carries the text with Windows line breaks.
        bool foundText = false;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            foundText |= WindowText(c) == WithWindowsLineBreaks(text);
        EXPECT_TRUE(foundText);
        HoldForScreenshot();
        PostMessageW(button, WM_KEYDOWN, VK_RETURN, 0);
    });
    ShowMessageDialog(kContinuousScreenSaverCaption, text, 0);
    EXPECT_TRUE(driver.Stepped());
    EXPECT_EQ(FindWindowW(kMessageDialogClassName, nullptr), nullptr) << "the dialog is freed";
}

TEST(MessageDialog, DisablesTheProgramsOtherWindowsWhileOpen) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    TDialogDriver driver([&](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(other));
        EXPECT_TRUE(IsWindowEnabled(dialog));
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    ShowMessageDialog(L"caption", L"text", 1);
    EXPECT_TRUE(driver.Stepped());
    EXPECT_TRUE(IsWindowEnabled(other));
    DestroyWindow(other);
}

TEST(MessageDialog, EveryUsualWayClosesIt) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"Enter", [](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }},
        {"Escape", [](HWND d) { PostMessageW(GetFocus() ? GetFocus() : d, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"OK button", [](HWND d) { PostMessageW(ChildOfClass(d, L"Button"), BM_CLICK, 0, 0); }},
        {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [name, close] : ways) {
        TDialogDriver driver(close);
        ShowMessageDialog(L"Caption", L"Text", 1);
        EXPECT_TRUE(driver.Stepped()) << name;
    }
}

TEST(MessageDialog, EndsWhenTheProgramIsAskedToEndAndKeepsTheRequest) {
    TDialogDriver driver([](HWND) { PostQuitMessage(7); });
    ShowMessageDialog(L"Caption", L"Text", 0);
    EXPECT_TRUE(driver.Stepped());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

// Continuous mode with the real system parameters and the real dialog.
struct TContinuousOn final : IContinuousModeOptions {
    bool ContinuousMode() const override { return true; }
    int32_t ContinuousModeDelay() const override { return 3; }
};
struct TNoStatus final : IStatusRefresh {
    void UpdateStatus() override {}
};
struct TNoTimers final : ITimerService {
    void Start(TTimer&, uint32_t) override {}
    void Stop(TTimer&) override {}
};
struct TNoPump final : IMessagePump {
    void ProcessMessages() override {}
};

TEST(MessageDialog, ContinuousScreenSaverHoldsTheSystemSettingsWhileOpen) {
    TSystemParametersWin32 spi;
    SetScreenSaverConfiguration(spi, false, 900, false);
    TRequestsLog requests;
    TMessageDialogWin32 dialog;
    TStarterLog starter;
    TContinuousOn options;
    TNoStatus status;
    TNoTimers timers;
    TMainForm defaults;
    TClockWin32 clock;
    TNoPump pump;
    TNoPowerPlan noPlan;
    TManagedConfiguration config({spi, defaults, timers, clock, status, pump, noPlan});
    TDisplayCommands commands({spi, requests, dialog, starter, options, status, timers, noPlan}, config);
    TDialogDriver driver([&](HWND d) {
        BOOL active = FALSE;
        UINT timeout = 0;
        SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        EXPECT_TRUE(active);
        EXPECT_EQ(timeout, 3u);
        EXPECT_EQ(WindowText(d), kContinuousScreenSaverCaption);
        PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    commands.actScreenSaverExecute();
    EXPECT_TRUE(driver.Stepped());
    bool active = true;
    int32_t timeout = 0;
    GetScreenSaverConfiguration(spi, active, timeout);
    EXPECT_FALSE(active);
    EXPECT_EQ(timeout, 900);
    EXPECT_TRUE(requests.Sent.empty()) << "no immediate request";
}

}  // namespace
}  // namespace lumivane::test
