#include "options/OptionsStore.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "base/NameCase.h"

namespace lumivane {

const wchar_t* const kTriggersKey = L"Software\\Tessaly\\Lumivane\\Triggers";
const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kStartupApprovedKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const wchar_t* const kHighColorNotifyIconValue = L"HighColorNotifyIcon";
const wchar_t* const kRegistryWriteErrorText =
    L"Error while writing in the Windows Registry.\rCheck that you have the proper rights.";
const wchar_t* const kOperationAbortedText = L"Operation aborted";

namespace {

using C = TControlId;
using K = TOptionKind;

constexpr TOptionRow kRows[] = {
    {L"Restore initial values on exit", K::Bool, C::cbRestoreConfiguration, true},
    {L"Store changes permanently ", K::Bool, C::cbUpdateSettings, false},
    {L"Start with Windows", K::Bool, C::cbStartWithWindows, false},
    {L"Preserve current options", K::Bool, C::cbPreserveConfiguration, false},
    {L"Use continuous mode", K::Bool, C::cbContinuousMode, false},
    {L"Continuous mode delay", K::Delay, C::edContinuousModeDelay, false},
    {L"Control screen saver", K::Bool, C::cbManageScreenSaver, false},
    {L"Control power off", K::Bool, C::cbManagePowerOff, false},
    {L"Use hotkey - screen saver", K::Bool, C::cbHotkeyScreenSaver, false},
    {L"Use hotkey - power off", K::Bool, C::cbHotkeyPowerOff, false},
    {L"Hotkey - screen saver", K::HotKey, C::HotKeyScreenSaver, false},
    {L"Hotkey - power off", K::HotKey, C::HotKeyPowerOff, false},
    {L"Win hotkey - screen saver", K::Bool, C::cbWinScreenSaver, false},
    {L"Win hotkey - power off", K::Bool, C::cbWinPowerOff, false},
    {L"Tray icon option - single click", K::ItemIndex, C::cmbTrayIconClick, false},
    {L"Tray icon option", K::ItemIndex, C::cmbTrayIconDoubleClick, false},
};

int ListSize(C list) {
    return static_cast<int>(list == C::cmbTrayIconClick ? TrayClickItems().size() : TrayDoubleClickItems().size());
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

}  // namespace

std::span<const TOptionRow> OptionRows() { return kRows; }

std::wstring RunEntry(const std::wstring& programPath) {
    // Quoted: an unquoted path with blanks lets Windows try its shorter
    // prefixes ("C:\Program.exe") first.
    return L"\"" + programPath + L"\" -quiet";
}

bool RemoveRunEntryOf(IRegistry& registry, const std::wstring& title, const std::wstring& programPath) {
    TRegistryDefault run(registry);
    std::wstring entry;
    if (!run.OpenKey(kRunKey, false) || !run.ReadString(title, entry)) return false;
    if (!SameName(entry, RunEntry(programPath)) || !run.DeleteValue(title)) return false;
    TRegistryDefault approved(registry);
    if (approved.OpenKey(kStartupApprovedKey, false)) approved.DeleteValue(title);
    return true;
}

void TOptionsStore::LoadOptions() {
    try {
        TRegistryDefault reg(FDeps.Registry, kKeyRead);
        // A key that cannot be opened makes every read give its default.
        reg.OpenKey(kOptionsKey, false);
        LoadRows(reg);
        // Task Manager can switch the entry off without removing it: the box
        // says whether the program really starts at log-on.
        if (StartupMarkedDisabled()) FDeps.Form.SetChecked(C::cbStartWithWindows, false);
        FStartBoxKept = FDeps.Form.Checked(C::cbStartWithWindows);
        FStartForced.reset();
        ApplyStartPolicy();
        FDeps.HighColorIcon = reg.ReadBool(kHighColorNotifyIconValue, false) || FDeps.VisualStyles();
    } catch (const std::exception& e) {
        FDeps.Errors.ShowError(Widen(e.what()));
    }
}

void TOptionsStore::LoadRows(const TRegistryDefault& reg) {
    TMainForm& form = FDeps.Form;
    const TDisplayPowerConfiguration& initial = FDeps.Config.FInitialConfiguration;
    struct TLoadedHotKey {
        TControlId Field;
        TShortCut Value;
    };
    std::vector<TLoadedHotKey> hotKeys;
    for (const TOptionRow& row : kRows) {
        switch (row.Kind) {
        case K::Bool: {
            bool fallback = row.Default;
            if (row.Control == C::cbManageScreenSaver) fallback = initial.ScreenSaverSetting.Active;
            if (row.Control == C::cbManagePowerOff) fallback = initial.PowerOffSetting.Active;
            // A box set to a new state runs its click handler.
            form.SetChecked(row.Control, reg.ReadBool(row.Name, fallback));
            break;
        }
        case K::Delay:
            // The field keeps itself within its limits.
            form.edContinuousModeDelay.SetNumber(reg.ReadInteger(row.Name, form.edContinuousModeDelay.Number()));
            break;
        case K::HotKey:
            hotKeys.push_back(
                {row.Control, static_cast<TShortCut>(reg.ReadInteger(row.Name, form.HotKey(row.Control)) & 0xFFFF)});
            form.SetHotKey(row.Control, hotKeys.back().Value);
            break;
        case K::ItemIndex: {
            const int index = reg.ReadInteger(row.Name, 0);
            // An index outside the list leaves it without a selection.
            form.SetItemIndex(row.Control, index >= 0 && index < ListSize(row.Control) ? index : -1);
            // Setting an index runs no handler by itself.
            if (form.cmbTrayIconDoubleClickChange) form.cmbTrayIconDoubleClickChange();
            break;
        }
        }
    }
    // A "Win +" box checked by the loading applies its rules, which would
    // clear the modifiers of the loaded combination: the stored combination
    // is given back exactly (the rules apply to what the user types next).
    for (const TLoadedHotKey& h : hotKeys) form.SetHotKey(h.Field, h.Value);
}

bool TOptionsStore::SaveOptions() {
    try {
        TRegistryDefault reg(FDeps.Registry);
        if (!reg.OpenKey(kOptionsKey, true)) {
            FDeps.Errors.ShowError(kOperationAbortedText);
            return false;
        }
        SaveRows(reg);
        reg.CloseKey();
        return SaveRunEntry(reg);
    } catch (const TRegistryError&) {
        FDeps.Errors.ShowError(kRegistryWriteErrorText);
    } catch (const std::exception& e) {
        FDeps.Errors.ShowError(Widen(e.what()));
    }
    return false;
}

void TOptionsStore::SaveRows(TRegistryDefault& reg) {
    const TMainForm& form = FDeps.Form;
    for (const TOptionRow& row : kRows) {
        switch (row.Kind) {
        case K::Bool:
            // A forced box keeps the user's own choice in the options.
            reg.WriteBool(row.Name, row.Control == C::cbStartWithWindows && FStartForced ? FUsersStart
                                                                                          : form.Checked(row.Control));
            break;
        case K::Delay: reg.WriteInteger(row.Name, form.edContinuousModeDelay.Number()); break;
        case K::HotKey: reg.WriteInteger(row.Name, form.HotKey(row.Control)); break;
        case K::ItemIndex: reg.WriteInteger(row.Name, form.ItemIndex(row.Control)); break;
        }
    }
}

bool TOptionsStore::SaveRunEntry(TRegistryDefault& reg) {
    if (!reg.OpenKey(kRunKey, true)) {
        FDeps.Errors.ShowError(kOperationAbortedText);
        return false;
    }
    const bool checked = FDeps.Form.Checked(C::cbStartWithWindows);
    // Only the user's own check moves the entry to this copy: a portable copy
    // that merely saves what it read at its end must not take the log-on
    // start away from the installation the user chose.
    const bool checkedByUser = checked && (!FStartBoxKept || FStartForced);
    if (checked) {
        std::wstring entry;
        if (checkedByUser || !reg.ReadString(FDeps.Title, entry) || !NamedProgramExists(entry))
            reg.WriteString(FDeps.Title, RunEntry(FDeps.ProgramPath()));
    } else {
        reg.DeleteValue(FDeps.Title);  // a missing value is no error
    }
    // A mark set in Task Manager while the program ran stays until the user
    // checks the box again.
    if (!checked || checkedByUser) RemoveStartupMark();
    FStartBoxKept = checked;
    return true;
}

void TOptionsStore::ApplyStartPolicy() {
    const std::optional<uint32_t> forced = FDeps.Config.Policies().Value(TPolicy::RunAtStartup);
    if (!FStartForced && !forced) return;
    TMainForm& form = FDeps.Form;
    if (!FStartForced) FUsersStart = form.Checked(C::cbStartWithWindows);
    FStartForced = forced ? std::optional<bool>(*forced != 0) : std::nullopt;
    form.SetEnabled(C::cbStartWithWindows, !forced);
    form.SetChecked(C::cbStartWithWindows, FStartForced.value_or(FUsersStart));
    try {
        TRegistryDefault reg(FDeps.Registry);
        SaveRunEntry(reg);
    } catch (const TRegistryError&) {
        FDeps.Errors.ShowError(kRegistryWriteErrorText);
    }
}

bool TOptionsStore::StartupMarkedDisabled() const {
    TRegistryDefault approved(FDeps.Registry, kKeyRead);
    std::vector<uint8_t> mark;
    // The first byte's low bit is the switch; what follows is when it was set.
    return approved.OpenKey(kStartupApprovedKey, false) && approved.ReadBinary(FDeps.Title, mark) &&
           !mark.empty() && (mark[0] & 1) != 0;
}

void TOptionsStore::RemoveStartupMark() {
    // Removed rather than rewritten as "enabled": without a mark the entry is
    // enabled, and no stale value with an invented date stays behind once the
    // entry goes. A mark that cannot be removed shows as an unchecked box.
    TRegistryDefault approved(FDeps.Registry);
    if (approved.OpenKey(kStartupApprovedKey, false)) approved.DeleteValue(FDeps.Title);
}

bool TOptionsStore::NamedProgramExists(const std::wstring& entry) const {
    if (!FDeps.FileExists) return true;
    if (!entry.empty() && entry[0] == L'"') {
        const size_t close = entry.find(L'"', 1);
        return close != std::wstring::npos && FDeps.FileExists(entry.substr(1, close - 1));
    }
    // Unquoted, Windows tries the text up to each blank in turn, then all of it.
    for (size_t blank = entry.find(L' ');; blank = entry.find(L' ', blank + 1)) {
        if (FDeps.FileExists(entry.substr(0, blank))) return true;
        if (blank == std::wstring::npos) return false;
    }
}

namespace {
constexpr uint32_t kRegMultiSz = 7;

bool ReadDword(IRegistry& registry, TRegKey key, const wchar_t* name, bool fallback) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!registry.QueryValue(key, name, type, data) || type != kRegDword || data.size() != 4) return fallback;
    return (data[0] | data[1] | data[2] | data[3]) != 0;
}
uint32_t ReadNumber(IRegistry& registry, TRegKey key, const wchar_t* name) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!registry.QueryValue(key, name, type, data) || type != kRegDword || data.size() != 4) return 0;
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
}

