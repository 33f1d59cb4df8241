#pragma once
// The user's own search path (HKEY_CURRENT_USER\Environment, value Path) with
// the installed folder in it or out of it, so that "Lumivane" runs from any
// new console. The setup program runs this through Lumivane.com: its own
// script language cuts strings at 1,024 characters, and many a user's path
// is longer.
#include <functional>
#include <string>

#include "base/RegistryDefault.h"

namespace lumivane {

constexpr uint32_t kRegExpandSz = 2;
constexpr const wchar_t* kEnvironmentKey = L"Environment";

// What the system makes of an entry: its environment references expanded.
using TExpandEntry = std::function<std::wstring(const std::wstring&)>;

struct TPathEdit {
    bool Changed = false;
    std::wstring Value;
};
// `folder` appended as one entry of `path`, unless an entry already names it
// (any letter case, a trailing backslash, quotes or a reference that expands
// to it): every other entry stays as it is, in its place, empty ones too.
TPathEdit AddPathEntry(const std::wstring& path, const std::wstring& folder, const TExpandEntry& expand);
// Every entry that names `folder` taken out, and nothing else.
TPathEdit RemovePathEntry(const std::wstring& path, const std::wstring& folder, const TExpandEntry& expand);

enum class TPathChange { Add, Remove };
enum class TPathResult { Changed, Unchanged, Failed };
// The edit on the stored value: its type kept (a missing value is created as
// REG_EXPAND_SZ, as the system's own editor does); a value that is not a
// string, or cannot be read whole, is left alone and the edit fails.
TPathResult EditUserPath(IRegistry& registry, TPathChange change, const std::wstring& folder,
                         const TExpandEntry& expand);

}  // namespace lumivane
