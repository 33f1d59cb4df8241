#include "ui/MainWin32.h"

#include <wtsapi32.h>

#include <iterator>

#include "base/BenchMarks.h"
#include "base/ProgramNames.h"
#include "sources/Policies.h"
#include "sources/CallWin32.h"
#include "sources/PolicyWatchWin32.h"
#include "config/ProcessTableWin32.h"
#include "resource.h"
#include "ui/MenusWin32.h"
#include "win32/MessageLoopWin32.h"

namespace lumivane {

namespace {
// Broadcast by the shell when it has made the taskbar anew (after a restart
// of Explorer): notification icons must be added again.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}
// Fixed single border with the system menu and minimise only.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}  // namespace

TfMain_lumivane::TfMain_lumivane(const TMainWindowDeps& deps)
    : FDeps(deps), FMsgWindow(deps.NotifyIcon), FDelayEdit(deps.Form.edContinuousModeDelay) {}

TfMain_lumivane::~TfMain_lumivane() {
    // The window goes first, while everything its handlers use still exists.
    DestroyHandle();
    FDeps.Form.AttachView(nullptr);
}

bool TfMain_lumivane::Create(const std::wstring& title, bool forCommandsOnly, bool iconAfterShow) {
    FIconAfterShow = iconAfterShow && !forCommandsOnly;
    static const ATOM atom = RegisterClass(kMainWindowClassName, LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP)));
    (void)atom;
    // The window is made with its menu bar, in its place and at its size:
    // every change after that costs a new frame. The scale it will have is
    // the system's, unless the screen's changed since the session began.
    FDpi = GetDpiForSystem();
    if (!forCommandsOnly) CreateMenus();
    const RECT frame =
        CentredFrame(kStyle, WS_EX_CONTROLPARENT, FMainMenu.Get() != nullptr, kMainClientWidth, kMainClientHeight, FDpi);
    // No owner: the main window has its own taskbar button while visible.
    if (!CreateHandle(WS_EX_CONTROLPARENT, kMainWindowClassName, L"", kStyle, frame.left, frame.top,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, FMainMenu.Get()))
        return false;
    LUMIVANE_MARK("window");
    if (const UINT dpi = GetDpiForWindow(Handle()); dpi != FDpi) {
        FDpi = dpi;
        if (FImages) FImages = std::make_unique<TCommandImagesWin32>(FDpi, FCommonControls);
        SetClientSizeCentred(Handle(), kMainClientWidth, kMainClientHeight);
    }
    // An elevated Explorer's broadcast must reach a program of normal rights.
    ChangeWindowMessageFilterEx(Handle(), TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
    LUMIVANE_MARK("menus");
    FDeps.Timers.Attach(Handle());
    SetKeyboard(FAccelerators.Get());
    // The number every copy of the session registers for the wake-up.
    FActivationMessage = RegisterWindowMessageW(kActivationMessageName);
    if (!forCommandsOnly) {
        RegisterPowerNotifications();
        // The session's connection changes come as messages: nothing polls.
        WatchSessionConnection(Handle(), true);
        FSessionWatched = true;
        CreateNotifyIcon();
    }
    LUMIVANE_MARK("icon");
    FDeps.Form.AttachView(this);
    SetWindowTextW(Handle(), title.c_str());
    FDeps.Events.FormCreate();
    LUMIVANE_MARK("created");
    return true;
}

void TfMain_lumivane::CreateMenus() {
    FImages = std::make_unique<TCommandImagesWin32>(FDpi, FCommonControls);
    FMainMenu.Reset(BuildMenu(MainMenu(), false));
    FNotifyMenu.Reset(BuildMenu(NotifyMenu(), true));
    FAccelerators.Reset(BuildAccelerators());
    ShowRefusedNow();
}

void TfMain_lumivane::ShowRefused(std::vector<TCommandId> refused, bool startForced) {
    FRefused = std::move(refused);
    FStartForced = startForced;
    ShowRefusedNow();
}

void TfMain_lumivane::ShowRefusedNow() {
    if (FMainMenu) ShowRefusedItems(FMainMenu.Get(), MainMenu(), FRefused);
    if (FNotifyMenu) ShowRefusedItems(FNotifyMenu.Get(), NotifyMenu(), FRefused);
    FToolBar.ShowRefused(FRefused);
    if (HWND box = Slot(TControlId::cbStartWithWindows))
        FToolTips.SetHint(box, FStartForced ? kSetByAdministrator : FindControl(TControlId::cbStartWithWindows)->Hint);
}

void TfMain_lumivane::CreateNotifyIcon() {
    FStateIcons = std::make_unique<TStateIconsWin32>(NotificationAreaDpi(), TaskbarIsLight());
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, NotificationAreaDpi());
    FDefaultIcon.Reset(
        static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0)));
    // As the window is built: the icon is visible from the start and shows
    // up, with the window's own picture, once everything is in place.
    TNotifyIcon& icon = FDeps.NotifyIcon;
    icon.BeginLoading();
    FMsgWindow.Create(Handle());
    icon.SetVisible(true);
    icon.SetIcon(reinterpret_cast<THandle>(FDefaultIcon.Get()));
    icon.PopupMenu = reinterpret_cast<THandle>(FNotifyMenu.Get());
    icon.RightClickBeepOnNoMenu = true;
    if (!FIconAfterShow) icon.Loaded();
}

