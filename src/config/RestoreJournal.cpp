#include "config/RestoreJournal.h"

#include <cstdint>

#include "options/OptionsStore.h"

namespace lumivane {

std::wstring JournalValueName(uint32_t sessionId) { return L"Restore journal " + std::to_wstring(sessionId); }
const wchar_t* const kRecoveryTitle = L"Lumivane";

namespace {

std::wstring Text(const TDisplayPowerConfiguration& c) {
    return std::to_wstring(c.ScreenSaverSetting.Active ? 1 : 0) + L',' + std::to_wstring(c.ScreenSaverSetting.Timeout) +
           L',' + std::to_wstring(c.PowerOffSetting.Active ? 1 : 0) + L',' + std::to_wstring(c.PowerOffSetting.Timeout);
}

// Reads the unsigned decimal number at `at`, followed by `end` (or the text's end for 0).
bool ReadNumber(const std::wstring& text, size_t& at, wchar_t end, uint64_t& value) {
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
        if (value > (UINT64_MAX - 9) / 10) return false;
        value = value * 10 + static_cast<uint64_t>(text[at++] - L'0');
    }
    if (at == start) return false;
    if (end == 0) return at == text.size();
    if (at >= text.size() || text[at] != end) return false;
    ++at;
    return true;
}

bool ReadConfiguration(const std::wstring& text, size_t& at, wchar_t end, TDisplayPowerConfiguration& c) {
    uint64_t ssActive = 0, ssTimeout = 0, poActive = 0, poTimeout = 0;
    if (!ReadNumber(text, at, L',', ssActive) || !ReadNumber(text, at, L',', ssTimeout) ||
        !ReadNumber(text, at, L',', poActive) || !ReadNumber(text, at, end, poTimeout))
        return false;
    if (ssActive > 1 || poActive > 1 || ssTimeout > INT32_MAX || poTimeout > INT32_MAX) return false;
    c = {{ssActive == 1, static_cast<int32_t>(ssTimeout)}, {poActive == 1, static_cast<int32_t>(poTimeout)}};
    return true;
}

bool IsSetAction(uint32_t action) {
    using namespace spi;
    return action == kSetScreenSaveTimeout || action == kSetScreenSaveActive || action == kSetLowPowerTimeout ||
           action == kSetPowerOffTimeout || action == kSetLowPowerActive || action == kSetPowerOffActive;
}

void DeleteJournal(IRegistry& registry, const std::wstring& name) {
    TRegistryDefault reg(registry);
    if (reg.OpenKey(kOptionsKey, false)) reg.DeleteValue(name);
}

}  // namespace

std::wstring EncodeJournal(const TJournal& j) {
    return L"v1 " + std::to_wstring(j.ProcessId) + L' ' + std::to_wstring(j.ProcessStart) + L' ' +
           (j.Permanent ? L'1' : L'0') + L' ' + Text(j.Initial) + L' ' + Text(j.Last);
}

std::optional<TJournal> DecodeJournal(const std::wstring& text) {
    if (text.rfind(L"v1 ", 0) != 0) return std::nullopt;
    size_t at = 3;
    TJournal j;
    uint64_t pid = 0, permanent = 0;
    if (!ReadNumber(text, at, L' ', pid) || pid > UINT32_MAX || !ReadNumber(text, at, L' ', j.ProcessStart) ||
        !ReadNumber(text, at, L' ', permanent) || permanent > 1 || !ReadConfiguration(text, at, L' ', j.Initial) ||
        !ReadConfiguration(text, at, 0, j.Last))
        return std::nullopt;
    j.ProcessId = static_cast<uint32_t>(pid);
    j.Permanent = permanent == 1;
    return j;
}

