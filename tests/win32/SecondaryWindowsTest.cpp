// The about box and the help viewer.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ProgramRun.h"
#include "common/FreshOptions.h"
#include "ui/AboutWin32.h"
#include "ui/BrowserHostWin32.h"
#include "ui/ShowHtmlWin32.h"
#include "win32/OleWin32.h"

namespace lumivane::test {
namespace {

using C = TControlId;

// Runs `step` once on the dialog of the class (the about box) when it is up.
struct TDialogDriver {
    static inline std::function<void(HWND)> Step;
    static inline const wchar_t* Class = nullptr;
    UINT_PTR Timer;
    explicit TDialogDriver(std::function<void(HWND)> step, const wchar_t* cls = L"TfAbout") {
        Step = std::move(step);
        Class = cls;
        Timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            HWND about = FindWindowW(Class, nullptr);
            if (!about || !IsWindowVisible(about) || !Step) return;
            auto step = std::exchange(Step, nullptr);
            step(about);
        });
    }
    ~TDialogDriver() { KillTimer(nullptr, Timer); }
};

TEST(About, TheFieldsOpenTheMailProgramAndTheBrowserAndAreMissingWithoutAddresses) {
    const struct {
        TAboutAddresses Addresses;
        std::vector<std::wstring> Opened;
        int Height;  // of the client area at 96 dpi
    } rows[] = {
        {{L"team@lumivane.test", L"https://lumivane.test/"}, {L"mailto:team@lumivane.test", L"https://lumivane.test/"}, 323},
        {{L"", L""}, {}, 241},
    };
    for (const auto& row : rows) {
        std::vector<std::wstring> opened;
        int height = 0;
        TDialogDriver driver([&](HWND about) {
            for (int id : {101, 102})
                if (HWND field = GetDlgItem(about, id)) SendMessageW(field, WM_LBUTTONUP, 0, 0);
            RECT client{};
            GetClientRect(about, &client);
            height = MulDiv(client.bottom, 96, static_cast<int>(GetDpiForWindow(about)));
            PostMessageW(about, WM_CLOSE, 0, 0);
        });
        ShowAbout(nullptr, true, AppVersion(), row.Addresses, [&](const std::wstring& a) { opened.push_back(a); });
        EXPECT_EQ(opened, row.Opened);
        EXPECT_EQ(height, row.Height) << "no gap where the addresses would be";
    }
    EXPECT_EQ(VersionText({1, 5, L"", L""}), L"Version 1.05");
}

TEST(About, TheNotificationMenuIsDetachedWhileTheBoxIsUp) {
    TRun run;
    THandle during = 1;
    TDialogDriver driver([&](HWND about) {
        during = run.Lumivane.NotifyIcon().PopupMenu;
        PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actAbout, 0), 0);
    EXPECT_EQ(during, 0u);
    EXPECT_EQ(run.Lumivane.NotifyIcon().PopupMenu, reinterpret_cast<THandle>(run.Lumivane.Main().NotifyMenuHandle()));
}