void TfMain_lumivane::AddNotifyIconAfterShow() {
    // Posted: the loop first answers what was sent to the window meanwhile
    // (a second start's wake-up, a status request), then adds the icon.
    if (FIconAfterShow) PostMessageW(Handle(), kAddIconMessage, 0, 0);
}

void TfMain_lumivane::RenewStateIcons() { FStateIcons = std::make_unique<TStateIconsWin32>(NotificationAreaDpi(), TaskbarIsLight()); }

namespace {
// The display time-out, the power source, the active plan
// (GUID_ACTIVE_POWERSCHEME: a switch between two plans of the same
// personality is announced only there), the battery's charge and the
// display's state (GUID_CONSOLE_DISPLAY_STATE).
constexpr GUID kPowerSettings[] = {
    {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}},
    {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}},
    {0x31f9f286, 0x5084, 0x42fe, {0xb7, 0x20, 0x2b, 0x02, 0x64, 0x99, 0x37, 0x63}},
    {0xa7ad8041, 0xb45a, 0x4cae, {0x87, 0xa3, 0xee, 0xcb, 0xb4, 0x68, 0xa9, 0xe1}},
    {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}},
};
static_assert(std::size(kPowerSettings) == 5);
using TRegisterPower = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using TUnregisterPower = BOOL(WINAPI*)(HPOWERNOTIFY);
template <typename F>
F User32Function(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}
}  // namespace

void TfMain_lumivane::RegisterPowerNotifications() {
    // Not every system has them: looked up, not imported.
    const auto registerPower = User32Function<TRegisterPower>("RegisterPowerSettingNotification");
    if (!registerPower) return;
    for (size_t i = 0; i < std::size(kPowerSettings); ++i)
        FPowerNotifications[i] = registerPower(Handle(), &kPowerSettings[i], DEVICE_NOTIFY_WINDOW_HANDLE);
}

void TfMain_lumivane::UnregisterPowerNotifications() {
    const auto unregisterPower = User32Function<TUnregisterPower>("UnregisterPowerSettingNotification");
    for (HANDLE& h : FPowerNotifications) {
        if (h && unregisterPower) unregisterPower(static_cast<HPOWERNOTIFY>(h));
        h = nullptr;
    }
}

THandle TfMain_lumivane::StateIcon(int index) { return FStateIcons ? FStateIcons->StateIcon(index) : 0; }

void TfMain_lumivane::ActivateChanged(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) FLastFocus = focus;
        return;
    }
    // Back to the control that had the focus, or the first one.
    if (!FLastFocus || !IsWindow(FLastFocus) || !IsChild(Handle(), FLastFocus))
        FLastFocus = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (FLastFocus) SetFocus(FLastFocus);
}

