#include <gtest/gtest.h>

#include <tuple>

#include "common/SummerTimeZone.h"
#include "sources/Call.h"
#include "sources/FullScreen.h"
#include "sources/Triggers.h"
#include "ui/ScheduleRows.h"

namespace lumivane::test {
namespace {

TEST(ProgramNames, AreComparedWithoutCaseAndWithoutPath) {
    const struct {
        const wchar_t *Image, *Listed;
        bool Same;
    } rows[] = {
        {L"C:\\Program Files\\Microsoft Office\\root\\Office16\\POWERPNT.EXE", L"powerpnt.exe", true},
        {L"C:\\Tools\\My Player.exe", L"  My Player.exe ", true},
        {L"D:/portable/vlc.exe", L"C:\\elsewhere\\VLC.EXE", true},
        {L"C:\\Tools\\My Player.exe", L"Player.exe", false},
        {L"C:\\Tools\\vlc.exe.bak", L"vlc.exe", false},
        {L"C:\\Tools\\", L"", false},
        {L"C:\\Windows\\NOTEPAD.EXE", L"notepad", true},
        {L"C:\\Windows\\notepad.com", L"notepad", false},
        {L"C:\\Outils\\\u00E9diteur.exe", L"\u00C9diteur.exe", true},
        {L"C:\\Outils\\editeur.exe", L"\u00E9diteur.exe", false},
        {L"C:\\Tools\\\u00C4RGER.EXE", L"\u00E4rger", true},
        {L"C:\\\u041F\\\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440.exe",
         L"\u0440\u0435\u0434\u0430\u043A\u0442\u043E\u0440.EXE", true},
        {L"C:\\Tools\\\u039B\u0395\u039E\u0399\u039A\u038C.EXE", L"\u03BB\u03B5\u03BE\u03B9\u03BA\u03CC", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SameProgram(row.Image, row.Listed), row.Same) << row.Listed;
        EXPECT_EQ(TProgramMatcher({row.Listed}).Match({{1, row.Image}}).size(), row.Same ? 1u : 0u) << row.Listed;
    }
    EXPECT_EQ(CleanProgramList({L" a.exe", L"", L"C:\\x\\A.EXE", L"b c.exe", L"A", L"b c", std::wstring(256, L'n'),
                                std::wstring(255, L'k')}),
              (std::vector<std::wstring>{L"a.exe", L"b c.exe", std::wstring(255, L'k')}));
    std::vector<std::wstring> many;
    for (int i = 0; i < 300; ++i) many.push_back(std::to_wstring(i) + L".exe");
    EXPECT_EQ(CleanProgramList(many).size(), kProgramsMax);
    const TProgramMatcher matcher({L"notepad", L"C:\\x\\VLC.exe"});
    EXPECT_EQ(matcher.Match({{4, L"NOTEPAD.EXE"}, {5, L"vlc.exe"}, {6, L"notepad.com"}, {7, L"cmd.exe"}}),
              (std::map<uint32_t, std::wstring>{{4, L"NOTEPAD.EXE"}, {5, L"vlc.exe"}}));
}

// Which trigger holds, in every mix of a listed program, a full-screen
// window and the power source; on battery with "Only on mains" none does.
TEST(TriggerCause, ProgramsFirstThenFullScreenAndNothingOnBatteryWhenOnlyOnMains) {
    TTriggerSettings listed{{L"vlc.exe", L"mstsc.exe"}, true, true, true};
    listed.WhileCall = true, listed.WhilePresenting = TPresentingMode::Duplicated;
    const std::vector<TDisplayPath> clone{{1, 0, kOutputInternal}, {1, 0, 5}};
    const std::map<uint32_t, std::wstring> mstsc{{7, L"mstsc.exe"}}, unlisted{{8, L"notepad.exe"}};
    const struct {
        std::map<uint32_t, std::wstring> Programs;
        bool FullScreen, OnMains, FullScreenBox;
        std::wstring Cause;
        bool Scheduled = false, InCall = false;
        std::vector<TDisplayPath> Displays = {};
    } rows[] = {
        {{}, false, true, true, L""},
        {mstsc, false, true, true, L"mstsc.exe"},
        {mstsc, true, true, true, L"mstsc.exe"},
        {{}, true, true, true, kFullScreenCause},
        {{}, true, true, false, L""},
        {unlisted, false, true, true, L""},
        {mstsc, true, false, true, L""},
        {{}, false, true, true, kScheduleCause, true},
        {mstsc, false, true, true, L"mstsc.exe", true},  // the window's end leaves the program holding
        {{}, true, true, true, kFullScreenCause, true},
        {{}, false, false, true, L"", true},
        {{}, false, true, true, kCallCause, false, true},
        {{}, true, true, true, kFullScreenCause, false, true},
        {{}, false, false, true, L"", false, true},  // a call on battery, only on mains
        {{}, false, true, true, kPresentingCause, true, false, clone},
        {{}, false, true, true, kCallCause, true, true, clone},
    };
    for (const auto& row : rows) {
        TTriggerSettings settings = listed;
        settings.FullScreen = row.FullScreenBox;
        EXPECT_EQ(TriggerCause(settings, {row.Programs, row.FullScreen, row.OnMains, row.Scheduled, row.InCall,
                                          row.Displays}), row.Cause);
    }
    listed.WhileCall = false, listed.WhilePresenting = TPresentingMode::Off;
    EXPECT_EQ(TriggerCause(listed, {{}, false, true, false, true, clone}), L"") << "both boxes off";
    listed.OnlyOnMains = true;
    EXPECT_EQ(TriggerCause(listed, {mstsc, true, false, false, false, {}, {{9, L"make.exe"}}}), L"make.exe")
        << "the user's -while job first, on battery too";
}

// A call is any app's record of the camera or the microphone that has
// started and not stopped; presenting, two paths that show one source, or
// on a laptop any display but its own panel.
TEST(TriggerSources, TheAccessStoresRecordsAndTheDisplayPaths) {
    const struct {
        std::vector<TDeviceUse> Uses;
        std::vector<std::wstring> Apps;
    } calls[] = {
        {{{L"Microsoft.WindowsCamera_8wekyb3d8bbwe", 133, false}}, {L"Microsoft.WindowsCamera_8wekyb3d8bbwe"}},
        {{{L"NonPackaged\\C:#Tools#Meet#meet.exe", 133, false}}, {L"C:\\Tools\\Meet\\meet.exe"}},
        {{{L"NonPackaged\\C:#meet.exe", 133, true}, {L"skype", 0, false}}, {}},  // ended; never started
        {{{L"NonPackaged", 133, false}, {L"a\\b", 133, false}}, {}},  // no app's record
        {{{L"NonPackaged\\C:#a.exe", 1, false}, {L"NonPackaged\\C:#a.exe", 2, false}}, {L"C:\\a.exe"}},
    };
    for (const auto& row : calls) EXPECT_EQ(AppsInCall(row.Uses), row.Apps) << row.Uses.size();
    using M = TPresentingMode;
    const TDisplayPath panel{1, 0, kOutputInternal}, edp{1, 0, kOutputDisplayPortEmbedded}, hdmi{1, 1, 5},
        miracast{1, 2, 15}, flagged{1, 0, 10 | kOutputInternal};
    const struct {
        const char* Case;
        M Mode;
        std::vector<TDisplayPath> Paths;
        bool Presenting;
    } displays[] = {
        {"built-in only", M::External, {panel}, false},
        {"embedded DisplayPort", M::External, {edp}, false},
        {"built-in by its flag", M::External, {flagged}, false},
        {"clone", M::Duplicated, {panel, {1, 0, 5}}, true},
        {"extend", M::Duplicated, {panel, hdmi}, false},
        {"extend, any external", M::External, {panel, hdmi}, true},
        {"Miracast", M::External, {edp, miracast}, true},
        {"same source number, other adapter", M::Duplicated, {panel, {2, 0, 5}}, false},
        {"off", M::Off, {panel, {1, 0, 5}}, false},
    };
    for (const auto& row : displays) EXPECT_EQ(Presenting(row.Mode, row.Paths), row.Presenting) << row.Case;
}

const TScreenRect kMonitor{0, 0, 1920, 1080}, kWorkArea{0, 0, 1920, 1040}, kSecond{1920, 0, 3840, 1080};
constexpr uint32_t kPopup = 0x90000000, kOverlapped = 0x10CF0000;  // visible; with caption and frame

TFullScreenSituation Shown(const wchar_t* cls, uint32_t style, TScreenRect window, TScreenRect client,
                           TScreenRect work = kWorkArea, const wchar_t* process = L"game.exe",
                           TScreenRect monitor = kMonitor) {
    TFullScreenSituation s;
    s.Shell = TShellState::AcceptsNotifications, s.Shown = true, s.WindowClass = cls, s.Style = style;
    s.Window = window, s.Client = client, s.WorkArea = work, s.Process = process, s.Monitor = monitor;
    return s;
}

// Only a program that asked for the whole monitor is full screen: never the
// saver, the lock screen, the shell's own windows or a maximised window.
TEST(FullScreen, OnlyAProgramThatTookTheWholeMonitor) {
    const auto game = Shown(L"SDL_app", kPopup, kMonitor, kMonitor);
    const auto with = [](TFullScreenSituation s, auto change) { return change(s), s; };
    const TScreenRect overhang{-8, -8, 1928, 1088};
    const struct {
        const char* Case;
        TFullScreenSituation Situation;
        bool FullScreen;
    } rows[] = {
        {"borderless game", game, true},
        {"F11 browser", Shown(L"Chrome_WidgetWin_1", kPopup, kMonitor, kMonitor, kWorkArea, L"chrome.exe"), true},
        {"second monitor", Shown(L"SDL_app", kPopup, kSecond, kSecond, kSecond, L"game.exe", kSecond), true},
        {"exclusive Direct3D", with(game, [](auto& s) { s.Shell = TShellState::D3DFullScreen, s.Shown = 0; }), true},
        {"presentation mode", with(Shown(L"PPTFrameClass", kOverlapped, kWorkArea, kWorkArea),
                                   [](auto& s) { s.Shell = TShellState::PresentationMode; }), true},
        {"screen saver", with(game, [](auto& s) { s.SaverRunning = true; }), false},
        {"the shell: not present", with(game, [](auto& s) { s.Shell = TShellState::NotPresent; }), false},
        {"locked", with(game, [](auto& s) { s.Locked = true, s.Shell = TShellState::D3DFullScreen; }), false},
        {"lock screen", Shown(L"Windows.UI.Core.CoreWindow", kPopup, kMonitor, kMonitor, kWorkArea, L"LockApp.exe"),
         false},
        {"Start menu", Shown(L"Windows.UI.Core.CoreWindow", kPopup, kMonitor, kMonitor, kWorkArea,
                             L"C:\\Windows\\SystemApps\\StartMenuExperienceHost.exe"), false},
        {"desktop", Shown(L"WorkerW", kPopup, kMonitor, kMonitor), false},
        {"own caption, maximised, auto-hide taskbar", Shown(L"Chrome_WidgetWin_1", kOverlapped | kStyleMaximised,
                                                              overhang, kMonitor, kMonitor), false},
        {"own caption, maximised", Shown(L"Chrome", kOverlapped | kStyleMaximised, overhang, kWorkArea), false},
        {"sizing frame only", Shown(L"Editor", kPopup | kStyleSizingFrame, overhang, kMonitor, kMonitor), false},
        {"caption-less pop-up, maximised, auto-hide taskbar", Shown(L"Kiosk", kPopup | kStyleMaximised, kMonitor,
                                                                      kMonitor, kMonitor), false},
        {"a monitor of no width", Shown(L"Game", kPopup, kMonitor, kMonitor, kWorkArea, L"a.exe", {0, 0, 0, 1080}), false},
        {"a monitor of no height", Shown(L"Game", kPopup, kMonitor, kMonitor, kWorkArea, L"a.exe", {0, 0, 1920, 0}), false},
        {"part of the monitor", Shown(L"SDL_app", kPopup, {0, 0, 1280, 720}, {0, 0, 1280, 720}), false},
        {"Task View, 10", Shown(L"MultitaskingViewFrame", kPopup, kMonitor, kMonitor, kWorkArea, L"explorer.exe"), false},
        {"Task View, 11", Shown(L"XamlExplorerHostIslandWindow", kPopup, kMonitor, kMonitor, kWorkArea, L"explorer.exe"),
         false},
        {"Game Bar", Shown(L"Windows.UI.Core.CoreWindow", kPopup, kMonitor, kMonitor, kWorkArea, L"GameBar.exe"), false},
        {"saver preview", Shown(L"WindowsScreenSaverClass", kPopup, kMonitor, kMonitor, kWorkArea, L"Ribbons.scr"), false},
        {"Search, tablet mode", Shown(L"Windows.UI.Core.CoreWindow", kPopup, kMonitor, kMonitor, kWorkArea, L"SearchUI.exe"),
         false},
        {"cloaked", with(game, [](auto& s) { s.Cloaked = true; }), false},
        {"store app, full screen", with(Shown(L"ApplicationFrameWindow", kOverlapped | kStyleMaximised, overhang, kMonitor),
                                        [](auto& s) { s.Frame = kMonitor; }), true},
        {"store app, maximised", with(Shown(L"ApplicationFrameWindow", kOverlapped | kStyleMaximised, overhang, kWorkArea),
                                      [](auto& s) { s.Frame = kWorkArea; }), false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsFullScreen(row.Situation), row.FullScreen) << row.Case;
    // Kept while the user works on another monitor, not behind a window on its own.
    const auto elsewhere = Shown(L"Notepad", kOverlapped, kSecond, kSecond, kSecond, L"notepad.exe", kSecond);
    EXPECT_TRUE(KeepsFullScreen(game, elsewhere));
    EXPECT_FALSE(KeepsFullScreen(game, Shown(L"Notepad", kOverlapped, kWorkArea, kWorkArea)));
    EXPECT_FALSE(KeepsFullScreen(with(game, [](auto& s) { s.Shown = false; }), elsewhere));
}

// A change acts once it lasted two seconds; a shorter one changes nothing,
// and a clock that goes back only starts the wait again.
TEST(FullScreen, AChangeActsAfterTwoSeconds) {
    const std::tuple<bool, uint64_t, bool> steps[] = {
        {true, 0, false},  {true, 1999, false}, {true, 2000, true},  {false, 2500, true},  {true, 3000, true},
        {false, 3500, true}, {false, 5499, true}, {false, 5500, false}, {true, 9000, false}, {true, 100, false},
        {true, 2099, false}, {true, 2100, true}};
    TFullScreenSettling settling;
    for (const auto& [seen, at, inForce] : steps) EXPECT_EQ(settling.Seen(seen, at), inForce) << at;
    // Locked, what is in force stays; unlocked, a change waits anew.
    EXPECT_TRUE(settling.Seen(false, 5000, true) && settling.Seen(false, 9000, true) && settling.Seen(false, 9001));
    EXPECT_FALSE(settling.Seen(false, 11001));
    // last look, now, last input: every 2 s after input, every 30 s without.
    const std::tuple<uint64_t, uint64_t, uint64_t, bool> scans[] = {
        {1000, 2999, 2000, false}, {1000, 3000, 2000, true}, {1000, 3000, 999, false},
        {1000, 30999, 999, false}, {1000, 31000, 999, true}, {5000, 100, 0, true}, {5000, 5000, 5000, false}};
    for (const auto& [last, now, input, due] : scans) EXPECT_EQ(ProgramScanDue(last, now, input), due) << now;
}

// Every stored form reads to its window and writes back in one canonical
// text; anything else is refused, and the list keeps the first 32 windows.
TEST(Schedule, ReadsEveryFormWritesItCanonicallyAndRefusesTheRest) {
    const std::tuple<const wchar_t*, TScheduleWindow, const wchar_t*> good[] = {
        {L"sat,SUN 00:00-00:00", {0x60, 0, 0}, L"Sat,Sun 00:00-00:00"},
        {L"Fri-Mon 22:00-06:00", {0x71, 1320, 360}, L"Fri-Mon 22:00-06:00"},
        {L"Mon,Tue,Wed,Fri,Tue 08:00-09:00", {0x17, 480, 540}, L"Mon-Wed,Fri 08:00-09:00"},
        {L"Sun-Sat 23:59-00:00", {0x7F, 1439, 0}, L"Mon-Sun 23:59-00:00"},
        {L"Sat-Mon,Thu-Thu 10:00-11:00", {0x69, 600, 660}, L"Thu,Sat-Mon 10:00-11:00"},
        {L"SAT 10:00-11:00", {0x20, 600, 660}, L"Sat 10:00-11:00"},  // an upper-case A is lowered too
    };
    for (const auto& [text, window, canonical] : good) {
        EXPECT_EQ(ParseScheduleWindow(text), window) << text;
        EXPECT_EQ(FormatScheduleWindow(window), canonical);
    }
    for (const wchar_t* bad : {L"Mon 09:00-09:00", L"Mon  09:00-17:30", L"Mon 9:00-17:30", L"Mon 24:00-01:00",
                               L"Mon 09:60-10:00", L"Mon 0a:00-10:00", L"Mon 1/:00-10:00", L"Mon 09:000-10:00", L"Mon 09:00\u201310:00", L"Mon 09:00-10:00 ",
                               L"Mon,,Fri 09:00-10:00", L"Mon, 09:00-10:00", L"Mon 08:00-09:60",
                               L"Mon-Xyz 09:00-10:00", L"Xyz-Mon 09:00-10:00", L"Monday 09:00-10:00", L"09:00-17:30", L""})
        EXPECT_EQ(ParseScheduleWindow(bad), std::nullopt) << bad;
    std::vector<std::wstring> stored{L"Mon 09:00"};
    for (int i = 10; i < 44; ++i) stored.push_back(L"Mon 09:" + std::to_wstring(i) + L"-10:00");
    const auto parsed = ParseSchedule(stored);
    EXPECT_TRUE(parsed.Windows.size() == kScheduleMax && parsed.Malformed == std::vector<std::wstring>{L"Mon 09:00"});
    EXPECT_EQ(parsed.BeyondMax, (std::vector<std::wstring>{L"Mon 09:42-10:00", L"Mon 09:43-10:00"}));
    EXPECT_EQ(DescribeScheduleWindow({0x3B, 1290, 390}, {L"Mo", L"Tu", L"We", L"Th", L"Fr", L"Sa", L"Su"},
                                     [](int m) { return std::to_wstring(m); }), L"Mo, Tu, Th\u2013Sa 1290\u2013390");
}

// The dialog's rows follow the stored strings one for one and say which the
// program leaves out; the editor keeps no window without a day or a length.
TEST(Schedule, TheDialogListsEveryStoredStringAndRefusesAnEmptyWindow) {
    std::vector<std::wstring> stored{L"bad"};
    for (int i = 10; i < 43; ++i) stored.push_back(L"Sat 09:" + std::to_wstring(i) + L"-10:00");
    const auto rows = ScheduleRows(stored, {L"1", L"2", L"3", L"4", L"5", L"6", L"7"},
                                   [](int m) { return std::to_wstring(m); });
    EXPECT_EQ(rows.size(), stored.size());
    EXPECT_EQ(rows[0], L"Not understood: bad");
    EXPECT_EQ(rows[32], L"6 581\u2013600") << "the 32nd window is in force";
    EXPECT_EQ(rows[33], L"Not in force, over 32: 6 582\u2013600");
    for (const auto& [window, refused] : std::initializer_list<std::pair<TScheduleWindow, bool>>{
             {{0, 540, 600}, true}, {{0x80, 540, 600}, true}, {{0x40, 600, 600}, true}, {{0x40, 0, 0}, false},
             {{0x40, 600, 540}, false}})
        EXPECT_EQ(!ScheduleWindowProblem(window).empty(), refused) << window.Days << " " << window.Start;
}

// Case, list, now: the next start or end, where coverage stops (none: not
// covered), in Berlin (UTC+1; 29 March-25 October 2026 UTC+2); times in UTC.
TEST(Schedule, FollowsTheLocalClockThroughOverlapsMidnightAndClockChanges) {
    const TSummerTimeZone berlin;
    const auto t = [](int month, int day, int hour = 0, int minute = 0) { return At(2026, month, day, hour, minute); };
    const std::optional<uint64_t> out;
    const std::tuple<const char*, std::vector<std::wstring>, uint64_t, std::optional<uint64_t>,
                     std::optional<uint64_t>> rows[] = {
        {"overlap", {L"Mon-Fri 09:00-17:30", L"Wed 17:00-19:00"}, t(1, 7, 15), t(1, 7, 16), t(1, 7, 18)},
        {"Sunday to Monday, from its start", {L"Sun 23:00-01:00"}, t(1, 11, 22), t(1, 12), t(1, 12)},
        {"touching days", {L"Mon 00:00-08:00", L"Sat,Sun 00:00-00:00"}, t(1, 10, 9), t(1, 10, 23), t(1, 12, 7)},
        {"the whole week", {L"Mon-Sun 00:00-00:00"}, t(1, 10, 9), t(1, 10, 23), kScheduleEndless},
        {"start in the missing hour", {L"Sun 02:30-04:00"}, t(3, 29, 0, 30), t(3, 29, 1), out},
        {"end in the missing hour", {L"Sat 22:00-02:15"}, t(3, 29, 0, 45), t(3, 29, 1), t(3, 29, 1)},
        {"all in the missing hour", {L"Sun 02:10-02:40"}, t(3, 23), t(4, 5, 0, 10), out},
        {"start in the repeated hour", {L"Sun 02:30-03:30"}, t(10, 25, 1, 10), t(10, 25, 2, 30), t(10, 25, 2, 30)},
        {"at its end, in the repeated hour", {L"Sun 01:00-02:30"}, t(10, 25, 0, 30), t(11, 1), out},
    };
    for (const auto& [name, list, now, next, end] : rows) {
        const auto windows = ParseSchedule(list).Windows;
        EXPECT_EQ(InSchedule(windows, now, berlin), end.has_value()) << name;
        EXPECT_EQ(NextBoundary(windows, now, berlin), next) << name;
        EXPECT_EQ(ScheduleCoverageEnd(windows, now, berlin), end) << name;
    }
    // Clocks that go back from 00:30 to 23:30: the second 23:45 lies within
    // Sunday's window, which began the first time 00:10 came.
    const TSummerTimeZone backOverMidnight(-90, -30);
    EXPECT_TRUE(InSchedule(ParseSchedule({L"Sun 00:10-02:00"}).Windows, t(10, 25, 1, 15), backOverMidnight));
}

}  // namespace
}  // namespace lumivane::test
