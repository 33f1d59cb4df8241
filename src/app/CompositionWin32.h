#pragma once
// The composition root: the platform seams, the core objects and the main
// window, made and wired together once, in an order where everything exists
// before it is used.
#include <windows.h>

#include <functional>

#include "app/UsualFunctionsWin32.h"
#include "commands/CommandDispatch.h"
#include "commands/DisplayCommands.h"
#include "status/DisplayPowerNotesWin32.h"
#include "config/ManagedConfiguration.h"
#include "sources/PolicyWatchWin32.h"
#include "config/ProcessTableWin32.h"
#include "config/RestoreJournal.h"
#include "status/StatusPresentation.h"
#include "status/StatusWin32.h"
#include "sources/TriggerWatchWin32.h"
#include "display/AwakeRequestWin32.h"
#include "display/PowerPlanWin32.h"
#include "display/ScreenSaverWin32.h"
#include "display/SystemRequestsWin32.h"
#include "hotkeys/HotKeysWin32.h"
#include "options/MainForm.h"
#include "options/OptionsStore.h"
#include "tray/NotifyIcon.h"
#include "tray/NotifyIconWin32.h"
#include "tray/TrayActions.h"
#include "ui/MainWin32.h"
#include "ui/ShowHtmlWin32.h"
#include "ui/ShowMsgWin32.h"
#include "win32/RegistryWin32.h"
#include "win32/TimerServiceWin32.h"

