#include "options/UserPath.h"

#include <vector>

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

// File names compare without regard to letter case: folded here for the
// letters user and folder names are made of (Latin, Greek, Cyrillic).
wchar_t Fold(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case, odd after even, but
        // the run from U+0139 to U+0148 and from U+0179 on pairs even after odd.
        const bool oddFirst = (c >= 0x139 && c <= 0x148) || c >= 0x179;
        return static_cast<wchar_t>((c % 2 == 1) != oddFirst ? c - 1 : c);
    }
    return c;
}

// What an entry names, in a form two names of one folder share; empty for
// an empty entry, which names none.
std::wstring Key(const std::wstring& entry, const TExpandEntry& expand) {
    std::wstring bare;
    for (wchar_t c : entry)
        if (c != L'"') bare += c;
    if (expand && bare.find(L'%') != std::wstring::npos) bare = expand(bare);
    while (!bare.empty() && (bare.back() == L'\\' || bare.back() == L'/' || bare.back() == L' ')) bare.pop_back();
    for (wchar_t& c : bare) c = Fold(c);
    return bare;
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

TPathResult Edit(IRegistry& registry, TRegKey key, TPathChange change, const std::wstring& folder,
                 const TExpandEntry& expand) {
    bool found = false;
    const std::wstring name = StoredName(registry, key, found);
    uint32_t type = kRegExpandSz;
    std::vector<uint8_t> data;
    // A value there that cannot be read whole is never taken for none.
    if (found && (!registry.QueryValue(key, name, type, data) || (type != kRegSz && type != kRegExpandSz)))
        return TPathResult::Failed;
    const std::wstring path = Text(data);
    const TPathEdit edit =
        change == TPathChange::Add ? AddPathEntry(path, folder, expand) : RemovePathEntry(path, folder, expand);
    if (!edit.Changed) return TPathResult::Unchanged;
    // Nothing left: no value, as before the setup program made one.
    const bool written = edit.Value.empty() ? registry.DeleteValue(key, name)
                                            : registry.SetValue(key, name, type, Bytes(edit.Value));
    return written ? TPathResult::Changed : TPathResult::Failed;
}

}  // namespace

TPathResult EditUserPath(IRegistry& registry, TPathChange change, const std::wstring& folder,
                         const TExpandEntry& expand) {
    TRegKey key = 0;
    if (!registry.OpenKey(kEnvironmentKey, change == TPathChange::Add, kKeyAllAccess, key))
        return change == TPathChange::Add ? TPathResult::Failed : TPathResult::Unchanged;
    const TPathResult result = Edit(registry, key, change, folder, expand);
    registry.CloseKey(key);
    return result;
}

}  // namespace lumivane
