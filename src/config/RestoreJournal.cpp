#include "config/RestoreJournal.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/ProgramNames.h"

namespace lumivane {

namespace {
const std::wstring kJournalPrefix = L"Restore journal ";
}

std::wstring JournalValueName(uint32_t sessionId) { return kJournalPrefix + std::to_wstring(sessionId); }
const wchar_t* const kRecoveryTitle = L"Lumivane";

namespace {

bool IsPowerOffSet(uint32_t action) {
    using namespace spi;
    return action == kSetLowPowerTimeout || action == kSetPowerOffTimeout || action == kSetLowPowerActive ||
           action == kSetPowerOffActive;
}

bool IsSetAction(uint32_t action) {
    return IsPowerOffSet(action) || action == spi::kSetScreenSaveTimeout || action == spi::kSetScreenSaveActive;
}

void DeleteJournal(IRegistry& registry, const std::wstring& name) {
    TRegistryDefault reg(registry);
    if (reg.OpenKey(kOptionsKey, false)) reg.DeleteValue(name);
}

bool Alive(const TJournal& journal, IProcessTable& processes) {
    return journal.Version >= 2 ? processes.RunMarkerHeld(journal.ProcessId, journal.ProcessStart)
                                : processes.IsRunning(journal.ProcessId, journal.ProcessStart);
}

void Note(TRecovery& result, TRecovery::TKind kind) {
    if (kind > result.Kind) result.Kind = kind;
}

// Each plan by its GUID. Temporary plan changes never outlive their run;
// permanent ones follow the option.
void RecoverPlans(const TJournal& j, IPowerOffPlan& plan, bool restoreOnExit, TRecovery& result) {
    const std::optional<TPlanSnapshot> active = plan.Mark().Plan;
    for (const TPlanChange& c : j.Plans) {
        if (c.Permanent && !restoreOnExit) continue;
        const std::optional<TPlanSnapshot> now = plan.Read(c.Last.Plan);
        const std::optional<TPlanSnapshot> back = now ? PlanToPutBack(*now, c.Initial, c.Last) : std::nullopt;
        if (!back || !plan.PutBack({back, {}, false})) continue;
        result.PowerOffRestored = true;
        // The balloon names the active plan's values where they came back.
        if (!result.PlanInitial || (active && back->Plan == active->Plan)) result.PlanInitial = back;
    }
}

// Puts one lost run's changes back where the settings still hold what it set.
void Recover(const TJournal& j, ISystemParameters& spi, IPowerOffPlan& plan, bool restoreOnExit, TRecovery& result) {
    Note(result, TRecovery::TKind::Discarded);
    const bool onPlan = plan.Mark().Plan.has_value();
    auto item = [&](auto get, auto set, const TPowerSetting& initial, const TPowerSetting& last) {
        TPowerSetting now;
        get(spi, now.Active, now.Timeout);
        if (now != last || last == initial) return false;  // changed since, or put back already
        set(spi, initial.Active, initial.Timeout, j.Permanent);
        return true;
    };
    if (restoreOnExit || !j.Permanent) {
        if (item(GetScreenSaverConfiguration, SetScreenSaverConfiguration, j.Initial.ScreenSaverSetting,
                 j.Last.ScreenSaverSetting)) {
            result.ScreenSaverRestored = true;
            result.Initial.ScreenSaverSetting = j.Initial.ScreenSaverSetting;
        }
        // Journals without the plan, or of runs that were not on one: the
        // power-off as the routines see it.
        if ((j.Version < 2 || !onPlan) && item(GetPowerOffConfiguration, SetPowerOffConfiguration,
                                               j.Initial.PowerOffSetting, j.Last.PowerOffSetting)) {
            result.PowerOffRestored = true;
            result.Initial.PowerOffSetting = j.Initial.PowerOffSetting;
        }
    }
    if (onPlan) RecoverPlans(j, plan, restoreOnExit, result);
}

std::wstring Minutes(uint32_t seconds) { return seconds ? std::to_wstring(seconds / 60) + L" min" : L"never"; }

}  // namespace

TRecovery RecoverFromJournal(IRegistry& registry, IProcessTable& processes, ISystemParameters& spi,
                             IPowerOffPlan& plan, bool restoreOnExit) {
    TRecovery result;
    std::vector<std::pair<std::wstring, std::wstring>> found;
    {
        TRegistryDefault reg(registry, kKeyRead);
        if (!reg.OpenKey(kOptionsKey, false)) return result;
        for (const std::wstring& name : reg.ValueNames()) {
            if (name.rfind(kJournalPrefix, 0) != 0) continue;
            std::wstring text;
            reg.ReadString(name, text);  // a value of another type reads as no journal
            found.emplace_back(name, text);
        }
    }
    const std::wstring own = JournalValueName(processes.CurrentSessionId());
    for (const auto& [name, text] : found) {
        const std::optional<TJournal> journal = DecodeJournal(text);
        if (!journal) {
            DeleteJournal(registry, name);
            Note(result, TRecovery::TKind::Corrupt);
            continue;
        }
        // This session runs one copy, this one, which has written nothing
        // yet: a journal of this session is a lost run's. Another session's
        // run goes on while it holds its marker, which a process id cannot
        // prove. A new log-on with another session id finds the journals of
        // the lost runs of the earlier one this way.
        if (name != own && Alive(*journal, processes)) {
            Note(result, TRecovery::TKind::LeftAlone);
            continue;
        }
        Recover(*journal, spi, plan, restoreOnExit, result);
        DeleteJournal(registry, name);
    }
    if (result.ScreenSaverRestored || result.PowerOffRestored) Note(result, TRecovery::TKind::Restored);
    plan.Refresh();
    return result;
}

std::wstring RecoveryText(const TRecovery& r) {
    if (r.Kind != TRecovery::TKind::Restored) return {};
    auto item = [](const wchar_t* name, const TPowerSetting& s) {
        std::wstring text = std::wstring(name) + (s.Active ? L" on" : L" off");
        if (s.Timeout > 0) text += L", " + std::to_wstring(s.Timeout / 60) + L" min";
        return text;
    };
    std::vector<std::wstring> items;
    if (r.ScreenSaverRestored) items.push_back(item(L"screen saver", r.Initial.ScreenSaverSetting));
    if (r.PowerOffRestored && r.PlanInitial)
        items.push_back(L"monitor power-off " + Minutes(r.PlanInitial->Ac) + L" on mains power, " +
                        Minutes(r.PlanInitial->Dc) + L" on battery");
    else if (r.PowerOffRestored)
        items.push_back(item(L"monitor power-off", r.Initial.PowerOffSetting));
    std::wstring text = L"Lumivane did not end normally last time. Put back: ";
    for (size_t i = 0; i < items.size(); ++i) text += (i ? L"; " : L"") + items[i];
    return text + L".";
}

TPlanChange* TJournalledParameters::FindChange(const TPlanId& plan) {
    const auto it =
        std::find_if(FPlans.begin(), FPlans.end(), [&](const TPlanChange& c) { return c.Last.Plan == plan; });
    return it == FPlans.end() ? nullptr : &*it;
}

TPlanMark TJournalledParameters::Mark() {
    TPlanMark mark = FPlan.Mark();
    // The marked values are the run's own permanent ones: putting them back
    // keeps them so.
    const TPlanChange* change = mark.Plan ? FindChange(mark.Plan->Plan) : nullptr;
    const bool own = change && change->Last == *mark.Plan;
    mark.Permanent = own && change->Permanent;
    mark.SetByAnotherRun = mark.Plan && !own && FProcesses.PlanMarkedByAnotherRun(*mark.Plan);
    return mark;
}

std::vector<TPlanSnapshot> TJournalledParameters::ReadInvolved(const std::optional<TPlanId>& target) {
    // A change may touch the active plan, the plan it writes into, the
    // plans switched off and those the run changed before.
    const TPlanMark mark = FPlan.Mark();
    std::vector<TPlanId> ids;
    auto add = [&](const TPlanId& id) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    };
    if (mark.Plan) add(mark.Plan->Plan);
    if (target) add(*target);
    for (const TPlanSnapshot& r : mark.Remembered) add(r.Plan);
    for (const TPlanChange& c : FPlans) add(c.Last.Plan);
    std::vector<TPlanSnapshot> read;
    for (const TPlanId& id : ids)
        if (const auto values = mark.Plan && mark.Plan->Plan == id ? mark.Plan : FPlan.Read(id))
            read.push_back(*values);
    return read;
}

