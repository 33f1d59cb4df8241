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
// permanent ones follow the option. Returns the changes whose put-back the
// plan refused.
std::vector<TPlanChange> RecoverPlans(const TJournal& j, IPowerOffPlan& plan, bool restoreOnExit, TRecovery& result) {
    const std::optional<TPlanSnapshot> active = plan.Mark().Plan;
    std::vector<TPlanChange> refused;
    for (const TPlanChange& c : j.Plans) {
        if (c.Permanent && !restoreOnExit) continue;
        const std::optional<TPlanSnapshot> now = plan.Read(c.Last.Plan);
        const std::optional<TPlanSnapshot> back = now ? PlanBackFor(c, *now) : std::nullopt;
        if (!back) continue;
        if (!plan.PutBack({back, {}, false})) {
            // From now on a change to put back, whatever it was before.
            refused.push_back({c.Initial, *now, false, false});
            continue;
        }
        result.PowerOffRestored = true;
        // The balloon names the active plan's values where they came back.
        if (!result.PlanInitial || (active && back->Plan == active->Plan)) result.PlanInitial = back;
    }
    return refused;
}

// Puts one lost run's changes back where the settings still hold what it
// set; returns the plan changes that could not be.
std::vector<TPlanChange> Recover(const TJournal& j, ISystemParameters& spi, IPowerOffPlan& plan, bool restoreOnExit,
                                 TRecovery& result) {
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
    return onPlan ? RecoverPlans(j, plan, restoreOnExit, result) : std::vector<TPlanChange>{};
}

// A journal that holds only what is still to be put back: its items are
// done (their last values are their first), its plans are those left.
TJournal Leftover(const TJournal& j, const TDisplayPowerConfiguration& now, std::vector<TPlanChange> plans) {
    return {2, j.ProcessId, j.ProcessStart, false, now, now, std::move(plans)};
}

