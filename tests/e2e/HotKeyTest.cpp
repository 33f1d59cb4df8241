// A hot key pressed while another program's window has the focus.
#include <gtest/gtest.h>

#include <memory>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "base/CommandIds.h"

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
        StoreOption(L"Use hotkey - screen saver", 1);
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

// How soon the request follows the press is a timing: bench/requests.cpp
// measures it.
TEST_F(HotKey, PressedInAnotherProgramItLaunchesTheScreenSaver) {
    ASSERT_EQ(GetForegroundWindow(), other);
    PressCtrlAltS();
    ASSERT_EQ(recorder.WaitFor(1, 3s).size(), 1u);
    // The exit is queued behind whatever the press left for the program, and
    // once it has ended nothing of it can still be on its way.
    PostMessageW(FindMainWindow(lumivane->ProcessId()), WM_COMMAND, static_cast<WPARAM>(TCommandId::actExit), 0);
    ASSERT_TRUE(lumivane->Wait(10s).Ended);
    const auto requests = recorder.Settled();
    ASSERT_EQ(requests.size(), 1u) << "once";
    EXPECT_EQ(requests[0].Command, static_cast<WPARAM>(SC_SCREENSAVE));
}

}  // namespace
}  // namespace lumivane::e2e
