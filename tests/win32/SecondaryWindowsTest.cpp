// The about box and the help viewer.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mshtmdid.h>
#include <objbase.h>
#include <oleacc.h>
#include <olectl.h>

#include <algorithm>
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
#include "ui/TriggersDialogWin32.h"
#include "ui/UntilDialogWin32.h"
#include "win32/Window.h"
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

// The name a screen reader gets for a control from the system's own object.
std::wstring AccessibleNameOf(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return L"(no object)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const std::wstring result = SUCCEEDED(object->get_accName(self, &name)) && name ? name : L"";
    SysFreeString(name);
    object->Release();
    return result;
}

// What the keyboard and a screen reader meet in a window: each field named by
// the label right before it, each label's control right after it, the tab
// order that of the controls, and no access key twice (menu bar included).
void CheckKeyboardAndNames(HWND window) {
    SCOPED_TRACE(WindowText(window));
    std::vector<HWND> tabStops;
    std::wstring keys;
    for (int i = 0; GetMenu(window) && i < GetMenuItemCount(GetMenu(window)); ++i) {
        wchar_t item[64] = {};
        GetMenuStringW(GetMenu(window), static_cast<UINT>(i), item, 64, MF_BYPOSITION);
        if (const wchar_t* amp = wcschr(item, L'&')) keys += static_cast<wchar_t>(towlower(amp[1]));
    }
    HWND previous = nullptr;
    for (HWND c = GetWindow(window, GW_CHILD); c; previous = c, c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        const std::wstring text = WindowText(c);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        const bool isStatic = lstrcmpiW(cls, L"Static") == 0;
        if (const size_t amp = text.find(L'&'); amp != std::wstring::npos && amp + 1 < text.size() &&
            !(isStatic && (style & SS_NOPREFIX))) {
            keys += static_cast<wchar_t>(towlower(text[amp + 1]));
            const HWND next = GetWindow(c, GW_HWNDNEXT);
            if (isStatic) {
                EXPECT_TRUE(next && (GetWindowLongW(next, GWL_STYLE) & WS_TABSTOP)) << text;
            }
        }
        if ((style & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c)) tabStops.push_back(c);
        if (lstrcmpiW(cls, L"Edit") != 0 || !previous) continue;
        std::wstring label = WindowText(previous);
        label.erase(std::remove(label.begin(), label.end(), L'&'), label.end());
        EXPECT_TRUE(!label.empty() && AccessibleNameOf(c) == label) << "the field after \"" << label << '"';
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << keys;
    std::vector<HWND> walked;
    for (HWND at = GetNextDlgTabItem(window, nullptr, FALSE); at && walked.size() <= tabStops.size();
         at = GetNextDlgTabItem(window, at, FALSE)) {
        if (!walked.empty() && at == walked.front()) break;
        walked.push_back(at);
    }
    EXPECT_EQ(walked, tabStops);
}

TEST(Accessibility, EveryWindowNamesItsFieldsByTheirLabelsAndKeepsItsTabOrderAndAccessKeys) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TRun run;
    CheckKeyboardAndNames(run.Main());
    for (const auto& [command, cls] : {std::pair{TCommandId::actDeactivateUntil, L"TfUntil"},
                                       {TCommandId::actAbout, L"TfAbout"},
                                       {TCommandId::actAutomaticDeactivation, kTriggersDialogClassName}}) {
        int checked = 0;
        TDialogDriver driver([&](HWND dialog) {
            CheckKeyboardAndNames(dialog);
            ++checked;
            if (command == TCommandId::actAutomaticDeactivation) {  // and the schedule's window it opens
                TDialogDriver inner([&](HWND schedule) {
                    CheckKeyboardAndNames(schedule);
                    ++checked;
                    PostMessageW(schedule, WM_COMMAND, IDCANCEL, 0);
                }, L"TfScheduleWindow");
                SendMessageW(GetDlgItem(dialog, static_cast<int>(TTriggersControl::ScheduleNew)), BM_CLICK, 0, 0);
            }
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        }, cls);
        SendMessageW(run.Main(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        EXPECT_EQ(checked, command == TCommandId::actAutomaticDeactivation ? 2 : 1) << cls;
    }
    CoUninitialize();
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

// The control asks its site what a page may fetch and run, before it loads
// one: the help page, which anyone may replace beside the program, runs
// nothing. The site answers no other ambient property.
TEST(HelpViewer, TheSiteLetsThePageRunNothing) {
    TBrowserHostWin32 host;
    IDispatch* site = nullptr;
    ASSERT_EQ(static_cast<IOleClientSite&>(host).QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&site)), S_OK);
    const struct {
        DISPID Member;
        HRESULT Result;
        VARTYPE Type;
        LONG Value;
    } rows[] = {
        {DISPID_AMBIENT_DLCONTROL, S_OK, VT_I4,
         DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_BEHAVIORS |
             DLCTL_NO_FRAMEDOWNLOAD},
        {DISPID_AMBIENT_USERMODE, DISP_E_MEMBERNOTFOUND, VT_EMPTY, 0},
    };
    for (const auto& row : rows) {
        VARIANT value{};
        DISPPARAMS none{};
        EXPECT_EQ(site->Invoke(row.Member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                               nullptr),
                  row.Result);
        EXPECT_EQ(value.vt, row.Type);
        EXPECT_EQ(value.lVal, row.Value);
    }
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
    // cannot be made. (OLE that an earlier window's names made goes first.)
    EndOle();
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
