#include "config/RestoreJournal.h"

#include <sstream>

#include "options/OptionsStore.h"

namespace lumivane {

std::wstring JournalValueName(uint32_t sessionId) { return L"Restore journal " + std::to_wstring(sessionId); }
const wchar_t* const kRecoveryTitle = L"Lumivane";

namespace {

std::wostream& operator<<(std::wostream& out, const TDisplayPowerConfiguration& c) {
    return out << c.ScreenSaverSetting.Active << L',' << c.ScreenSaverSetting.Timeout << L','
               << c.PowerOffSetting.Active << L',' << c.PowerOffSetting.Timeout;
}

bool ReadConfiguration(std::wistream& in, TDisplayPowerConfiguration& c) {
    int ssActive = 0, poActive = 0;
    wchar_t comma1 = 0, comma2 = 0, comma3 = 0;
    in >> ssActive >> comma1 >> c.ScreenSaverSetting.Timeout >> comma2 >> poActive >> comma3 >>
        c.PowerOffSetting.Timeout;
    c.ScreenSaverSetting.Active = ssActive != 0;
    c.PowerOffSetting.Active = poActive != 0;
    return in && comma1 == L',' && comma2 == L',' && comma3 == L',' && (ssActive | poActive) <= 1 && ssActive >= 0 &&
           poActive >= 0;
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
    std::wostringstream out;
    out << L"v1 " << j.ProcessId << L' ' << j.ProcessStart << L' ' << (j.Permanent ? 1 : 0) << L' ' << j.Initial
        << L' ' << j.Last;
    return out.str();
}

std::optional<TJournal> DecodeJournal(const std::wstring& text) {
    std::wistringstream in(text);
    std::wstring version;
    TJournal j;
    int permanent = -1;
    in >> version >> j.ProcessId >> j.ProcessStart >> permanent;
    if (!in || version != L"v1" || (permanent != 0 && permanent != 1)) return std::nullopt;
    j.Permanent = permanent == 1;
    if (!ReadConfiguration(in, j.Initial) || !ReadConfiguration(in, j.Last)) return std::nullopt;
    std::wstring rest;
    if (in >> rest) return std::nullopt;  // nothing may follow
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
    if (restoreOnExit) {
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
        if (reg.OpenKey(kOptionsKey, true))
            reg.WriteString(JournalValueName(FProcesses.CurrentSessionId()), EncodeJournal(j));
        FWritten = true;
    } catch (const TRegistryError&) {
    }
}

void TJournalledParameters::Remove() {
    DeleteJournal(FRegistry, JournalValueName(FProcesses.CurrentSessionId()));
    FWritten = false;
    FPermanent = false;
}

}  // namespace lumivane
