#include "sources/FullScreen.h"

#include <algorithm>
#include <iterator>

#include "sources/Triggers.h"

namespace lumivane {

namespace {

// The shell's own windows, by class. The classes are not documented; each
// row says what it rests on, so it can be corrected when Windows changes.
bool IsShellWindow(const std::wstring& windowClass) {
    static const wchar_t* const classes[] = {
        L"Progman", L"WorkerW",                        // the desktop and its icons' layer
        L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",   // the taskbars
        L"MultitaskingViewFrame",                      // Task View and Alt+Tab, Windows 10 (explorer.exe)
        L"XamlExplorerHostIslandWindow",               // Task View and Alt+Tab, Windows 11 (explorer.exe)
        // A saver program's window: the saver running is told apart by the
        // system's flag, so this one is the preview from the saver's settings.
        L"WindowsScreenSaverClass",
    };
    return std::any_of(std::begin(classes), std::end(classes),
                       [&](const wchar_t* name) { return windowClass == name; });
}

// The shell's hosts run in processes of their own on Windows 10 and 11:
// the Start menu, the search (SearchUI before Windows 10 1903, then
// SearchApp; SearchHost on 11; full screen in tablet mode), the action
// centre and flyouts, the lock screen and the Game Bar's overlay. Their
// windows cover the monitor on purpose.
bool IsShellHost(const std::wstring& process) {
    static const wchar_t* const hosts[] = {L"StartMenuExperienceHost.exe", L"SearchHost.exe", L"SearchApp.exe",
                                           L"SearchUI.exe", L"ShellExperienceHost.exe", L"LockApp.exe",
                                           L"GameBar.exe"};
    return std::any_of(std::begin(hosts), std::end(hosts),
                       [&](const wchar_t* name) { return SameProgram(process, name); });
}

bool Covers(const TScreenRect& outer, const TScreenRect& inner) {
    return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
           outer.Bottom >= inner.Bottom;
}

bool IsEmpty(const TScreenRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

}  // namespace

bool IsFullScreen(const TFullScreenSituation& s) {
    // The saver's own window and the lock screen cover the monitor too; the
    // user is away then, which is when the monitor should power off.
    if (s.SaverRunning || s.Locked || s.Shell == TShellState::NotPresent) return false;
    // These the shell learns from the program or the user, not by a guess.
    // Its "busy" is a guess from the foreground's rectangle, which a
    // maximised window behind an auto-hidden taskbar fools too: the
    // window's own facts decide then.
    if (s.Shell == TShellState::D3DFullScreen || s.Shell == TShellState::PresentationMode) return true;
    if (!s.Shown || s.Cloaked || IsShellWindow(s.WindowClass) || IsShellHost(s.Process)) return false;
    // A store app's frame keeps its caption style in full screen and draws
    // no caption then: its frame's extent decides. Maximised, the frame
    // fills the work area and shows its caption.
    if (s.WindowClass == L"ApplicationFrameWindow")
        return !IsEmpty(s.Monitor) && Covers(s.Frame, s.Monitor) &&
               !((s.Style & kStyleMaximised) && Covers(s.WorkArea, s.Frame));
    // Browsers, editors and terminals draw their own caption and keep the
    // styles for it: maximised, their client area is the whole work area.
    if ((s.Style & kStyleCaption) == kStyleCaption || (s.Style & kStyleSizingFrame)) return false;
    if (IsEmpty(s.Monitor) || !Covers(s.Client, s.Monitor)) return false;
    // A maximised pop-up fills the work area, which is the whole monitor
    // only because the taskbar hides itself: no full-screen request.
    return !((s.Style & kStyleMaximised) && Covers(s.WorkArea, s.Client));
}

bool KeepsFullScreen(const TFullScreenSituation& kept, const TFullScreenSituation& foreground) {
    return IsFullScreen(kept) && !(foreground.Shown && foreground.Monitor == kept.Monitor);
}

bool TFullScreenSettling::Seen(bool fullScreen, uint64_t nowMs, bool locked) {
    if (fullScreen == FInForce || locked) {
        FChangedAt.reset();
        return FInForce;
    }
    // A clock that went back starts the wait again rather than ending it.
    if (!FChangedAt || nowMs < *FChangedAt) FChangedAt = nowMs;
    if (nowMs - *FChangedAt >= kFullScreenSettleMs) {
        FInForce = fullScreen;
        FChangedAt.reset();
    }
    return FInForce;
}

void TFullScreenSettling::Reset() {
    FInForce = false;
    FChangedAt.reset();
}

bool ProgramScanDue(uint64_t lastMs, uint64_t nowMs, uint64_t lastInputMs) {
    if (nowMs < lastMs) return true;  // a clock that went back
    const uint64_t since = nowMs - lastMs;
    return since >= kIdleProgramScanMs || (since >= kProgramScanMs && lastInputMs >= lastMs);
}

}  // namespace lumivane
