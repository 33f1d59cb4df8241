#include "config/RestoreJournal.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "options/OptionsStore.h"

namespace lumivane {

namespace {
const std::wstring kJournalPrefix = L"Restore journal ";
}

std::wstring JournalValueName(uint32_t sessionId) { return kJournalPrefix + std::to_wstring(sessionId); }
const wchar_t* const kRecoveryTitle = L"Lumivane";

namespace {

// Journal v2's permanence: any change of the run, and the run's last plan
// change; v3 keeps the second with each plan.
constexpr uint64_t kAnyPermanent = 1, kPlanPermanent = 2;

std::wstring Text(const TDisplayPowerConfiguration& c) {
    return std::to_wstring(c.ScreenSaverSetting.Active ? 1 : 0) + L',' + std::to_wstring(c.ScreenSaverSetting.Timeout) +
           L',' + std::to_wstring(c.PowerOffSetting.Active ? 1 : 0) + L',' + std::to_wstring(c.PowerOffSetting.Timeout);
}

std::wstring Hex(const TPlanId& plan) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (const uint8_t b : plan) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

// Splits exactly: two separators in a row give an empty part.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// An unsigned decimal number of digits only, at most `max`.
bool Number(const std::wstring& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        const auto digit = static_cast<uint64_t>(c - L'0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return value <= max;
}

// `count` numbers separated by commas, each at most its maximum.
template <size_t N>
bool Numbers(const std::wstring& text, const uint64_t (&max)[N], uint64_t (&values)[N]) {
    const std::vector<std::wstring> parts = Split(text, L',');
    if (parts.size() != N) return false;
    for (size_t i = 0; i < N; ++i)
        if (!Number(parts[i], max[i], values[i])) return false;
    return true;
}

bool ReadConfiguration(const std::wstring& text, TDisplayPowerConfiguration& c) {
    uint64_t v[4] = {};
    if (!Numbers(text, {1, INT32_MAX, 1, INT32_MAX}, v)) return false;
    c = {{v[0] == 1, static_cast<int32_t>(v[1])}, {v[2] == 1, static_cast<int32_t>(v[3])}};
    return true;
}

bool ReadPlanValues(const std::wstring& text, TPlanSnapshot& snapshot) {
    uint64_t v[2] = {};
    if (!Numbers(text, {UINT32_MAX, UINT32_MAX}, v)) return false;
    snapshot.Ac = static_cast<uint32_t>(v[0]);
    snapshot.Dc = static_cast<uint32_t>(v[1]);
    return true;
}

bool ReadPlanId(const std::wstring& text, TPlanId& plan) {
    if (text.size() != 2 * plan.size()) return false;
    auto nibble = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
    };
    for (size_t i = 0; i < plan.size(); ++i) {
        const int high = nibble(text[2 * i]), low = nibble(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        plan[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

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

std::wstring EncodeJournal(const TJournal& j) {
    // The v2 form while at most one plan is involved, as earlier versions
    // wrote and read it; v3 for several.
    const bool several = j.Plans.size() > 1;
    const bool planPermanent = j.Plans.size() == 1 && j.Plans[0].Permanent;
    const uint64_t permanent = (j.Permanent ? kAnyPermanent : 0) | (planPermanent ? kPlanPermanent : 0);
    std::wstring text = std::wstring(several ? L"v3 " : L"v2 ") + std::to_wstring(j.ProcessId) + L' ' +
                        std::to_wstring(j.ProcessStart) + L' ' + std::to_wstring(permanent) + L' ' + Text(j.Initial) +
                        L' ' + Text(j.Last);
    for (const TPlanChange& c : j.Plans) {
        text += L' ' + Hex(c.Initial.Plan) + L' ' + std::to_wstring(c.Initial.Ac) + L',' +
                std::to_wstring(c.Initial.Dc) + L' ' + std::to_wstring(c.Last.Ac) + L',' + std::to_wstring(c.Last.Dc);
        if (several) text += c.Permanent ? L" 1" : L" 0";
    }
    return text;
}

std::optional<TJournal> DecodeJournal(const std::wstring& text) {
    // v1: version, pid, start, permanent, initial, last.
    // v2: the same, then optionally the plan, its user's values and the run's last.
    // v3: the same, then two plans or more, each followed by its own permanence.
    const std::vector<std::wstring> parts = Split(text, L' ');
    TJournal j;
    if (parts[0] == L"v1" && parts.size() == 6)
        j.Version = 1;
    else if (parts[0] == L"v3" && parts.size() >= 14 && (parts.size() - 6) % 4 == 0)
        j.Version = 3;
    else if (parts[0] != L"v2" || (parts.size() != 6 && parts.size() != 9))
        return std::nullopt;
    const uint64_t maxPermanent = j.Version == 2 ? kAnyPermanent | kPlanPermanent : kAnyPermanent;
    uint64_t pid = 0, permanent = 0;
    if (!Number(parts[1], UINT32_MAX, pid) || !Number(parts[2], UINT64_MAX, j.ProcessStart) ||
        !Number(parts[3], maxPermanent, permanent) || !ReadConfiguration(parts[4], j.Initial) ||
        !ReadConfiguration(parts[5], j.Last))
        return std::nullopt;
    j.ProcessId = static_cast<uint32_t>(pid);
    j.Permanent = (permanent & kAnyPermanent) != 0;
    const size_t step = j.Version == 3 ? 4 : 3;
    for (size_t i = 6; i < parts.size(); i += step) {
        TPlanChange c;
        uint64_t own = (permanent & kPlanPermanent) ? 1 : 0;
        if (!ReadPlanId(parts[i], c.Initial.Plan) || !ReadPlanValues(parts[i + 1], c.Initial) ||
            !ReadPlanValues(parts[i + 2], c.Last) || (step == 4 && !Number(parts[i + 3], 1, own)))
            return std::nullopt;
        c.Last.Plan = c.Initial.Plan;
        c.Permanent = own != 0;
        j.Plans.push_back(c);
    }
    return j;
}

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
    const auto it = std::find_if(FPlans.begin(), FPlans.end(), [&](const TPlanChange& c) { return c.Last.Plan == plan; });
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
        if (const auto values = mark.Plan && mark.Plan->Plan == id ? mark.Plan : FPlan.Read(id)) read.push_back(*values);
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