// "Until…" of the notification menu: the time chosen in the picker ends the
// period; Cancel changes nothing.
TEST(UntilDialog, TheChosenTimeEndsThePeriodAndCancelChangesNothing) {
    TRun run;
    for (const bool ok : {false, true}) {
        TDialogDriver driver(
            [ok](HWND dialog) {
                SYSTEMTIME at{};
                GetLocalTime(&at);
                at.wHour = static_cast<WORD>((at.wHour + 2) % 24);
                SendMessageW(FindWindowExW(dialog, nullptr, DATETIMEPICK_CLASSW, nullptr), DTM_SETSYSTEMTIME,
                             GDT_VALID, reinterpret_cast<LPARAM>(&at));
                PostMessageW(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
            },
            L"TfUntil");
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(TCommandId::actDeactivateUntil, 0), 0);
        EXPECT_EQ(run.Lumivane.NotifyIcon().ToolTip().find(L"Deactivated until ") != std::wstring::npos, ok);
        EXPECT_EQ(FindWindowW(L"TfUntil", nullptr), nullptr) << "gone with its answer";
    }
    // Two hours ahead, give or take the minute that may turn meanwhile.
    const auto interval = run.Lumivane.Config().TimerDisableFor().Interval();
    EXPECT_GT(interval, 2 * 3'600'000u - 60'000u);
    EXPECT_LE(interval, 2 * 3'600'000u);
    EXPECT_EQ(run.Lumivane.NotifyIcon().PopupMenu, reinterpret_cast<THandle>(run.Lumivane.Main().NotifyMenuHandle()));
}

struct TErrorList final : IErrorBox {
    std::vector<std::wstring> Shown;
    void ShowError(const std::wstring& text) override { Shown.push_back(text); }
};

// The browser control asks the site it is given for the page's look, and
// frees whatever style texts it finds in the record: the site leaves none
// there, and writes nothing into a record too small.
TEST(HelpViewer, TheSiteFillsOnlyARecordOfItsSizeAndHandsOverNoStyleText) {
    TBrowserHostWin32 host;
    IDocHostUIHandler* handler = nullptr;
    ASSERT_EQ(static_cast<IOleClientSite&>(host).QueryInterface(IID_IDocHostUIHandler,
                                                                reinterpret_cast<void**>(&handler)),
              S_OK);
    DOCHOSTUIINFO info;
    memset(&info, 0xCD, sizeof(info));  // what the caller left there
    info.cbSize = sizeof(info);
    ASSERT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.pchHostCss, nullptr);
    EXPECT_EQ(info.pchHostNS, nullptr);
    memset(&info, 0xCD, sizeof(info));
    info.cbSize = 8;
    EXPECT_EQ(handler->GetHostInfo(&info), E_INVALIDARG) << "a record too small is refused";
    EXPECT_EQ(info.dwDoubleClick, 0xCDCDCDCDu) << "nothing written past its end";
    host.Focus();  // no control yet: nothing
}

TEST(HelpViewer, AControlThatCannotBeMadeFreesTheViewerSilentlyAndOneViewerAtATimeOtherwise) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"lumivane-help-test.html";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    struct TCleanUp {
        std::wstring File;
        bool Com = false;
        HWND Other = nullptr;
        THelpViewerWin32 Help;
        ~TCleanUp() {
            if (Other) DestroyWindow(Other);
            // A viewer left by a failed step goes before COM does.
            Help.Close();
            EndOle();
            if (Com) CoUninitialize();
            DeleteFileW(File.c_str());
        }
    } cleanUp{file, false, nullptr, {}};
    TErrorList errors;
    // In the multi-threaded apartment OLE cannot be had: the browser control
    // cannot be made.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    cleanUp.Help.Show(L"Help", file, nullptr, nullptr, true, errors);
    CoUninitialize();
    EXPECT_EQ(cleanUp.Help.Window(), nullptr);
    EXPECT_EQ(FindWindowW(L"TfShowHtml", nullptr), nullptr) << "freed";
    EXPECT_TRUE(errors.Shown.empty()) << "silently";
    cleanUp.Help.Show(L"Help", file + L".missing", nullptr, nullptr, true, errors);
    EXPECT_EQ(errors.Shown, std::vector<std::wstring>{L"Couldn't find the file " + file + L".missing"});
    ASSERT_TRUE(cleanUp.Com = SUCCEEDED(CoInitialize(nullptr)));
    cleanUp.Help.Show(L"Help", file, nullptr, nullptr, true, errors);
    HWND viewer = cleanUp.Help.Window();
    ASSERT_NE(viewer, nullptr) << "with COM the control is made, also where it cannot render";
    // The second request finds the viewer behind another window: one viewer,
    // brought forward.
    HWND other = cleanUp.Other = CreateWindowExW(0, L"STATIC", L"another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                                 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);
    cleanUp.Help.Show(L"Other", file, nullptr, nullptr, true, errors);
    EXPECT_EQ(cleanUp.Help.Window(), viewer);
    EXPECT_EQ(WindowText(viewer), L"Help");
    EXPECT_EQ(GetForegroundWindow(), viewer);
    SendMessageW(viewer, WM_CLOSE, 0, 0);
    EXPECT_EQ(cleanUp.Help.Window(), nullptr) << "closing frees it";
    EXPECT_FALSE(IsWindow(viewer));
}

}  // namespace
}  // namespace lumivane::test