LRESULT TfMain_lumivane::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        // Menus and accelerators send no window; the tool bar sends itself.
        // Everything else is a control's notification, whatever its number.
        const HWND from = reinterpret_cast<HWND>(lParam);
        if (!from || from == FToolBar.ToolBar()) {
            if (FDeps.Dispatch.Execute(LOWORD(wParam))) return 0;
        } else if (IsControlId(LOWORD(wParam))) {
            ControlCommand(static_cast<TControlId>(LOWORD(wParam)), HIWORD(wParam), from);
            return 0;
        }
        break;
    }
    case WM_NOTIFY:
        if (FToolBar.HandleNotify(reinterpret_cast<NMHDR*>(lParam))) return 0;
        break;
    case kAddIconMessage:
        if (FIconAfterShow) {
            FIconAfterShow = false;
            FDeps.NotifyIcon.Loaded();
            LUMIVANE_MARK("added");
        }
        return 0;
    case WM_SHOWWINDOW:
        // The controls, and the common-controls library they need, cost time
        // and memory that a start in the notification area never uses.
        if (wParam) {
            if (!FWithoutControls) {
                CreateControls();
                ShowStatus(FShownStatus);
            }
            FDeps.Events.FormShow();
            LUMIVANE_MARK("shown");
        }
        break;
    case WM_SYSCOMMAND:
        // The low four bits of the command are the system's own.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            FDeps.Events.CloseCommand();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Only a request to end: the window goes once every loop has
        // unwound, so that the end steps run last and in their order.
        FDeps.Events.CloseRequested();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;  // nothing to ask the user: the end steps need no answer
    case WM_ENDSESSION:
        // After this answer Windows may end the process at any moment: the
        // end steps run now, not at a destruction that may never come.
        if (wParam) FDeps.Events.SessionEnding();
        return 0;
    case WM_HOTKEY:
        FDeps.Events.HotKeyPressed(static_cast<uint32_t>(lParam));
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam) FDeps.Events.ApplicationActivate();
        break;
    case WM_ACTIVATE:
        ActivateChanged(LOWORD(wParam) != WA_INACTIVE);
        if (LOWORD(wParam) != WA_INACTIVE && FLastFocus) return 0;
        break;
    case WM_INITMENUPOPUP:
        // The pictures beside the items are made when a menu first opens: a
        // start in the notification area may never open one.
        if (!FMenuImagesSet && FImages) {
            FMenuImagesSet = true;
            SetMenuImages(FMainMenu.Get(), MainMenu(), *FImages, MenusThemed());
            SetMenuImages(FNotifyMenu.Get(), NotifyMenu(), *FImages, MenusThemed());
        }
        break;
    case WM_COPYDATA:
        // Only from programs of the same integrity level or above: the
        // window lets no lower one through (no message filter is opened).
        if (const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam))
            return static_cast<LRESULT>(FDeps.Events.CopyDataReceived(copy->dwData, copy->lpData, copy->cbData));
        return 0;
    case WM_THEMECHANGED:
        // Themed menus blend the pictures themselves; classic ones get them drawn.
        if (FMenuImagesSet) {
            SetMenuImages(FMainMenu.Get(), MainMenu(), *FImages, MenusThemed());
            SetMenuImages(FNotifyMenu.Get(), NotifyMenu(), *FImages, MenusThemed());
        }
        break;
    case WM_MEASUREITEM:
        if (wParam == 0 && FImages && MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), *FImages)) return TRUE;
        break;
    case WM_DRAWITEM:
        if (wParam == 0 && FImages && DrawMenuImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *FImages)) return TRUE;
        break;
    case WM_NEXTDLGCTL: {
        // The dialog manager moves the focus with this message (a label's
        // mnemonic does); a window that is not a dialog must answer it itself.
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0);
        if (next) SetFocus(next);
        return 0;
    }
    case WM_DPICHANGED:
        Rescale(LOWORD(wParam), reinterpret_cast<RECT*>(lParam));
        FDeps.Events.DisplayChanged();
        return 0;
    case WM_DISPLAYCHANGE:
        FDeps.Events.DisplayChanged();
        break;
    case WM_SETTINGCHANGE:
        // The taskbar changed between dark and light: the pictures drawn for it.
        if (lParam && lstrcmpW(reinterpret_cast<LPCWSTR>(lParam), L"ImmersiveColorSet") == 0 && FStateIcons &&
            FStateIcons->LightTaskbar() != TaskbarIsLight())
            FDeps.Events.DisplayChanged();
        // Announced changes show at once; the watchdog catches the others.
        FDeps.Events.SettingsChanged();
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE && lParam) {
            // GUID_ACDC_POWER_SOURCE: 0 is mains, 1 battery, 2 a short-term source.
            const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
            if (setting->PowerSetting == kPowerSettings[1] && setting->DataLength >= sizeof(DWORD)) {
                DWORD source = 0;
                memcpy(&source, setting->Data, sizeof(source));
                FDeps.Events.PowerSourceChanged(source == 0);
            }
            // GUID_BATTERY_PERCENTAGE_REMAINING: the charge, 0 to 100.
            if (setting->PowerSetting == kPowerSettings[3] && setting->DataLength >= sizeof(DWORD)) {
                DWORD percent = 0;
                memcpy(&percent, setting->Data, sizeof(percent));
                FDeps.Events.BatteryChanged(percent);
            }
            // GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed (on).
            if (setting->PowerSetting == kPowerSettings[4] && setting->DataLength >= sizeof(DWORD)) {
                DWORD state = 0;
                memcpy(&state, setting->Data, sizeof(state));
                FDeps.Events.PowerChanged(state ? TPowerEvent::DisplayOn : TPowerEvent::DisplayOff);
            }
        }
        if (wParam == PBT_APMSUSPEND) FDeps.Events.PowerChanged(TPowerEvent::Suspend);
        if (wParam == PBT_APMRESUMEAUTOMATIC) FDeps.Events.PowerChanged(TPowerEvent::ResumeAutomatic);
        if (wParam == PBT_APMRESUMESUSPEND) FDeps.Events.PowerChanged(TPowerEvent::ResumeSuspend);
        if (wParam == PBT_POWERSETTINGCHANGE || wParam == PBT_APMPOWERSTATUSCHANGE) FDeps.Events.SettingsChanged();
        // A computer that slept through a boundary of the schedule finds it passed.
        if (wParam == PBT_APMRESUMEAUTOMATIC) FDeps.Events.TimeChanged();
        return TRUE;
    case WM_TIMECHANGE:
        FDeps.Events.TimeChanged();
        return 0;
    case kPoliciesChangedMessage:
        FDeps.Events.PoliciesChanged();
        return 0;
    case kCallChangedMessage:
        FDeps.Events.CallChanged();
        return 0;
    case kProgramEndedMessage:
        FDeps.Events.ProgramEnded(static_cast<uint32_t>(wParam));
        return 0;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_CONSOLE_CONNECT || wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_CONNECT ||
            wParam == WTS_REMOTE_DISCONNECT)
            FDeps.Events.SessionConnectionChanged();
        if (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK)
            FDeps.Events.SessionLockChanged(wParam == WTS_SESSION_LOCK);
        return 0;
    case WM_TIMER:
        if (wParam == kAccessibleNamesTimer) {
            KillTimer(Handle(), wParam);
            FAccessibleNames.Apply();
            return 0;
        }
        if (FDeps.Timers.Dispatch(wParam)) return 0;
        break;
#ifdef LUMIVANE_BENCH_MARKS
    case WM_PAINT: {
        const LRESULT painted = TWindow::HandleMessage(msg, wParam, lParam);
        LUMIVANE_MARK("painted");
        return painted;
    }
#endif
    case WM_DESTROY:
        // The menu bar and the tooltips go with the window: their owners
        // must not destroy them a second time.
        SetMenu(Handle(), nullptr);
        FToolTips.Destroy();
        FAccessibleNames.Clear();
        UnregisterPowerNotifications();
        if (FSessionWatched) WatchSessionConnection(Handle(), false);
        FDeps.Events.FormDestroy();
        // The icon leaves the notification area while its window still exists.
        FDeps.NotifyIcon.SetVisible(false);
        ClearKeyboard();
        // Being the main window, its end is the program's end.
        PostQuitMessage(0);
        return 0;
    default:
        // A registered message has no constant to switch on.
        if (msg == FActivationMessage && msg != 0) {
            FDeps.Events.ActivationRequested();
            return 0;
        }
        if (msg == TaskbarCreatedMessage() && msg != 0) {
            FDeps.Events.TaskbarCreated();
            return 0;
        }
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace lumivane
