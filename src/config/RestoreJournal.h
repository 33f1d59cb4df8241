#pragma once
// The restore journal: while a run has display-power settings changed, a
// value under the options key says what they were at its start, what the run
// last set them to, and which process it is. A run that ends normally removes
// it; one that was killed, crashed or lost its session leaves it, and the
// next start puts the settings back.
#include <cstdint>
#include <optional>
#include <string>

#include "display/ScreenSaver.h"
#include "options/RegistryDefault.h"

namespace lumivane {

// The journal's value name: one per desktop session, since every session of
// the user may run its own copy of the program.
std::wstring JournalValueName(uint32_t sessionId);

struct TJournal {
    uint32_t ProcessId = 0;
    uint64_t ProcessStart = 0;  // the process's creation time: a pid alone is reused
    bool Permanent = false;     // the run's changes went into the user's profile
    TDisplayPowerConfiguration Initial;
    TDisplayPowerConfiguration Last;  // what the run last set
    friend bool operator==(const TJournal&, const TJournal&) = default;
};

std::wstring EncodeJournal(const TJournal& journal);
std::optional<TJournal> DecodeJournal(const std::wstring& text);

// Which processes run: this one, and whether another still does.
class IProcessTable {
public:
    virtual ~IProcessTable() = default;
    virtual uint32_t CurrentProcessId() = 0;
    virtual uint32_t CurrentSessionId() = 0;
    virtual uint64_t CurrentProcessStart() = 0;
    virtual bool IsRunning(uint32_t processId, uint64_t processStart) = 0;
};

// What the start found and did.
struct TRecovery {
    enum class TKind { None, LeftAlone, Corrupt, Discarded, Restored } Kind = TKind::None;
    bool ScreenSaverRestored = false, PowerOffRestored = false;
    TDisplayPowerConfiguration Initial;  // what was put back
};

// At start, before the initial configuration is captured. `restoreOnExit`:
// the stored "Restore initial configuration on exit" option. A lost run's
// temporary changes are undone whatever the option says: they were to last
// no longer than the session.
TRecovery RecoverFromJournal(IRegistry& registry, IProcessTable& processes, ISystemParameters& spi,
                             bool restoreOnExit);

// The balloon's text for what was put back (empty when nothing was).
std::wstring RecoveryText(const TRecovery& recovery);
extern const wchar_t* const kRecoveryTitle;

// The system parameters as the program changes them: the first change of a
// run writes the journal, every change updates it, the clean end removes it.
class TJournalledParameters final : public ISystemParameters {
public:
    TJournalledParameters(ISystemParameters& inner, IRegistry& registry, IProcessTable& processes)
        : FInner(inner), FRegistry(registry), FProcesses(processes) {}
    // The configuration the run found, captured at its start.
    void SetInitial(const TDisplayPowerConfiguration& initial) { FInitial = initial; }
    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;
    // The clean end, after its end steps.
    void Remove();
    bool Written() const { return FWritten; }
    // Some change of this run went into the user's profile.
    bool Permanent() const { return FPermanent; }

private:
    void Write();
    ISystemParameters& FInner;
    IRegistry& FRegistry;
    IProcessTable& FProcesses;
    TDisplayPowerConfiguration FInitial;
    bool FWritten = false;
    bool FPermanent = false;
};

// What the end steps do with the configuration and the journal.
struct TEndPlan {
    bool RestoreInitial = false;  // put the initial flags back
    bool KeepJournal = false;     // leave it for the next start to undo
};
// `temporaryPlanChanges`: this run changed the power plan, which outlives the
// program, without "Update Windows configuration"; such changes must last no
// longer than the session, as the old non-permanent changes did.
// `continuousModeRunning`: the session ends inside a continuous-mode run,
// whose own restore may never come; the journal stays for the next start,
// which puts back the time-outs too.
TEndPlan PlanEndSteps(bool restoreOption, bool sessionEnding, bool temporaryPlanChanges,
                      bool continuousModeRunning = false);

}  // namespace lumivane