namespace lumivane {

class TLumivaneWin32 final : private IMessagePump,
                              private IWindowCommands,
                              private IMainWindowEvents,
                              private ITrayWindow {
public:
    // onActivation runs when a second instance asks this one to wake up.
    explicit TLumivaneWin32(std::function<void()> onActivation);
    ~TLumivaneWin32() override;
    // Creates the main window; false when it could not be created.
    // forCommandsOnly: see TfMain_lumivane::Create; nor are the triggers watched.
    bool Create(const std::wstring& title, bool forCommandsOnly = false, bool iconAfterShow = false);

    TfMain_lumivane& Main() { return FMain; }
    // The events the message loop waits for besides the messages (at most
    // kMaxWaitedEvents), and what it does when one of them is set.
    static constexpr int kMaxWaitedEvents = MAXIMUM_WAIT_OBJECTS - 1;
    int WaitedEvents(HANDLE* events) const;
    void EventSignaled(HANDLE event);
    TMainForm& Form() { return FForm; }
    TDisplayCommands& Commands() { return FCommands; }
    TManagedConfiguration& Config() { return FConfig; }
    TAwakeRequestWin32& Awake() { return FAwake; }
    TNotifyIcon& NotifyIcon() { return FNotifyIcon; }
    TStatusPresenter& Status() { return FStatus; }
    TNotifyIconShellWin32& Shell() { return FShell; }
    TJournalledParameters& Journal() { return FJournalled; }
    bool OnPowerPlan() const { return FOnPowerPlan; }
    const TCommandDispatch& Dispatch() const { return FDispatch; }
    TOptionsStore& Options() { return FOptionsStore; }
    TTrayActions& TrayActions() { return FTrayActions; }
    TTriggerWatchWin32& Triggers() { return FTriggers; }
    THotKeys& HotKeys() { return FHotKeys; }
    THotKeyRegistrarWin32& HotKeyRegistrar() { return FRegistrar; }

    // IWindowCommands (S&how is also the wake-up's step)
    void mnShowPClick() override;

private:
    void mnCloseClick() override;
    void actExitExecute() override;
    void actSaveExecute() override;
    void mnViewHelpClick() override;
    void actAboutExecute() override;
    void actDeactivateUntilExecute() override;
    void actAutomaticDeactivationExecute() override;
    // IMainWindowEvents
    void FormCreate() override;
    void FormDestroy() override;
    void FormShow() override;
    void CloseCommand() override;
    void CloseRequested() override;
    void ApplicationActivate() override;
    void ActivationRequested() override;
    void HotKeyPressed(uint32_t lParam) override { FHotKeys.WMHotKey(lParam); }
    void SessionEnding() override;
    void TaskbarCreated() override;
    void DisplayChanged() override;
    void SettingsChanged() override;
    void SessionConnectionChanged() override;
    void SessionLockChanged(bool locked) override;
    uintptr_t CopyDataReceived(uintptr_t tag, const void* data, size_t size) override;
    void ProgramEnded(uint32_t processId) override { FTriggers.ProgramEnded(processId); }
    void PowerSourceChanged(bool onMains) override;
    void BatteryChanged(uint32_t percent) override;
    void PowerChanged(TPowerEvent event) override;
    void CallChanged() override { FTriggers.CallChanged(); }
    void TimeChanged() override { FTriggers.TimeChanged(); }
    // The floor against the battery's charge and the source, as last told.
    void ApplyBattery();
    // The user's trigger settings with the administrators' applied: the ones watched.
    void ApplyTriggers();
    void PoliciesChanged() override;
    // What the administrators allow, in every part that shows or obeys it.
    void ApplyPolicies(const TPolicies& policies);
    // The end steps, once: at the session's end or at the window's.
    void EndSteps();
    // A journal left by a run that did not end normally, before the capture.
    TRecovery RecoverLostRun();
    // ITrayWindow
    bool MainWindowVisible() override;
    void BringMainWindowToFront() override;
    uint32_t DoubleClickTime() override;
    void SetNotifyMenuDefault(TCommandId item) override;
    // IMessagePump
    void ProcessMessages() override;

    std::function<void()> FOnActivation;
    TTimerServiceWin32 FTimers;
    TSystemParametersWin32 FSpi;
    TSystemRequestsWin32 FRequests;
    TProcessStarterWin32 FStarter;
    TMessageDialogWin32 FDialog;
    TClockWin32 FClock;
    TRegistryWin32 FRegistry;
    TRegistryWin32 FMachineRegistry{HKEY_LOCAL_MACHINE};
    TPolicyWatchWin32 FPolicyWatch;
    TErrorBoxWin32 FErrors{[this] { return FMain.Handle(); }};
    TProcessTableWin32 FProcesses;
    // The monitor power-off of the run: the active power plan where its
    // functions answer (Windows 10 and 11), else the system parameters.
    TPowerPlanWin32 FPowerPlan;
    TPowerPlanParameters FPlanParameters{FSpi, FPowerPlan};
    TNoPowerPlan FNoPowerPlan;
    const bool FOnPowerPlan = PowerPlanAnswers(FPowerPlan);
    ISystemParameters& FBackend{FOnPowerPlan ? static_cast<ISystemParameters&>(FPlanParameters)
                                             : static_cast<ISystemParameters&>(FSpi)};
    IPowerOffPlan& FPlanBackend{FOnPowerPlan ? static_cast<IPowerOffPlan&>(FPlanParameters)
                                             : static_cast<IPowerOffPlan&>(FNoPowerPlan)};
    TDisplayPowerNotesWin32 FNotes{FPlanParameters, FPowerPlan};
    TOncePerTickParameters FTickSettings{FBackend};
    // Every change the program makes goes through the journal.
    TJournalledParameters FJournalled{FTickSettings, FPlanBackend, FRegistry, FProcesses};
    TAwakeRequestWin32 FAwake;
    TMainForm FForm;
    TNotifyIconShellWin32 FShell;
    TNotifyIcon FNotifyIcon;
    TManagedConfiguration FConfig;
    TDisplayCommands FCommands;
    TCommandDispatch FDispatch;
    TfMain_lumivane FMain;
    TStatusPresenter FStatus;
    TOptionsStore FOptionsStore;
    TTrayActions FTrayActions;
    THotKeyRegistrarWin32 FRegistrar{[this] { return FMain.Handle(); }};
    THotKeys FHotKeys{{FForm, FRegistrar, FErrors, FDispatch}};
    THelpViewerWin32 FHelpViewer;
    TTriggerWatchWin32 FTriggers{[this] { return FMain.Handle(); },
                                 [this](const std::wstring& cause) {
                                     FConfig.SetTriggerCause(cause, FTriggers.CauseEndMs(), FTriggers.CauseIsJob());
                                 }};
    // The user's own, as stored: the dialog shows and saves these.
    TTriggerSettings FUserTriggers;
    uint32_t FBatteryPercent = 100;
    bool FOnMains = true;
    bool FFirstShow = false;
    bool FCommandsOnly = false;  // the run ends once its commands are done
    bool FReady = false;      // the start's steps are done: requests are taken
    bool FInRequest = false;  // a request from another process is being carried out
    bool FEndStepsDone = false;
    // The user chose Exit: what cannot be put back is told in a box. A
    // command line's -exit reads it from the journal and tells its console.
    bool FUserExit = false, FCommandExit = false;
};

// What a start puts back of this user's lost runs, done by a process that
// makes no window and shows nothing (-recover, run by the uninstaller).
// Returns what it could not do, for the console; empty when it did all.
std::wstring RecoverLostRunsWithoutWindow();
// What this session's ended run left changed because the system refused
// to take it back, for the console of -exit; empty when nothing.
std::wstring LeftChangedByEndedRun();
// A warning box that does not hold up the thread that asks for it.
void ShowWarningLater(const std::wstring& text);

}  // namespace lumivane
