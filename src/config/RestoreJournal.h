#pragma once
// The restore journal: while a run has display-power settings changed, a
// value under the options key says what they were before, what the run last
// set them to, and which run it is. A run that ends normally removes it; one
// that was killed, crashed or lost its session leaves it, and the next start
// puts the settings back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/RegistryDefault.h"
#include "display/PowerPlan.h"
#include "display/ScreenSaver.h"

namespace lumivane {

// The journal's value name: one per desktop session, since every session of
// the user may run its own copy of the program.
std::wstring JournalValueName(uint32_t sessionId);

// One plan the run changed: the user's values before the change and what
// the run last set, on both sources, by the plan's GUID.
struct TPlanChange {
    TPlanSnapshot Initial, Last;  // of the same plan
    bool Permanent = false;       // the last of them was written for good
    // Recorded before the run's first write into the plan, which may or may
    // not have happened: whatever the plan holds other than the user's own
    // values is the run's.
    bool Pending = false;
    friend bool operator==(const TPlanChange&, const TPlanChange&) = default;
};

// What to write so that a change's plan holds the user's values again,
// given what it holds now; none when nothing needs writing.
std::optional<TPlanSnapshot> PlanBackFor(const TPlanChange& change, const TPlanSnapshot& now);
// For the user: which plans still hold a run's values, why, that the next
// start tries again, and the commands that put them back by hand. Empty
// when the list is.
std::wstring NotPutBackText(const std::vector<TPlanChange>& left);
// A plan's GUID as Windows writes it (and powercfg takes it).
std::wstring PlanGuidText(const TPlanId& plan);

struct TJournal {
    // 1: written by earlier versions, without the plan and without a run
    // marker; still read and recovered. 2: at most one plan; 3: several;
    // 4: as 3, while some plan's first write is under way.
    uint32_t Version = 2;
    uint32_t ProcessId = 0;
    uint64_t ProcessStart = 0;  // the process's creation time: a pid alone is reused
    bool Permanent = false;     // the run's changes went into the user's profile
    TDisplayPowerConfiguration Initial;
    TDisplayPowerConfiguration Last;  // what the run last set
    // Every power plan whose values the run changed and has not put back.
    std::vector<TPlanChange> Plans;
    friend bool operator==(const TJournal&, const TJournal&) = default;
};

std::wstring EncodeJournal(const TJournal& journal);
// Total: anything that is not a whole journal gives none.
std::optional<TJournal> DecodeJournal(const std::wstring& text);

// Which runs go on: this one, and whether another still does.
class IProcessTable {
public:
    virtual ~IProcessTable() = default;
    virtual uint32_t CurrentProcessId() = 0;
    virtual uint32_t CurrentSessionId() = 0;
    virtual uint64_t CurrentProcessStart() = 0;
    // The run of that process still holds its run marker: an object that
    // exists only while the run goes on, whatever became of the process id.
    virtual bool RunMarkerHeld(uint32_t processId, uint64_t processStart) = 0;
    // For journals of earlier versions, which had no marker: the process
    // is known to run. A process that may not be asked is not proof.
    virtual bool IsRunning(uint32_t processId, uint64_t processStart) = 0;
    // Says to every session which of this run's own values are in force in
    // the machine-wide plans (none: no longer), and asks whether another run
    // has these values of its own in force.
    virtual void MarkPlanInForce(const std::vector<TPlanSnapshot>& values) = 0;
    virtual bool PlanMarkedByAnotherRun(const TPlanSnapshot& values) = 0;
};

// What the start found and did, over every journal it found.
struct TRecovery {
    enum class TKind { None, LeftAlone, Discarded, Restored } Kind = TKind::None;
    bool ScreenSaverRestored = false, PowerOffRestored = false;
    TDisplayPowerConfiguration Initial;  // what was put back
    std::optional<TPlanSnapshot> PlanInitial;  // the plan's values put back
    // Plans whose put-back the system refused: still in their journal, and
    // for the run that starts now to put back at its end.
    std::vector<TPlanChange> NotPutBack;
    // Journals that could not be read (another version's, or damaged):
    // left as they are, by value name.
    std::vector<std::wstring> Unreadable;
};

// At start, before the initial configuration is captured. `restoreOnExit`:
// the stored "Restore initial configuration on exit" option. A lost run's
// temporary changes are undone whatever the option says: they were to last
// no longer than the session. `spi`: the run's backend, for journals without
// the plan; `plan`: the power plan, where the run is on one.
TRecovery RecoverFromJournal(IRegistry& registry, IProcessTable& processes, ISystemParameters& spi,
                             IPowerOffPlan& plan, bool restoreOnExit);

// The balloon's text for what was put back (empty when nothing was).
std::wstring RecoveryText(const TRecovery& recovery);
// What the recovery could not do, for a box or the console (empty when it
// did all): plans it could not put back, journals it could not read.
std::wstring RecoveryProblemText(const TRecovery& recovery);
extern const wchar_t* const kRecoveryTitle;

// The display-power settings as the program changes them: the first change
// of a run writes the journal, every change updates it, the clean end
// removes it. Every change goes through here, the plan's put-backs included.
class TJournalledParameters final : public ISystemParameters, public IPowerOffPlan {
public:
    TJournalledParameters(ISystemParameters& inner, IPowerOffPlan& plan, IRegistry& registry,
                          IProcessTable& processes)
        : FInner(inner), FPlan(plan), FRegistry(registry), FProcesses(processes) {}
    // The configuration the run found, captured at its start. From here on
    // no plan is written before the journal on the disk names it.
    void SetInitial(const TDisplayPowerConfiguration& initial);
    // Plans a lost run left changed and the start could not put back: this
    // run keeps them in its journal and tries again at its end.
    void Inherit(const std::vector<TPlanChange>& changes);
    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;
    TPlanMark Mark() override;
    bool PutBack(const TPlanMark& mark) override;
    std::optional<TPlanSnapshot> Read(const TPlanId& plan) override { return FPlan.Read(plan); }
    void Refresh() override { FPlan.Refresh(); }
    // The clean end, after its end steps: removes this run's journal, and
    // only this run's, once every temporary plan change is back. What is
    // not back stays in it, for the next start, and is returned.
    std::vector<TPlanChange> Remove();
    bool Written() const { return FWritten; }
    // Some change of this run went into the user's profile.
    bool Permanent() const { return FPermanent; }
    // The run's own values are in force in the plan, and the last of them
    // was written without "Update Windows configuration".
    bool TemporaryPlanChanges();
    // Puts back the user's plan values where the plan still holds what the
    // run set: the end of a run whose plan changes must not outlive it.
    void UndoPlanChanges() { PutBackChanges(true, false); }
    void PutBackRunsChanges(bool permanent) override { PutBackChanges(false, permanent); }

private:
    template <typename Change>
    bool Journalled(bool plan, bool permanent, Change change, const std::optional<TPlanId>& target = {});
    std::vector<TPlanSnapshot> ReadInvolved(const std::optional<TPlanId>& target);
    void Record(const std::vector<TPlanSnapshot>& before, bool permanent);
    TPlanChange* FindChange(const TPlanId& plan);
    void PutBackChanges(bool temporaryOnly, bool permanent);
    bool BeforePlanWrite(const TPlanSnapshot& now);
    bool Write();
    TJournal Journal();
    bool WriteJournal(const TJournal& journal, bool flush);
    const std::wstring& ValueName();
    bool Own(const TJournal& journal);
    ISystemParameters& FInner;
    IPowerOffPlan& FPlan;
    IRegistry& FRegistry;
    IProcessTable& FProcesses;
    TDisplayPowerConfiguration FInitial;
    // One entry per plan the run changed, from its first change until the
    // plan holds the user's values again.
    std::vector<TPlanChange> FPlans;
    bool FWritten = false;
    bool FPermanent = false;
    bool FPlanWritten = false;  // some plan was written: flushed before the journal goes
    bool FInherited = false;    // a lost run's plans were taken over, and its journal with them
    std::wstring FName;  // the journal's value name, chosen at the first write
};

}  // namespace lumivane
