#include "app/CompositionWin32.h"

#include "app/Application.h"
#include "base/BenchMarks.h"
#include "app/ControlTarget.h"
#include "app/EndSteps.h"
#include "resource.h"
#include "ui/AboutWin32.h"
#include "ui/ShowHtmlWin32.h"
#include "ui/TriggersDialogWin32.h"
#include "ui/UntilDialogWin32.h"
#include "app/MessengerWin32.h"

#include <algorithm>
#include <memory>
#include "win32/MessageLoopWin32.h"

namespace lumivane {

TLumivaneWin32::TLumivaneWin32(std::function<void()> onActivation)
    : FOnActivation(std::move(onActivation)),
      FShell(CurrentNotifyIconLayout(), [this] { return FMain.Handle(); }, [this] { ProcessMessages(); }),
      FNotifyIcon(FShell, CurrentNotifyIconLayout()),
      // The status presenter is made last; the configuration and the commands
      // only keep a reference to it until the window's creation step.
      FConfig({FJournalled, FForm, FTimers, FClock, FStatus, *this, FJournalled}),
      FCommands(TDisplayCommandsDeps{FJournalled, FRequests, FDialog, FStarter, FForm, FStatus, FTimers, FJournalled},
                FConfig),
      FDispatch(FConfig, FCommands, *this),
      FMain(TMainWindowDeps{FForm, FDispatch, *this, FNotifyIcon, FTimers}),
      // The notes only where the power plan is in use: elsewhere every status
      // text stays as it was.
      FStatus(FJournalled, FConfig, FNotifyIcon, FMain, FMain, OnPowerPlan() ? &FNotes : nullptr),
      FOptionsStore({FRegistry, FForm, FConfig, FErrors, FStatus.FHighColorIcon, VisualStylesAvailable, ProgramPath,
                     kApplicationTitle,
                     [](const std::wstring& path) {
                         const DWORD attributes = GetFileAttributesW(path.c_str());
                         return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
                     }}),
      FTrayActions({FForm, FConfig, FDispatch, *this, *this, FTimers}) {
    FForm.cmbTrayIconDoubleClickChange = [this] { FTrayActions.cmbTrayIconDoubleClickChange(); };
    FNotifyIcon.SetRetryTimers(FTimers);
    FNotifyIcon.OnClick = [this](TNotifyIcon*) { FTrayActions.NotifyIconClick(); };
    FNotifyIcon.OnDblClick = [this](TNotifyIcon*) { FTrayActions.NotifyIconDblClick(); };
    FNotifyIcon.OnKeySelect = [this](TNotifyIcon*) { FTrayActions.NotifyIconKeySelect(); };
    // The automatic deactivation's watcher rides on the watchdog's tick.
    FConfig.TimerCheckConfiguration().SetOnTimer([this](TTimer* timer) {
        // A dialog, a message box or a menu may stay open for hours in a loop
        // of its own that never waits for the policies' events; it still runs
        // this tick, so an administrator's rule holds within one.
        FPolicyWatch.Poll();
        FTickSettings.BeginTick();
        FTriggers.Tick();
        FConfig.TimerCheckConfigurationTimer(timer);
        FTickSettings.EndTick();
    });
}

TLumivaneWin32::~TLumivaneWin32() {
    // The window goes while everything its handlers use still exists.
    FMain.Destroy();
}

bool TLumivaneWin32::Create(const std::wstring& title, bool forCommandsOnly, bool iconAfterShow) {
    FCommandsOnly = forCommandsOnly;
    return FMain.Create(title, forCommandsOnly, iconAfterShow);
}

namespace {

// A journal left by a run that did not end normally, before the capture.
TRecovery RecoverWith(IRegistry& registry, IProcessTable& processes, ISystemParameters& spi, IPowerOffPlan& plan) {
    // The option as stored: the options themselves are loaded only after the capture.
    TRegistryDefault reg(registry, kKeyRead);
    reg.OpenKey(kOptionsKey, false);
    const bool restoreOnExit = reg.ReadBool(OptionRows()[0].Name, OptionRows()[0].Default);
    reg.CloseKey();
    return RecoverFromJournal(registry, processes, spi, plan, restoreOnExit);
}

}  // namespace

TRecovery TLumivaneWin32::RecoverLostRun() { return RecoverWith(FRegistry, FProcesses, FBackend, FPlanBackend); }

std::wstring RecoverLostRunsWithoutWindow() {
    // The backends a run of this program would have used.
    TRegistryWin32 registry;
    TProcessTableWin32 processes;
    TSystemParametersWin32 spi;
    TPowerPlanWin32 powerPlan;
    TPowerPlanParameters onPlan(spi, powerPlan);
    TNoPowerPlan noPlan;
    return RecoveryProblemText(PowerPlanAnswers(powerPlan) ? RecoverWith(registry, processes, onPlan, onPlan)
                                                           : RecoverWith(registry, processes, spi, noPlan));
}

std::wstring LeftChangedByEndedRun() {
    TRegistryWin32 registry;
    TProcessTableWin32 processes;
    TPowerPlanWin32 powerPlan;
    std::wstring text;
    {
        TRegistryDefault reg(registry, kKeyRead);
        if (!reg.OpenKey(kOptionsKey, false)) return {};
        reg.ReadString(JournalValueName(processes.CurrentSessionId()), text);
    }
    const std::optional<TJournal> journal = DecodeJournal(text);
    if (!journal) return {};
    // Only what the plan still holds of the run's.
    std::vector<TPlanChange> left;
    for (const TPlanChange& c : journal->Plans) {
        TPlanSnapshot now;
        if (!c.Permanent && ReadPlan(powerPlan, c.Initial.Plan, now) && PlanBackFor(c, now)) left.push_back(c);
    }
    return NotPutBackText(left);
}

void ShowWarningLater(const std::wstring& text) {
    // The box has a thread of its own: the start goes on meanwhile, and a
    // run that ends takes it along.
    auto* copy = new std::wstring(text);
    const HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            std::unique_ptr<std::wstring> message(static_cast<std::wstring*>(parameter));
            // Above the window the start shows after it.
            MessageBoxW(nullptr, message->c_str(), kApplicationTitle,
                        MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
            return 0;
        },
        copy, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        delete copy;
}

void TLumivaneWin32::FormCreate() {
    FFirstShow = true;
    FStatus.Hold(true);
    const TRecovery recovery = RecoverLostRun();
    const std::wstring recovered = RecoveryText(recovery);
    FConfig.SetSessionConnected(SessionConnected());
    FConfig.SetSessionLocked(SessionLocked());
    FTriggers.SetSessionLocked(FConfig.SessionLocked());
    FConfig.SetAwakeRequest(FAwake);
    ApplyPolicies(ReadPolicies(FMachineRegistry, FRegistry));
    const TTriggerSettings triggers = LoadTriggers(FRegistry);
    FConfig.SetKeepAwake(triggers.KeepAwake, triggers.LetDisplaySleepWhenLocked);
    FConfig.FormCreate();
    LUMIVANE_MARK("captured");
    FJournalled.SetInitial(FConfig.FInitialConfiguration);
    FJournalled.Inherit(recovery.NotPutBack);
    // Told once, in words that hold the commands to put it back by hand.
    if (const std::wstring problems = RecoveryProblemText(recovery); !problems.empty()) ShowWarningLater(problems);
    // The defaults of the two Manage boxes are the flags just captured.
    FOptionsStore.LoadOptions();
    if (!FStatus.FHighColorIcon && VisualStylesAvailable()) FStatus.FHighColorIcon = true;
    FHotKeys.RegisterHotKeys();
    FStatus.Hold(false);
    FStatus.UpdateStatus();
    // Once the state from before is known: a trigger that holds already
    // deactivates now.
    LUMIVANE_MARK("options");
    FReady = true;
    // A run for its commands alone ends before a trigger, the charge or a
    // policy change could matter: none is watched.
    if (FCommandsOnly) return;
    FUserTriggers = triggers;
    ApplyTriggers();
    // The charge as it is now; changes come as notifications.
    SYSTEM_POWER_STATUS power{};
    if (GetSystemPowerStatus(&power)) {
        FOnMains = power.ACLineStatus != 0;
        if (power.BatteryLifePercent <= 100) FBatteryPercent = power.BatteryLifePercent;
    }
    FConfig.SetModernStandby(FPowerPlan.ModernStandby());
    ApplyBattery();
    FPolicyWatch.Start(FMain.Handle());
    // Told once, over the icon.
    std::wstring told = recovered;
    for (const std::wstring& window : FTriggers.ScheduleProblems())
        told += (told.empty() ? L"" : L"\n") + std::wstring(L"Schedule entry ignored: ") + window;
    if (!told.empty()) FNotifyIcon.ShowBalloon(recovered.empty() ? kApplicationTitle : kRecoveryTitle, told);
}

void TLumivaneWin32::FormDestroy() { EndSteps(); }

void TLumivaneWin32::SessionEnding() { EndSteps(); }

void TLumivaneWin32::TaskbarCreated() { FNotifyIcon.Readd(); }

void TLumivaneWin32::SettingsChanged() {
    // The time zone may be among the changes.
    FTriggers.TimeChanged();
    FNotes.Reload();
    FPlanParameters.PoliciesChanged();
    FJournalled.Refresh();
    FStatus.UpdateStatus();
}

// The answer travels whole only in a 64-bit message result.
static_assert(sizeof(LRESULT) >= sizeof(uint64_t));

uintptr_t TLumivaneWin32::CopyDataReceived(uintptr_t tag, const void* data, size_t size) {
    // Nothing more is said than the answer: a bad request is refused, and
    // one that comes before the start has captured the settings and read
    // the options, or while another request or Restore reads messages (a
    // command must not take a second one halfway), is to be asked again.
    const auto request = tag == kControlTag ? DecodeRequest(data, size) : std::nullopt;
    const TCopyState state{FReady, FInRequest || FConfig.Restoring(), FEndStepsDone || FConfig.Ended()};
    struct TInRequest {
        bool& Flag;
        const bool Was;
        explicit TInRequest(bool& flag) : Flag(flag), Was(flag) { Flag = true; }
        ~TInRequest() { Flag = Was; }
    } inRequest(FInRequest);
    const TControlTarget target{FDispatch, FConfig, FJournalled,
                                [this](TCommandId command) {
                                    if (command == TCommandId::actExit) FCommandExit = true;
                                    PostMessageW(FMain.Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
                                },
                                [this](uint32_t processId) { return FTriggers.HoldWhile(processId); },
                                [this] { return FTriggers.Holds(); }};
    return static_cast<uintptr_t>(Answer(target, request, state));
}

void TLumivaneWin32::PowerSourceChanged(bool onMains) {
    FOnMains = onMains;
    FTriggers.SetOnMains(onMains);
    ApplyBattery();
}

void TLumivaneWin32::BatteryChanged(uint32_t percent) {
    FBatteryPercent = percent;
    ApplyBattery();
}

void TLumivaneWin32::ApplyBattery() { FConfig.SetBattery(FTriggers.Settings().MinBatteryPercent, FBatteryPercent, FOnMains); }

void TLumivaneWin32::ApplyTriggers() { FTriggers.Apply(EffectiveTriggers(FUserTriggers, FConfig.Policies())); }

void TLumivaneWin32::PoliciesChanged() {
    if (FEndStepsDone) return;
    // Armed again before the read: a change from now on is told again.
    FPolicyWatch.Rearm();
    // Windows' own power policies change under the same tree as ours.
    FPlanParameters.PoliciesChanged();
    FNotes.Reload();
    const TPolicies policies = ReadPolicies(FMachineRegistry, FRegistry);
    if (policies == FConfig.Policies()) return;
    ApplyPolicies(policies);
    FOptionsStore.ApplyStartPolicy();
    if (EffectiveTriggers(FUserTriggers, policies) != FTriggers.Settings()) {
        ApplyTriggers();
        ApplyBattery();
    }
    // A trigger allowed again holds again.
    FConfig.SetTriggerCause(FTriggers.Cause(), FTriggers.CauseEndMs(), FTriggers.CauseIsJob());
    FNotes.Reload();
    FStatus.UpdateStatus();
}

void TLumivaneWin32::ApplyPolicies(const TPolicies& policies) {
    FConfig.SetPolicies(policies);
    FMain.ShowRefused(RefusedCommands(policies), policies.Configured(TPolicy::RunAtStartup));
}

void TLumivaneWin32::SessionConnectionChanged() { FConfig.SetSessionConnected(SessionConnected()); }

void TLumivaneWin32::SessionLockChanged(bool locked) {
    FConfig.SetSessionLocked(locked);
    FTriggers.SetSessionLocked(locked);
}

int TLumivaneWin32::WaitedEvents(HANDLE* events) const {
    static_assert(TKeyWatchWin32::kMaxKeys + TTriggerWatchWin32::kMaxEvents <= kMaxWaitedEvents);
    static_assert(TTriggerWatchWin32::kMaxEvents >= TKeyWatchWin32::kMaxKeys + kMaxWhileHolds);
    const int count = FPolicyWatch.Events(events);
    return count + FTriggers.Events(events + count);
}

void TLumivaneWin32::EventSignaled(HANDLE event) {
    if (!FPolicyWatch.Signaled(event)) FTriggers.Signaled(event);
}

void TLumivaneWin32::PowerChanged(TPowerEvent event) {
    FConfig.PowerChanged(event);
    // Another display may have been plugged in while the computer slept.
    if (event == TPowerEvent::ResumeAutomatic) FTriggers.DisplaysChanged();
}

void TLumivaneWin32::DisplayChanged() {
    FTriggers.DisplaysChanged();
    FMain.RenewStateIcons();
    FStatus.Invalidate();
    FStatus.UpdateStatus();
}

void TLumivaneWin32::EndSteps() {
    if (FEndStepsDone) return;
    FEndStepsDone = true;
    LUMIVANE_MARK("endsteps");
    FHotKeys.UnregisterHotKeys();
    // The help viewer, which has no owner, goes before COM does.
    FHelpViewer.Close();
    FTriggers.Stop();
    FPolicyWatch.Stop();
    const std::vector<TPlanChange> left =
        RunEndSteps({FConfig, FCommands, FJournalled, FForm, [this] { FOptionsStore.SaveOptions(); }});
    if (FUserExit && !FCommandExit && !left.empty())
        MessageBoxW(nullptr, NotPutBackText(left).c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void TLumivaneWin32::FormShow() {
    // The options are read again at the first showing, at start or later.
    if (!FFirstShow) return;
    FOptionsStore.LoadOptions();
    FFirstShow = false;
}

void TLumivaneWin32::CloseCommand() {
    // Closing never ends the program: it saves and goes to the notification
    // area. A refusal already told is not told again at every close.
    FOptionsStore.SaveOptions();
    FHotKeys.RegisterHotKeys(TRefusalReport::WhenChanged);
    TWindowAnimationWin32 animation(FMain.Handle());
    HideWindowToTray(animation);
}

void TLumivaneWin32::CloseRequested() {
    // An open menu runs a loop of its own, which need not end at the quit
    // message: it is closed first, so that a request to end never waits
    // for the user to close the menu.
    EndMenu();
    PostQuitMessage(0);
}

void TLumivaneWin32::ApplicationActivate() {
    FStatus.UpdateStatus();
    HWND main = FMain.Handle();
    HWND popup = GetLastActivePopup(main);
    if (popup && popup != main && IsWindowVisible(popup) && IsWindowEnabled(popup)) SetForegroundWindow(popup);
}

bool TLumivaneWin32::MainWindowVisible() { return IsWindowVisible(FMain.Handle()) != FALSE; }

void TLumivaneWin32::BringMainWindowToFront() { SetForegroundWindow(FMain.Handle()); }

uint32_t TLumivaneWin32::DoubleClickTime() { return GetDoubleClickTime(); }

void TLumivaneWin32::SetNotifyMenuDefault(TCommandId item) {
    // -1 leaves no item of the menu marked.
    SetMenuDefaultItem(FMain.NotifyMenuHandle(), item == TCommandId::None ? static_cast<UINT>(-1)
                                                                          : static_cast<UINT>(item),
                       FALSE);
}

void TLumivaneWin32::ActivationRequested() {
    if (FOnActivation) FOnActivation();
}

void TLumivaneWin32::ProcessMessages() {
    // A quit request read here stays for the main message loop.
    if (const auto quit = DispatchPendingMessages()) PostQuitMessage(*quit);
}

void TLumivaneWin32::mnShowPClick() {
    HWND main = FMain.Handle();
    switch (ShowStepFor(IsWindowVisible(main) != FALSE, IsIconic(main) != FALSE)) {
        case TShowStep::None: return;
        // A minimised window still counts as visible. SW_RESTORE, not
        // SW_SHOW: it puts the window back where it was and activates it.
        case TShowStep::Restore: ShowWindow(main, SW_RESTORE); return;
        case TShowStep::FromTray: break;
    }
    TWindowAnimationWin32 animation(main);
    ShowWindowFromTray(animation);
}

void TLumivaneWin32::mnCloseClick() { SendMessageW(FMain.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }

void TLumivaneWin32::actExitExecute() {
    FUserExit = true;
    FOptionsStore.SaveOptions();
    FHotKeys.RegisterHotKeys(TRefusalReport::WhenChanged);
    PostQuitMessage(0);
}

// A changed hot key takes effect with the save. Saved on request, a refused
// combination is told even when it was told before: the user asked.
void TLumivaneWin32::actSaveExecute() {
    FOptionsStore.SaveOptions();
    FHotKeys.RegisterHotKeys(TRefusalReport::Always);
}

void TLumivaneWin32::mnViewHelpClick() {
    // The help image of the command images; the viewer keeps its own copy.
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, FMain.Dpi());
    TUniqueHicon icon(static_cast<HICON>(
        LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_MENU1 + 9), IMAGE_ICON, size, size, 0)));
    std::wstring file = ProgramPath();
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"Help.html";
    FHelpViewer.Show(std::wstring(kApplicationTitle) + L" Help", file, FMain.Handle(), icon.Get(), true, FErrors);
}
void TLumivaneWin32::actDeactivateUntilExecute() {
    // An hour from now to start with, as the clock will show it then.
    const TClockWin32 clock;
    const TTimeOfDay initial = clock.LocalTimeOf(clock.WallClockMs() + 3'600'000).Time;
    FNotifyIcon.PopupMenu = 0;  // as for the About box: no menu over the dialog
    const auto time = AskDeactivateUntil(FMain.Handle(), initial);
    FNotifyIcon.PopupMenu = reinterpret_cast<THandle>(FMain.NotifyMenuHandle());
    if (time) FConfig.actDeactivateForExecute(std::max<uint32_t>(1, TMessengerWin32::MsUntil(*time)));
}

void TLumivaneWin32::actAutomaticDeactivationExecute() {
    FNotifyIcon.PopupMenu = 0;  // no menu over the dialog
    const auto chosen = AskTriggers(FMain.Handle(), FUserTriggers, FConfig.Policies());
    FNotifyIcon.PopupMenu = reinterpret_cast<THandle>(FMain.NotifyMenuHandle());
    if (!chosen || FEndStepsDone) return;
    if (!SaveTriggers(FRegistry, *chosen)) FErrors.ShowError(kRegistryWriteErrorText);
    FConfig.SetKeepAwake(chosen->KeepAwake, chosen->LetDisplaySleepWhenLocked);
    FUserTriggers = *chosen;
    ApplyTriggers();
    ApplyBattery();
}

void TLumivaneWin32::actAboutExecute() {
    // The notification menu cannot open while the box is up: a right click
    // on the icon only beeps. It is attached again however the box ends.
    FNotifyIcon.PopupMenu = 0;
    struct TAttachAgain {
        TLumivaneWin32& Self;
        ~TAttachAgain() { Self.FNotifyIcon.PopupMenu = reinterpret_cast<THandle>(Self.FMain.NotifyMenuHandle()); }
    } attachAgain{*this};
    HWND main = FMain.Handle();
    ShowAbout(main, !IsWindowVisible(main), AppVersion(), AppAddresses());
}

}  // namespace lumivane