void TJournalledParameters::Record(const std::vector<TPlanSnapshot>& before, bool permanent) {
    for (const TPlanSnapshot& was : before) {
        const std::optional<TPlanSnapshot> now = FPlan.Read(was.Plan);
        if (!now) continue;
        TPlanChange* change = FindChange(was.Plan);
        if (!change) {
            if (*now != was) FPlans.push_back({was, *now, permanent});
            continue;
        }
        // A value someone else changed since the run's last is the user's now.
        change->Initial = PlanToPutBack(was, change->Initial, change->Last).value_or(was);
        if (*now != was) change->Permanent = permanent;
        change->Last = *now;
    }
    // A plan that holds the user's values again is no longer the run's.
    std::erase_if(FPlans, [](const TPlanChange& c) { return c.Last == c.Initial; });
    std::vector<TPlanSnapshot> inForce;
    for (const TPlanChange& c : FPlans) inForce.push_back(c.Last);
    FProcesses.MarkPlanInForce(inForce);
}

template <typename Change>
bool TJournalledParameters::Journalled(bool plan, bool permanent, Change change, const std::optional<TPlanId>& target) {
    if (permanent) FPermanent = true;
    const std::vector<TPlanSnapshot> before = plan ? ReadInvolved(target) : std::vector<TPlanSnapshot>{};
    // Written before the change, so that a run killed in the middle of it
    // still leaves a way back.
    if (!FWritten) Write();
    const bool result = change();
    if (plan) Record(before, permanent);
    Write();
    return result;
}