bool WriteJournalValue(IRegistry& registry, const std::wstring& name, const TJournal& j, bool flush) {
    try {
        TRegistryDefault reg(registry);
        if (!reg.OpenKey(kOptionsKey, true)) return false;
        reg.WriteString(name, EncodeJournal(j));
        return !flush || reg.Flush();
    } catch (const TRegistryError&) {
        return false;
    }
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
    for (const auto& [name, text] : found) {
        const std::optional<TJournal> journal = DecodeJournal(text);
        // Another version's journal, or one damaged: what it holds is not
        // known, so neither is whether anything is left to put back. It
        // stays for the version that can read it.
        if (!journal) {
            result.Unreadable.push_back(name);
            continue;
        }
        // A run goes on while it holds its marker, which a process id cannot
        // prove; in this session too: a copy of higher rights runs beside
        // this one. A new log-on with another session id finds the journals
        // of the lost runs of the earlier one this way.
        if (Alive(*journal, processes)) {
            Note(result, TRecovery::TKind::LeftAlone);
            continue;
        }
        std::vector<TPlanChange> refused = Recover(*journal, spi, plan, restoreOnExit, result);
        if (refused.empty()) {
            // What came back reaches the disk before the record of it goes.
            if (result.PowerOffRestored) plan.Flush();
            DeleteJournal(registry, name);
            continue;
        }
        WriteJournalValue(registry, name, Leftover(*journal, GetDisplayPowerConfiguration(spi), refused), true);
        result.NotPutBack.insert(result.NotPutBack.end(), refused.begin(), refused.end());
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

std::optional<TPlanSnapshot> PlanBackFor(const TPlanChange& c, const TPlanSnapshot& now) {
    if (!c.Pending) return PlanToPutBack(now, c.Initial, c.Last);
    // The run was about to write: anything but the user's values is its own.
    if (now.Plan != c.Initial.Plan || now == c.Initial) return std::nullopt;
    return c.Initial;
}

std::wstring PlanGuidText(const TPlanId& p) {
    // The GUID's layout in memory: three little-endian numbers, then bytes.
    static const wchar_t digits[] = L"0123456789abcdef";
    const int order[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
    std::wstring text;
    for (const int i : order) {
        if (i < 0) {
            text += L'-';
            continue;
        }
        text += {digits[p[static_cast<size_t>(i)] >> 4], digits[p[static_cast<size_t>(i)] & 15]};
    }
    return text;
}

std::wstring NotPutBackText(const std::vector<TPlanChange>& left) {
    std::wstring text;
    for (const TPlanChange& c : left) {
        const std::wstring guid = PlanGuidText(c.Initial.Plan);
        text += L"The monitor power-off of power plan " + guid + L" is still " + Minutes(c.Last.Ac) +
                L" on mains power and " + Minutes(c.Last.Dc) + L" on battery; your own setting is " +
                Minutes(c.Initial.Ac) + L" and " + Minutes(c.Initial.Dc) + L". ";
    }
    if (text.empty()) return text;
    text += L"Windows refused to put it back: a policy, or the power plan's permissions, may not allow the change. "
            L"Lumivane will try again at its next start.\n\nTo put it back by hand, run:";
    for (const TPlanChange& c : left) {
        const std::wstring guid = PlanGuidText(c.Initial.Plan);
        text += L"\npowercfg /setacvalueindex " + guid + L" SUB_VIDEO VIDEOIDLE " + std::to_wstring(c.Initial.Ac) +
                L"\npowercfg /setdcvalueindex " + guid + L" SUB_VIDEO VIDEOIDLE " + std::to_wstring(c.Initial.Dc);
    }
    return text + L"\npowercfg /setactive SCHEME_CURRENT";
}

std::wstring RecoveryProblemText(const TRecovery& r) {
    std::wstring text = NotPutBackText(r.NotPutBack);
    for (const std::wstring& name : r.Unreadable)
        text += (text.empty() ? L"" : L"\n\n") + std::wstring(L"A record of what Lumivane changed could not be read: "
                L"another version of Lumivane wrote it, or it is damaged. It is left as it is (HKEY_CURRENT_USER\\") +
                kOptionsKey + L", value \"" + name + L"\"), and nothing of it was put back.";
    return text;
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
        if (!change->Pending) change->Initial = PlanToPutBack(was, change->Initial, change->Last).value_or(was);
        if (*now != was) change->Permanent = permanent;
        change->Last = *now;
        change->Pending = false;
    }
    // A first write into a plan none of the above names (none is known).
    for (TPlanChange& c : FPlans)
        if (c.Pending) {
            c.Last = FPlan.Read(c.Initial.Plan).value_or(c.Initial);
            c.Pending = false;
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
        const std::optional<TPlanSnapshot> back = now ? PlanBackFor(c, *now) : std::nullopt;
        if (!back) continue;
        // What switching off remembered of this plan is back now.
        std::vector<TPlanSnapshot> remembered = FPlan.Mark().Remembered;
        std::erase_if(remembered, [&](const TPlanSnapshot& r) { return r.Plan == back->Plan; });
        PutBack({back, remembered, permanent});
    }
}

void TJournalledParameters::SetInitial(const TDisplayPowerConfiguration& initial) {
    FInitial = initial;
    FPlan.GuardWrites([this](const TPlanSnapshot& now) { return BeforePlanWrite(now); });
}

void TJournalledParameters::Inherit(const std::vector<TPlanChange>& changes) {
    FInherited = FInherited || !changes.empty();
    for (const TPlanChange& c : changes)
        if (!FindChange(c.Initial.Plan)) FPlans.push_back(c);
}

bool TJournalledParameters::BeforePlanWrite(const TPlanSnapshot& now) {
    FPlanWritten = true;
    if (FindChange(now.Plan)) return true;  // on the disk since its first write
    // The plan is machine-wide and outlives the run: the way back is on the
    // disk before the first write, or the plan is not written at all. Once
    // a plan: the flush writes the whole hive and holds it meanwhile.
    FPlans.push_back({now, now, false, true});
    if (WriteJournal(Journal(), true)) {
        FWritten = true;
        return true;
    }
    FPlans.pop_back();
    return false;
}

TJournal TJournalledParameters::Journal() {
    return {2, FProcesses.CurrentProcessId(), FProcesses.CurrentProcessStart(), FPermanent, FInitial,
            GetDisplayPowerConfiguration(FInner), FPlans};
}

const std::wstring& TJournalledParameters::ValueName() {
    if (!FName.empty()) return FName;
    // This session's name, unless a journal this version cannot read holds
    // it: that one stays, and this run writes beside it.
    FName = JournalValueName(FProcesses.CurrentSessionId());
    TRegistryDefault reg(FRegistry, kKeyRead);
    if (!reg.OpenKey(kOptionsKey, false)) return FName;
    const std::vector<std::wstring> names = reg.ValueNames();
    std::wstring text;
    if (std::find(names.begin(), names.end(), FName) != names.end() && (reg.ReadString(FName, text), !DecodeJournal(text)))
        FName += L" " + std::to_wstring(FProcesses.CurrentProcessId());
    return FName;
}

bool TJournalledParameters::WriteJournal(const TJournal& j, bool flush) {
    return WriteJournalValue(FRegistry, ValueName(), j, flush);
}

bool TJournalledParameters::Write() {
    // A journal that cannot be written costs the safety net, not the command.
    if (!WriteJournal(Journal(), false)) return false;
    FWritten = true;
    return true;
}

bool TJournalledParameters::Own(const TJournal& journal) {
    return journal.ProcessId == FProcesses.CurrentProcessId() &&
           journal.ProcessStart == FProcesses.CurrentProcessStart();
}

std::vector<TPlanChange> TJournalledParameters::Remove() {
    // What the run was to put back and the plan does not hold yet. A plan
    // that cannot be read is not known to be back.
    FPlan.Refresh();
    std::vector<TPlanChange> left;
    for (const TPlanChange& c : FPlans) {
        if (c.Permanent) continue;  // meant to stay
        const std::optional<TPlanSnapshot> now = FPlan.Read(c.Last.Plan);
        if (!now || PlanBackFor(c, *now)) left.push_back({c.Initial, now.value_or(c.Last), false, c.Pending && !now});
    }
    const std::wstring name = ValueName();
    std::wstring text;
    {
        TRegistryDefault reg(FRegistry, kKeyRead);
        if (reg.OpenKey(kOptionsKey, false)) reg.ReadString(name, text);
    }
    // Only this run's own, or the lost run's whose plans it took over:
    // whatever else stands there is not this run's to remove.
    const std::optional<TJournal> journal = DecodeJournal(text);
    if (!left.empty()) {
        // Kept for the next start, with nothing in it but what is left.
        WriteJournal(Leftover(Journal(), GetDisplayPowerConfiguration(FInner), left), true);
    } else if (journal && (Own(*journal) || FInherited)) {
        // The plan's put-back reaches the disk before its record goes.
        if (FPlanWritten) FPlan.Flush();
        DeleteJournal(FRegistry, name);
    }
    FProcesses.MarkPlanInForce({});
    FWritten = false;
    FPermanent = false;
    return left;
}

}  // namespace lumivane
