#pragma once
// The managed display-power configuration: what was in force at start, what
// the watchdog keeps in force, the deactivate-for countdown, and the commands
// that change them.
#include <cstdint>
#include <optional>
#include <string>

#include "base/Timer.h"
#include "config/Arbiter.h"
#include "sources/Policies.h"
#include "sources/TimeFormat.h"
#include "sources/Triggers.h"
#include "display/KeepAwake.h"
#include "display/PowerPlan.h"
#include "display/ScreenSaver.h"

namespace lumivane {

// The option check boxes this logic reads at the moment of use.
class IConfigurationOptions {
public:
    virtual ~IConfigurationOptions() = default;
    virtual bool ManageScreenSaver() const = 0;      // cbManageScreenSaver
    virtual bool ManagePowerOff() const = 0;         // cbManagePowerOff
    virtual bool UpdateSettings() const = 0;         // cbUpdateSettings
    virtual bool PreserveConfiguration() const = 0;  // cbPreserveConfiguration
    virtual bool RestoreConfiguration() const = 0;   // cbRestoreConfiguration
};

// Refreshes the status shown in the window and on the icon.
class IStatusRefresh {
public:
    virtual ~IStatusRefresh() = default;
    virtual void UpdateStatus() = 0;
};

// Lets the window system handle what is waiting in the queue.
class IMessagePump {
public:
    virtual ~IMessagePump() = default;
    virtual void ProcessMessages() = 0;
};

constexpr uint32_t kCheckConfigurationInterval = 500;  // ms
// Durations of the seven deactivate-for commands, in ms.
constexpr uint32_t kDeactivateForTags[] = {1800000,  3600000,  7200000, 10800000,
                                           14400000, 28800000, 43200000};

struct TManagedConfigurationDeps {
    ISystemParameters& Spi;
    IConfigurationOptions& Options;
    ITimerService& Timers;
    IClock& Clock;
    IStatusRefresh& Status;
    IMessagePump& Pump;
    // The power-off as a plan, where the run is on one.
    IPowerOffPlan& Plan;
};

class TManagedConfiguration {
public:
    explicit TManagedConfiguration(const TManagedConfigurationDeps& deps);

    // Creation steps: capture the initial configuration, preservation off,
    // the toggle state from the initial flags.
    void FormCreate();
    // Destruction step: the initial flags back when the option says so, or
    // when `restore` (the end steps decided so for another reason).
    void FormDestroy(bool restore = false);

    // The user's commands; one given while an automatic deactivation holds
    // stands when the trigger ends.
    void actActivateExecute() { UserCommand(); SetActivation(true); }
    // Under an administrator's policy a deactivation may be refused (nothing
    // changes) or given an end.
    void actDeactivateExecute();
    // `tag`: the duration in ms carried by the action that was executed.
    void actDeactivateForExecute(uint32_t tag);
    void actRestoreConfigurationExecute();
    // Ends a deactivate-for period; with a null sender it only cancels it.
    void TimerDisableForTimer(TTimer* sender);
    // The watchdog, every 500 ms.
    void TimerCheckConfigurationTimer(TTimer* sender);

    // The system's current settings become the preserved configuration.
    void CaptureConfiguration();
    void RestoreInitialConfiguration();

    // The desktop session is connected (its connect state is active). A copy
    // whose user switched away, or whose remote session was disconnected,
    // changes nothing: another session's copy may be in charge of the
    // machine-wide power plan meanwhile. Its watchdog and the end of a
    // deactivate-for period wait until the session is back.
    void SetSessionConnected(bool connected);
    bool SessionConnected() const { return FSessionConnected; }
    // The run is ending: every timer stops and no command changes anything
    // after the end steps.
    void Shutdown();
    bool Ended() const { return FEnded; }
    // Restore reads messages halfway: a request must wait for its end.
    bool Restoring() const { return FRestoring; }

    bool DeactivateForRunning() const { return FTimerDisableFor.Enabled(); }

    // What the administrators allow, read again whenever it changed. A
    // deactivation in force that the new policies forbid ends at once, as
    // Activate would; a longer one than they allow is cut.
    void SetPolicies(const TPolicies& policies);
    const TPolicies& Policies() const { return FPolicies; }
    // The screen saver is this program's to change: the user gave it, and
    // no policy of Windows' own sets it.
    bool ManagesScreenSaver() const;
    bool ManagesPowerOff() const { return FDeps.Options.ManagePowerOff(); }

