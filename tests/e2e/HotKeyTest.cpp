// A hot key pressed while another program's window has the focus.
#include <gtest/gtest.h>

#include <algorithm>

#include "Harness.h"
#include "common/FreshOptions.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

void PressCtrlAltS() { PressKeys({VK_CONTROL, VK_MENU, 'S'}); }

// Lumivane started with its screen-saver hot key (Ctrl+Alt+S) switched on,
// and another program's window in front.
struct HotKey : ::testing::Test {
    TRecorder recorder;
    std::unique_ptr<TLumivane> lumivane;
    HWND other = nullptr;
    void SetUp() override {
        const DWORD on = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane", L"Use hotkey - screen saver", REG_DWORD,
                        &on, sizeof(on));
        lumivane = std::make_unique<TLumivane>(L"-quiet");
        ASSERT_NE(lumivane->MainWindow(10s), nullptr);
        other = CreateWindowExW(0, L"EDIT", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        SetFocus(other);
        recorder.Clear();
    }
    void TearDown() override {
        if (other) DestroyWindow(other);
    }
};

TEST_F(HotKey, PressedInAnotherProgramItLaunchesTheScreenSaver) {
    ASSERT_EQ(GetForegroundWindow(), other);
    PressCtrlAltS();
    const auto requests = recorder.WaitFor(1, 3s);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
    Sleep(300);
    EXPECT_EQ(recorder.Requests().size(), 1u) << "once";
}

// The latency figure: run with --gtest_also_run_disabled_tests.
TEST_F(HotKey, DISABLED_LatencyFromKeyPressToRequest) {
    std::vector<long long> ms;
    for (int i = 0; i < 20; ++i) {
        recorder.Clear();
        const auto pressed = TClock::now();
        PressCtrlAltS();
        const auto got = recorder.WaitFor(1, 3s);
        if (got.size() == 1) ms.push_back(std::chrono::duration_cast<std::chrono::microseconds>(got[0].At - pressed).count());
        Sleep(100);
    }
    ASSERT_EQ(ms.size(), 20u);
    std::sort(ms.begin(), ms.end());
    std::printf("hot key press to screen-saver request: median %.1f ms, min %.1f, max %.1f (20 presses)\n",
                ms[10] / 1000.0, ms.front() / 1000.0, ms.back() / 1000.0);
}

}  // namespace
}  // namespace lumivane::e2e
