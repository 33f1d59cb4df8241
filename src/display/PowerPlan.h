#pragma once
// The monitor power-off of Windows 10 and 11: the active power plan's
// display time-out. The system-parameter actions for it are accepted there
// and do nothing, so the power-off routines reach the plan through this
// second backend, which answers those actions from the plan.
//
// The plan is machine-wide and persistent, and holds two values (mains and
// battery). Whatever the program puts back, it puts back whole: a snapshot
// of both values taken before the change, never a value worked out again
// from the current power source or from defaults.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "display/ScreenSaver.h"

namespace lumivane {

using TPlanId = std::array<uint8_t, 16>;  // a power plan's GUID

// The display time-out of one plan on both power sources; seconds, 0 = never.
struct TPlanSnapshot {
    TPlanId Plan{};
    uint32_t Ac = 0, Dc = 0;
    friend bool operator==(const TPlanSnapshot&, const TPlanSnapshot&) = default;
};

// The power functions of the system, for the display time-out of a plan.
class IPowerPlan {
public:
    virtual ~IPowerPlan() = default;
    virtual bool ActivePlan(TPlanId& plan) = 0;
    // Seconds, 0 = never; `ac`: on mains power, else on battery.
    virtual bool ReadTimeout(const TPlanId& plan, bool ac, uint32_t& seconds) = 0;
    virtual bool WriteTimeout(const TPlanId& plan, bool ac, uint32_t seconds) = 0;
    // Makes a written value take effect (the plan is set active again).
    virtual bool Apply(const TPlanId& plan) = 0;
    // On battery now; false when on mains power or unknown.
    virtual bool OnBattery() = 0;
    // Makes what was written reach the disk now: the store is flushed
    // lazily, and a power cut must not leave a put-back behind its record.
    virtual void FlushStore() {}
    // A policy (Group Policy or MDM) sets the display time-out; empty where
    // the system has no access check to ask.
    virtual std::optional<bool> PolicySetsDisplayTimeout() { return std::nullopt; }
};

// Whether the plan's functions are there and answer: the backend of the run.
bool PowerPlanAnswers(IPowerPlan& plan);
// Both values of a plan.
bool ReadPlan(IPowerPlan& functions, const TPlanId& plan, TPlanSnapshot& snapshot);
// Writes both values, makes them take effect when the plan is the active one
// (a write into another plan must not switch the user's plan), and reads
// them back: false when either did not take (a policy holds it, say).
bool WritePlan(IPowerPlan& functions, const TPlanSnapshot& snapshot);

// Windows' own display time-outs, when nothing of the user's is known.
constexpr uint32_t kDefaultTimeoutAc = 600, kDefaultTimeoutDc = 300;

// What a step takes before it changes the power-off, to put it back whole:
// the plan's values and what switching off remembered at that moment.
struct TPlanMark {
    std::optional<TPlanSnapshot> Plan;  // none: not on a power plan
    std::vector<TPlanSnapshot> Remembered;  // one per plan that was switched off
    // The marked values were the run's own, written with "Update Windows
    // configuration": putting them back puts back that too.
    bool Permanent = false;
    // The marked values are another run's change in force (a copy in
    // another session, of this user or another): that run puts them back,
    // and they are no start-up configuration of this one.
    bool SetByAnotherRun = false;
    friend bool operator==(const TPlanMark&, const TPlanMark&) = default;
};

// What to write so that the user's values come back where the plan still
// holds what a run set (`last`): a value someone changed since stays. None
// when nothing needs writing.
std::optional<TPlanSnapshot> PlanToPutBack(const TPlanSnapshot& now, const TPlanSnapshot& initial,
                                           const TPlanSnapshot& last);

// The power-off as a plan, for the steps that put something back. Where the
// run is not on a plan (older systems, Wine) nothing answers, and those
// steps use the power-off routines as they always did.
class IPowerOffPlan {
public:
    virtual ~IPowerOffPlan() = default;
    // Empty where the run is not on a plan.
    virtual TPlanMark Mark() = 0;
    // Writes the marked values whole and remembers what was remembered then;
    // false where the mark is empty or the plan did not take them.
    virtual bool PutBack(const TPlanMark& mark) = 0;
    // Any plan's values, not only the active one's.
    virtual std::optional<TPlanSnapshot> Read(const TPlanId& plan) = 0;
    // The plan is read again at its next use: a tick or an announced change.
    virtual void Refresh() = 0;
    // A policy sets the display time-out: the plan's read-back is not what
    // holds, whether or not the write was refused.
    virtual bool PolicySetsDisplayTimeout() { return false; }
    // Puts the user's values back, each plan by its GUID, wherever the
    // run's own are still in force; `permanent`: for good. Only the journal
    // knows which plans the run changed.
    virtual void PutBackRunsChanges(bool /*permanent*/) {}
    // Asked with a plan's values right before each write into it: false
    // keeps the plan as it is (the write is refused). The journal records
    // a plan there before its first change, so that no change is ever
    // without its way back.
    using TBeforeWrite = std::function<bool(const TPlanSnapshot& now)>;
    virtual void GuardWrites(TBeforeWrite /*before*/) {}
    // What was put back reaches the disk before its record goes.
    virtual void Flush() {}
};

// Not on a plan: no step has anything to put back this way.
class TNoPowerPlan final : public IPowerOffPlan {
public:
    TPlanMark Mark() override { return {}; }
    bool PutBack(const TPlanMark&) override { return false; }
    std::optional<TPlanSnapshot> Read(const TPlanId&) override { return std::nullopt; }
    void Refresh() override {}
};

// The system parameters with the power-off and low-power actions answered
// from the active plan; every other action passes through.
class TPowerPlanParameters final : public ISystemParameters, public IPowerOffPlan {
public:
    TPowerPlanParameters(ISystemParameters& inner, IPowerPlan& plan) : FInner(inner), FPlan(plan) {}
    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;
    TPlanMark Mark() override;
    bool PutBack(const TPlanMark& mark) override;
    std::optional<TPlanSnapshot> Read(const TPlanId& plan) override;
    void Refresh() override { FCurrent.reset(); }
    void GuardWrites(TBeforeWrite before) override { FBeforeWrite = std::move(before); }
    void Flush() override { FPlan.FlushStore(); }
    // Asked once, not on every tick: a policy's change is announced.
    bool PolicySetsDisplayTimeout() override {
        if (!FPolicySets) FPolicySets = FPlan.PolicySetsDisplayTimeout().value_or(false);
        return *FPolicySets;
    }
    void PoliciesChanged() { FPolicySets.reset(); }
    // The plan refused the last write (a policy sets the value, or the
    // access check refuses it): the status says so.
    bool Refused() const { return FRefused; }
    // The last change was not made: the way back could not be recorded first.
    bool Unrecorded() const { return FUnrecorded; }
    // The active plan now, read at most once between two refreshes.
    std::optional<TPlanSnapshot> Current();

private:
    struct TCurrent {
        TPlanSnapshot Snapshot;
        bool Battery = false;
    };
    const TCurrent* ReadCurrent();
    bool SetActive(bool active);
    bool PutBackRemembered();
    bool SetTimeout(uint32_t seconds);
    bool Write(const TPlanSnapshot& snapshot);

    ISystemParameters& FInner;
    IPowerPlan& FPlan;
    std::optional<TCurrent> FCurrent;
    // Switching off remembers the user's values with the plan they belong
    // to; switching on puts them back. One slot per plan: a second
    // switch-off of the same plan finds it off already and keeps the first.
    std::vector<TPlanSnapshot> FRemembered;
    // What switching on put back since the last switch-off: the user's own.
    std::vector<TPlanSnapshot> FPutBack;
    // The plan as first read: the user's own values when the item is
    // switched on with nothing remembered.
    std::optional<TPlanSnapshot> FFirstSeen;
    TBeforeWrite FBeforeWrite;
    bool FRefused = false, FUnrecorded = false;
    std::optional<bool> FPolicySets;
};

}  // namespace lumivane