    // The triggers of the automatic deactivation changed: `cause` names the
    // one that holds (a program's name, kFullScreenCause), empty when none
    // does. While one holds the items are deactivated as by Deactivate, but
    // never for good; after it, the state from before comes back. Away from
    // its session the copy changes nothing: the last word counts once the
    // user is back.
    // `untilMs`: where the holding trigger ends by itself (the schedule's
    // end, wall clock ms); 0: none known. `byCommand`: the cause is the
    // user's own command for a process (-while), which the administrator's
    // AllowAutomaticDeactivation does not stop.
    void SetTriggerCause(const std::wstring& cause, uint64_t untilMs = 0, bool byCommand = false);
    uint64_t AutomaticUntilMs() const { return FAuto.Holding() ? FAutoUntilMs : 0; }
    // The cause while the automatic deactivation is in force, else empty.
    const std::wstring& AutomaticCause() const { return FAutoCause; }
    // The cause in force is a process the user's command holds (-while).
    bool AutomaticByCommand() const { return !FAutoCause.empty() && FTriggerByCommand; }
    TAutoState AutomaticState() const { return FAuto.State(); }

    // While a deactivation with an end runs (a period, an automatic
    // deactivation), the computer and the display are kept awake through
    // `awake` (when the option says so); a plain Deactivate, which has no
    // end, never does. Released at the end of the period or of the trigger,
    // at Activate, at Deactivate, at restore and at every end.
    // The display is held on only where nothing else keeps it on and the
    // user gave both items to this program; while the session is locked it
    // is let go when `letDisplaySleepWhenLocked`.
    void SetAwakeRequest(IAwakeRequest& awake) { FAwake = &awake; }
    void SetKeepAwake(bool keep, bool letDisplaySleepWhenLocked = true);
    void SetSessionLocked(bool locked);
    // The system slept, woke, or turned the display off or on: after a
    // sleep, the requests it ended are taken again.
    void PowerChanged(TPowerEvent event);
    // The battery's charge and the power source, and the floor below which
    // keep-awake and the triggers let go (0: none).
    void SetBattery(uint32_t floor, uint32_t percent, bool onMains);
    // The system is Modern Standby (it sleeps with the display off).
    void SetModernStandby(bool standby) { FModernStandby = standby; }
    // Kept awake, but the system may sleep all the same (Modern Standby on battery).
    bool MaySleep() const { return FAwakeHeld && Arbitrate(Facts(false)).MaySleep; }
    // The floor while it keeps the computer from being kept awake; else 0.
    uint32_t NotKeptAwakeBelow() const;
    bool SessionLocked() const { return FSessionLocked; }
    bool KeptAwake() const { return FAwakeHeld; }
    bool DisplayKeptOn() const { return FAwakeHeld && FAwakeHeldAs.HoldDisplay; }
    TTimer& TimerDisableFor() { return FTimerDisableFor; }
    TTimer& TimerCheckConfiguration() { return FTimerCheckConfiguration; }

    TDisplayPowerConfiguration FInitialConfiguration;
    TDisplayPowerConfiguration FPreservedConfiguration;
    bool FPreserving = false;
    bool FActivated = false;
    bool FContinuousModeRunning = false;
    std::wstring FDeactivatedUntil;
    // When the running period ends, by the wall clock: a computer that slept
    // through the end finds it passed at the next tick.
    uint64_t FDeactivatedUntilMs = 0;
    // The plan as the start found it and as it was preserved: where the run
    // is on a plan, the power-off is put back from these, whole.
    TPlanMark FInitialPlan, FPreservedPlan;

private:
    // `temporary`: never written into the profile, whatever the option.
    void SetActivation(bool v, bool temporary = false);
    void Deactivate();
    void StartPeriod(uint64_t ms);
    void ReapplyPowerOff(const TPowerSetting& kept, bool update);
    void UserCommand();
    void SetPeriodAwake(bool wanted);
    void UpdateAwake();
    // The facts for the arbiter; `withPlan`: ask the plan too.
    TArbiterFacts Facts(bool withPlan) const;
    // "Update Windows configuration", except while the automatic
    // deactivation holds: its changes are always temporary.
    bool WriteForGood() const;
    bool FSessionConnected = true;
    bool FEnded = false;
    bool FRestoring = false;
    IAwakeRequest* FAwake = nullptr;
    bool FKeepAwake = true, FLetDisplaySleepWhenLocked = true, FSessionLocked = false;
    bool FPeriodAwake = false, FAwakeHeld = false;
    bool FRunDeactivated = false;  // the items are off by a command of this run
    TArbiterDecision FAwakeHeldAs;
    TPolicies FPolicies;
    TBatteryFloor FBatteryFloor;
    TRequestRenewal FRenewal;
    bool FModernStandby = false, FOnMains = true;
    uint32_t FFloor = 0;
    std::wstring FTriggerWord;  // what the triggers said last
    bool FTriggerByCommand = false;  // ... for a process the user's command holds
    uint64_t FAutoUntilMs = 0;
    TAutoDeactivation FAuto;
    std::wstring FAutoCause;
    std::optional<std::wstring> FAwayCause;  // the triggers' word while the user is away
    TManagedConfigurationDeps FDeps;
    TTimer FTimerDisableFor;
    TTimer FTimerCheckConfiguration;
};

}  // namespace lumivane