TRecovery RecoverFromJournal(IRegistry& registry, IProcessTable& processes, ISystemParameters& spi,
                             bool restoreOnExit) {
    TRecovery result;
    const std::wstring name = JournalValueName(processes.CurrentSessionId());
    std::wstring text;
    {
        TRegistryDefault reg(registry, kKeyRead);
        if (!reg.OpenKey(kOptionsKey, false) || !reg.ReadString(name, text)) return result;
    }
    const std::optional<TJournal> journal = DecodeJournal(text);
    if (!journal) {
        DeleteJournal(registry, name);
        result.Kind = TRecovery::TKind::Corrupt;
        return result;
    }
    // A run that still goes on (another desktop session of the same user)
    // keeps its journal.
    if (processes.IsRunning(journal->ProcessId, journal->ProcessStart)) {
        result.Kind = TRecovery::TKind::LeftAlone;
        return result;
    }
    result.Kind = TRecovery::TKind::Discarded;
    if (restoreOnExit || !journal->Permanent) {
        // An item that no longer holds what the lost run set was changed by
        // someone else since, and is left as it is.
        const TDisplayPowerConfiguration now = GetDisplayPowerConfiguration(spi);
        const TDisplayPowerConfiguration& initial = journal->Initial;
        if (now.ScreenSaverSetting == journal->Last.ScreenSaverSetting && now.ScreenSaverSetting != initial.ScreenSaverSetting) {
            SetScreenSaverConfiguration(spi, initial.ScreenSaverSetting.Active, initial.ScreenSaverSetting.Timeout,
                                        journal->Permanent);
            result.ScreenSaverRestored = true;
        }
        if (now.PowerOffSetting == journal->Last.PowerOffSetting && now.PowerOffSetting != initial.PowerOffSetting) {
            SetPowerOffConfiguration(spi, initial.PowerOffSetting.Active, initial.PowerOffSetting.Timeout,
                                     journal->Permanent);
            result.PowerOffRestored = true;
        }
        if (result.ScreenSaverRestored || result.PowerOffRestored) result.Kind = TRecovery::TKind::Restored;
        result.Initial = initial;
    }
    DeleteJournal(registry, name);
    return result;
}

std::wstring RecoveryText(const TRecovery& r) {
    if (r.Kind != TRecovery::TKind::Restored) return {};
    auto item = [](const wchar_t* name, const TPowerSetting& s) {
        std::wstring text = std::wstring(name) + (s.Active ? L" on" : L" off");
        if (s.Timeout > 0) text += L", " + std::to_wstring(s.Timeout / 60) + L" min";
        return text;
    };
    std::wstring text = L"Lumivane did not end normally last time. Put back: ";
    if (r.ScreenSaverRestored) text += item(L"screen saver", r.Initial.ScreenSaverSetting);
    if (r.ScreenSaverRestored && r.PowerOffRestored) text += L"; ";
    if (r.PowerOffRestored) text += item(L"monitor power-off", r.Initial.PowerOffSetting);
    return text + L".";
}

bool TJournalledParameters::Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
    if (!IsSetAction(action)) return FInner.Call(action, uiParam, pvParam, fWinIni);
    // Written before the first change, so that a run killed in the middle of
    // it still leaves a way back.
    if (fWinIni & spi::kUpdateIniFile) FPermanent = true;
    if (!FWritten) Write();
    const bool result = FInner.Call(action, uiParam, pvParam, fWinIni);
    Write();
    return result;
}

void TJournalledParameters::Write() {
    TJournal j{FProcesses.CurrentProcessId(), FProcesses.CurrentProcessStart(), FPermanent, FInitial,
               GetDisplayPowerConfiguration(FInner)};
    TRegistryDefault reg(FRegistry);
    // A journal that cannot be written costs the safety net, not the command.
    try {
        if (reg.OpenKey(kOptionsKey, true)) {
            reg.WriteString(JournalValueName(FProcesses.CurrentSessionId()), EncodeJournal(j));
            FWritten = true;
        }
    } catch (const TRegistryError&) {
    }
}

TEndPlan PlanEndSteps(bool restoreOption, bool sessionEnding, bool temporaryPlanChanges,
                      bool continuousModeRunning) {
    TEndPlan plan;
    plan.KeepJournal = sessionEnding && continuousModeRunning;
    if (restoreOption) {
        plan.RestoreInitial = true;
    } else if (temporaryPlanChanges) {
        // The session ends now: undo them now. The program alone ends: the
        // session goes on, and the next start (after it) undoes them.
        plan.RestoreInitial = sessionEnding;
        plan.KeepJournal = plan.KeepJournal || !sessionEnding;
    }
    return plan;
}

void TJournalledParameters::Remove() {
    DeleteJournal(FRegistry, JournalValueName(FProcesses.CurrentSessionId()));
    FWritten = false;
    FPermanent = false;
}

}  // namespace lumivane