bool TJournalledParameters::Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
    if (!IsSetAction(action)) return FInner.Call(action, uiParam, pvParam, fWinIni);
    return Journalled(IsPowerOffSet(action), (fWinIni & spi::kUpdateIniFile) != 0,
                      [&] { return FInner.Call(action, uiParam, pvParam, fWinIni); });
}

bool TJournalledParameters::PutBack(const TPlanMark& mark) {
    if (!mark.Plan) return false;
    return Journalled(true, mark.Permanent, [&] { return FPlan.PutBack(mark); }, mark.Plan->Plan);
}

bool TJournalledParameters::TemporaryPlanChanges() {
    return std::any_of(FPlans.begin(), FPlans.end(), [](const TPlanChange& c) { return !c.Permanent; });
}

void TJournalledParameters::PutBackChanges(bool temporaryOnly, bool permanent) {
    FPlan.Refresh();
    const std::vector<TPlanChange> changes = FPlans;  // each put-back changes the list
    for (const TPlanChange& c : changes) {
        if (temporaryOnly && c.Permanent) continue;
        const std::optional<TPlanSnapshot> now = FPlan.Read(c.Last.Plan);
        const std::optional<TPlanSnapshot> back = now ? PlanToPutBack(*now, c.Initial, c.Last) : std::nullopt;
        if (!back) continue;
        // What switching off remembered of this plan is back now.
        std::vector<TPlanSnapshot> remembered = FPlan.Mark().Remembered;
        std::erase_if(remembered, [&](const TPlanSnapshot& r) { return r.Plan == back->Plan; });
        PutBack({back, remembered, permanent});
    }
}

void TJournalledParameters::Write() {
    const TJournal j{2,       FProcesses.CurrentProcessId(), FProcesses.CurrentProcessStart(), FPermanent,
                     FInitial, GetDisplayPowerConfiguration(FInner), FPlans};
    // A journal that cannot be written costs the safety net, not the command.
    try {
        TRegistryDefault reg(FRegistry);
        if (reg.OpenKey(kOptionsKey, true)) {
            reg.WriteString(JournalValueName(FProcesses.CurrentSessionId()), EncodeJournal(j));
            FWritten = true;
        }
    } catch (const TRegistryError&) {
    }
}

bool TJournalledParameters::Own(const TJournal& journal) {
    return journal.ProcessId == FProcesses.CurrentProcessId() &&
           journal.ProcessStart == FProcesses.CurrentProcessStart();
}

void TJournalledParameters::Remove() {
    const std::wstring name = JournalValueName(FProcesses.CurrentSessionId());
    std::wstring text;
    {
        TRegistryDefault reg(FRegistry, kKeyRead);
        if (reg.OpenKey(kOptionsKey, false)) reg.ReadString(name, text);
    }
    // Only this run's own: whatever else stands there is not this run's to remove.
    if (const auto journal = DecodeJournal(text); journal && Own(*journal)) DeleteJournal(FRegistry, name);
    FProcesses.MarkPlanInForce({});
    FWritten = false;
    FPermanent = false;
}

}  // namespace lumivane
