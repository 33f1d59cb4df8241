#include "options/UserPath.h"

#include <vector>

#include "base/NameCase.h"

namespace lumivane {

namespace {

// Entries as the system splits them: at each ';' outside double quotes, so
// that a quoted folder may hold one.
std::vector<std::wstring> Entries(const std::wstring& path) {
    std::vector<std::wstring> entries(1);
    bool quoted = false;
    for (wchar_t c : path) {
        if (c == L'"') quoted = !quoted;
        if (c == L';' && !quoted)
            entries.emplace_back();
        else
            entries.back() += c;
    }
    return entries;
}

// What an entry names, in a form two names of one folder share; empty for
// an empty entry, which names none.
std::wstring Key(const std::wstring& entry, const TExpandEntry& expand) {
    std::wstring bare;
    for (wchar_t c : entry)
        if (c != L'"') bare += c;
    if (expand && bare.find(L'%') != std::wstring::npos) bare = expand(bare);
    while (!bare.empty() && (bare.back() == L'\\' || bare.back() == L'/' || bare.back() == L' ')) bare.pop_back();
    std::wstring key;
    UpperCaseName(bare, key);  // folders compare as the file system does
    return key;
}

std::wstring Join(const std::vector<std::wstring>& entries) {
    std::wstring path;
    for (size_t i = 0; i < entries.size(); ++i) path += (i ? L";" : L"") + entries[i];
    return path;
}

}  // namespace

TPathEdit AddPathEntry(const std::wstring& path, const std::wstring& folder, const TExpandEntry& expand) {
    const std::wstring key = Key(folder, expand);
    for (const std::wstring& entry : Entries(path))
        if (Key(entry, expand) == key) return {false, path};
    const std::wstring entry = folder.find(L';') == std::wstring::npos ? folder : L'"' + folder + L'"';
    // A path that ends in a separator has room for the entry already.
    return {true, path + (path.empty() || path.back() == L';' ? L"" : L";") + entry};
}

TPathEdit RemovePathEntry(const std::wstring& path, const std::wstring& folder, const TExpandEntry& expand) {
    const std::wstring key = Key(folder, expand);
    std::vector<std::wstring> kept;
    for (const std::wstring& entry : Entries(path))
        if (key.empty() || Key(entry, expand) != key) kept.push_back(entry);
    const std::wstring value = Join(kept);
    return {value != path, value};
}

namespace {

std::wstring Text(const std::vector<uint8_t>& data) {
    std::wstring text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (c == 0) break;  // a string ends at its terminator, whatever follows
        text += c;
    }
    return text;
}

std::vector<uint8_t> Bytes(const std::wstring& text) {
    std::vector<uint8_t> data;
    for (wchar_t c : text) {
        data.push_back(static_cast<uint8_t>(c & 0xFF));
        data.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    data.insert(data.end(), {0, 0});
    return data;
}

// The stored name in its own spelling ("PATH", "Path"): names of values
// are matched without regard to case by the system too.
std::wstring StoredName(IRegistry& registry, TRegKey key, bool& found) {
    found = false;
    for (const std::wstring& name : registry.ValueNames(key))
        if (name.size() == 4 && Key(name, {}) == L"PATH") {
            found = true;
            return name;
        }
    return L"Path";
}

// The value's text, "" when there is none; false when it is there but not a
// string, or cannot be read whole: never taken for none.
bool ReadPath(IRegistry& registry, TRegKey key, std::wstring& name, uint32_t& type, std::wstring& path) {
    bool found = false;
    name = StoredName(registry, key, found);
    type = kRegExpandSz;
    std::vector<uint8_t> data;
    if (found && (!registry.QueryValue(key, name, type, data) || (type != kRegSz && type != kRegExpandSz)))
        return false;
    path = Text(data);
    return true;
}

std::wstring MachinePath(IRegistry& machine) {
    TRegKey key = 0;
    std::wstring name, path;
    uint32_t type = 0;
    if (!machine.OpenKey(kMachineEnvironmentKey, false, kKeyRead, key)) return path;
    if (!ReadPath(machine, key, name, type, path)) path.clear();
    machine.CloseKey(key);
    return path;
}

std::wstring Expanded(const std::wstring& path, const TExpandEntry& expand) {
    return expand && path.find(L'%') != std::wstring::npos ? expand(path) : path;
}

TPathResult Edit(IRegistry& registry, TRegKey key, TPathFacts facts, const std::wstring& machinePath,
                 const std::wstring& folder, const TExpandEntry& expand) {
    std::wstring name, path;
    uint32_t type = kRegExpandSz;
    if (!ReadPath(registry, key, name, type, path)) return {};
    const TPathEdit added = AddPathEntry(path, folder, expand);
    const std::wstring machine = Expanded(machinePath, expand);
    TPathResult result;
    result.Length = machine.size() + (machine.empty() ? 0 : 1) + Expanded(added.Value, expand).size();
    facts.OnPath = !added.Changed;
    facts.Fits = result.Length <= kProcessPathMax;
    const TPathSteps steps = DecidePathSteps(facts);
    result.Outcome = steps.Outcome;
    if (!steps.Change) return result;
    const TPathEdit edit = *steps.Change == TPathChange::Add ? added : RemovePathEntry(path, folder, expand);
    // Nothing left: no value, as before the setup program made one.
    result.Changed = edit.Value.empty() ? registry.DeleteValue(key, name)
                                        : registry.SetValue(key, name, type, Bytes(edit.Value));
    if (!result.Changed) result.Outcome = TPathOutcome::Failed;
    return result;
}

}  // namespace

TPathSteps DecidePathSteps(const TPathFacts& facts) {
    if (facts.OnPath && facts.Wanted)
        return {std::nullopt, facts.AddedBySetup ? TPathOutcome::Ours : TPathOutcome::NotOurs};
    if (facts.OnPath)
        return {facts.AddedBySetup ? std::optional(TPathChange::Remove) : std::nullopt, TPathOutcome::NotOurs};
    if (!facts.Wanted) return {std::nullopt, TPathOutcome::NotOurs};
    if (!facts.Fits) return {std::nullopt, TPathOutcome::TooLong};
    return {TPathChange::Add, TPathOutcome::Ours};
}

TPathResult EditUserPath(IRegistry& user, IRegistry& machine, const TPathFacts& setup, const std::wstring& folder,
                         const TExpandEntry& expand) {
    const std::wstring machinePath = MachinePath(machine);
    TRegKey key = 0;
    if (!user.OpenKey(kEnvironmentKey, setup.Wanted, kKeyAllAccess, key))
        return {setup.Wanted ? TPathOutcome::Failed : TPathOutcome::NotOurs};
    const TPathResult result = Edit(user, key, setup, machinePath, folder, expand);
    user.CloseKey(key);
    return result;
}

}  // namespace lumivane