// Both lists at their longest are read whole; the schedule's 32 windows of
// a few dozen characters take a small part of what the program list may.
static_assert((kProgramsMax * (kProgramNameMax + 1) + 1) * 2 <= kValueBytesMax);

// False when a value by that name is there but cannot be read as a list.
bool ReadList(IRegistry& registry, TRegKey key, const wchar_t* name, std::vector<std::wstring>& list) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (registry.QueryValue(key, name, type, data) && type == kRegMultiSz)
        if (auto strings = DecodeMultiString(data)) {
            list = std::move(*strings);
            return true;
        }
    // The system matches names of values without regard to case.
    const auto same = [name](const std::wstring& stored) { return SameName(stored, name); };
    const auto names = registry.ValueNames(key);
    return std::none_of(names.begin(), names.end(), same);
}
}  // namespace

TTriggerSettings LoadTriggers(IRegistry& registry) {
    TTriggerSettings settings;
    TRegKey key = 0;
    if (!registry.OpenKey(kTriggersKey, false, kKeyRead, key)) return settings;
    settings.ProgramsUnread = !ReadList(registry, key, L"Programs", settings.Programs);
    settings.Programs = CleanProgramList(settings.Programs);
    settings.FullScreen = ReadDword(registry, key, L"FullScreen", false);
    settings.WhileCall = ReadDword(registry, key, L"WhileCall", false);
    // A mode this version does not know is off.
    const uint32_t presenting = ReadNumber(registry, key, L"WhilePresenting");
    settings.WhilePresenting = static_cast<TPresentingMode>(presenting <= kPresentingModeMax ? presenting : 0);
    settings.OnlyOnMains = ReadDword(registry, key, L"OnlyOnMains", false);
    settings.KeepAwake = ReadDword(registry, key, L"KeepAwake", true);
    settings.LetDisplaySleepWhenLocked = ReadDword(registry, key, L"LetDisplaySleepWhenLocked", true);
    settings.ScheduleUnread = !ReadList(registry, key, L"Schedule", settings.Schedule);
    // A floor out of its range is no floor.
    const uint32_t floor = ReadNumber(registry, key, L"MinBatteryPercent");
    settings.MinBatteryPercent = floor >= kBatteryFloorMin && floor <= kBatteryFloorMax ? floor : 0;
    registry.CloseKey(key);
    return settings;
}

