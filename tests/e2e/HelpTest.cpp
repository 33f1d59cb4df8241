// F1 in the real program: the help viewer, once, or the missing file's message.
#include <gtest/gtest.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "base/CommandIds.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

// False when the main window could not be brought to the front for the key.
bool PressF1(HWND main) {
    SetForegroundWindow(main);
    if (!PollUntil([&] { return GetForegroundWindow() == main; }, 30s)) return false;
    PressKeys({VK_F1});
    return true;
}

TEST(Help, F1OpensOneViewerAtFourFifthsOfTheScreenAndEscapeClosesIt) {
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PressF1(main));
    std::vector<HWND> viewers;
    ASSERT_TRUE(PollUntil([&] { return !(viewers = VisibleWindowsOf(lumivane.ProcessId(), L"TfShowHtml")).empty(); }, 30s));
    EXPECT_EQ(TextOf(viewers[0]), L"Lumivane Help");
    EXPECT_EQ(GetWindow(viewers[0], GW_OWNER), nullptr) << "its own taskbar button";
    const LONG style = GetWindowLongW(viewers[0], GWL_STYLE);
    EXPECT_TRUE((style & WS_THICKFRAME) && (style & WS_MAXIMIZEBOX) && !(style & WS_MINIMIZEBOX));
    RECT r{};
    GetWindowRect(viewers[0], &r);
    EXPECT_NEAR(r.right - r.left, 0.8 * GetSystemMetrics(SM_CXSCREEN), 1);
    EXPECT_NEAR(r.bottom - r.top, 0.7 * GetSystemMetrics(SM_CYSCREEN), 1);
    // A second F1 brings the viewer back in front of the window it came from.
    SetForegroundWindow(main);
    ASSERT_TRUE(PollUntil([&] { return GetForegroundWindow() == main && IsAbove(main, viewers[0]); }, 30s));
    PressKeys({VK_F1});
    // In front means both: the foreground, and above in the order, which Wine may settle a moment later.
    EXPECT_TRUE(PollUntil([&] { return GetForegroundWindow() == viewers[0] && IsAbove(viewers[0], main); }, 30s))
        << "a second F1 brings it forward";
    RoundTrip(main);
    EXPECT_EQ(VisibleWindowsOf(lumivane.ProcessId(), L"TfShowHtml"), std::vector<HWND>{viewers[0]})
        << "a second F1 leaves one viewer";
    SetForegroundWindow(viewers[0]);
    PollUntil([&] { return GetForegroundWindow() == viewers[0]; }, 30s);
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(PollUntil([&] { return VisibleWindowsOf(lumivane.ProcessId(), L"TfShowHtml").empty(); }, 30s));
}

TEST(Help, AMissingHelpFileIsReportedWithItsFullPath) {
    const std::wstring exe = LumivanePath();
    const std::wstring help = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"Help.html";
    const std::wstring aside = help + L".aside";
    ASSERT_TRUE(MoveFileExW(help.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    struct TPutBack {
        std::wstring From, To;
        ~TPutBack() { MoveFileExW(From.c_str(), To.c_str(), MOVEFILE_REPLACE_EXISTING); }
    } putBack{aside, help};
    TLumivane lumivane(L"");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::mnViewHelp), 0);
    std::vector<HWND> boxes;
    ASSERT_TRUE(PollUntil([&] { return !(boxes = VisibleWindowsOf(lumivane.ProcessId(), L"#32770", L"Error")).empty(); }, 30s));
    EXPECT_EQ(TextOf(GetDlgItem(boxes[0], 0xFFFF)), L"Couldn't find the file " + help);
    EXPECT_TRUE(VisibleWindowsOf(lumivane.ProcessId(), L"TfShowHtml").empty());
    PostMessageW(boxes[0], WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PollUntil([&] { return VisibleWindowsOf(lumivane.ProcessId(), L"#32770", L"Error").empty(); }, 30s));
}

}  // namespace
}  // namespace lumivane::e2e
