// The about box of the real program: from the notification menu with the
// window hidden, from the Help menu with it shown.
#include <gtest/gtest.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "addresses.h"
#include "base/CommandIds.h"
#include "../res/version.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

HWND AboutOf(DWORD processId) {
    const auto found = VisibleWindowsOf(processId, L"TfAbout");
    return found.empty() ? nullptr : found.front();
}

bool HasChildText(HWND parent, const std::wstring& text) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (TextOf(c) == text) return true;
    return false;
}

TEST(About, StandsAloneWhileTheWindowIsHiddenIsOwnedWhileShownAndClosesOnEnterAndEscape) {
    TLumivane lumivane(L"-quiet");
    HWND main = lumivane.MainWindow(10s);
    ASSERT_NE(main, nullptr);
    const struct {
        bool Shown;
        WORD Key;
    } steps[] = {{false, VK_RETURN}, {true, VK_ESCAPE}};
    for (const auto& step : steps) {
        if (step.Shown) {
            PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::mnShowP), 0);
            ASSERT_TRUE(PollUntil([&] { return IsWindowVisible(main) != FALSE; }, 30s));
        }
        PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actAbout), 0);
        HWND about = nullptr;
        ASSERT_TRUE(PollUntil([&] { return (about = AboutOf(lumivane.ProcessId())) != nullptr; }, 30s));
        EXPECT_EQ(TextOf(about), L"About");
        // The major and minor number of the one source of the version.
        EXPECT_TRUE(HasChildText(about, L"Version " + std::to_wstring(LUMIVANE_VERSION_MAJOR) + L"." +
                                            std::to_wstring(LUMIVANE_VERSION_MINOR)));
        // The build's own addresses, or no address line at all.
        const std::wstring contact = LUMIVANE_CONTACT, home = LUMIVANE_HOME_URL;
        EXPECT_EQ(HasChildText(about, L"E-mail:"), !contact.empty());
        EXPECT_EQ(HasChildText(about, L"Web site:"), !home.empty());
        if (step.Shown) {
            EXPECT_EQ(GetWindow(about, GW_OWNER), main) << "owned by the visible window";
            EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
        } else {
            EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr) << "on its own while the window is hidden";
            EXPECT_TRUE(GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "with its own taskbar button";
        }
        SetForegroundWindow(about);
        PollUntil([&] { return GetForegroundWindow() == about; }, 30s);
        PressKeys({step.Key});
        EXPECT_TRUE(PollUntil([&] { return AboutOf(lumivane.ProcessId()) == nullptr; }, 30s)) << "closed by the key";
    }
    EXPECT_TRUE(PollUntil([&] { return IsWindowEnabled(main) != FALSE; }, 30s));
}

}  // namespace
}  // namespace lumivane::e2e