bool SaveTriggers(IRegistry& registry, const TTriggerSettings& settings) {
    TRegKey key = 0;
    if (!registry.OpenKey(kTriggersKey, true, kKeyAllAccess, key)) return false;
    const auto dword = [](uint32_t v) { return std::vector<uint8_t>{static_cast<uint8_t>(v), 0, 0, 0}; };
    const auto list = [&](const wchar_t* name, const std::vector<std::wstring>& strings, bool unread) {
        return unread || registry.SetValue(key, name, kRegMultiSz, EncodeMultiString(strings));
    };
    const bool saved = list(L"Programs", settings.Programs, settings.ProgramsUnread) &&
                       registry.SetValue(key, L"FullScreen", kRegDword, dword(settings.FullScreen)) &&
                       registry.SetValue(key, L"WhileCall", kRegDword, dword(settings.WhileCall)) &&
                       registry.SetValue(key, L"WhilePresenting", kRegDword,
                                         dword(static_cast<uint32_t>(settings.WhilePresenting))) &&
                       registry.SetValue(key, L"OnlyOnMains", kRegDword, dword(settings.OnlyOnMains)) &&
                       registry.SetValue(key, L"KeepAwake", kRegDword, dword(settings.KeepAwake)) &&
                       registry.SetValue(key, L"LetDisplaySleepWhenLocked", kRegDword,
                                         dword(settings.LetDisplaySleepWhenLocked)) &&
                       registry.SetValue(key, L"MinBatteryPercent", kRegDword, dword(settings.MinBatteryPercent)) &&
                       list(L"Schedule", settings.Schedule, settings.ScheduleUnread);
    registry.CloseKey(key);
    return saved;
}

}  // namespace lumivane
