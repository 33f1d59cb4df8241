#pragma once
// The user's own search path (HKEY_CURRENT_USER\Environment, value Path) with
// the installed folder in it or out of it, so that "Lumivane" runs from any
// new console. The setup program runs this through Lumivane.com: its own
// script language cuts strings at 1,024 characters, and many a user's path
// is longer.
#include <functional>
#include <optional>
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

// Where the setup's step on the path ends: its uninstall entry then records
// "added by a setup" for the first, "not" for the next two, and keeps what
// it had after a failure.
enum class TPathOutcome {
    Ours,     // on the path because a setup put it there, now or earlier
    NotOurs,  // there by the user's own hand, left as it is; or not there
    TooLong,  // wanted, but left out: the path would pass the system's limit
    Failed,   // the value could not be read whole or written: nothing changed
};

// What the setup knows when it takes the step, and what the value says.
struct TPathFacts {
    bool Wanted = false;  // "Add Lumivane to PATH" ticked; never on an uninstall
    // The uninstall entry says a setup put the folder there. An older setup's
    // entry never says, and counts as "no": a user's own entry is then never
    // taken away, at worst a stale one of ours stays, which the system skips
    // as it skips any folder that is not there.
    bool AddedBySetup = false;
    bool OnPath = false;  // an entry of the user's path names the folder
    bool Fits = true;     // with the folder added, a process's path stays within the limit
};

struct TPathSteps {
    std::optional<TPathChange> Change;
    TPathOutcome Outcome = TPathOutcome::NotOurs;
};
// Only what a setup added is taken out again, and an entry the user made
// before stays the user's, whatever the box says.
TPathSteps DecidePathSteps(const TPathFacts& facts);

// The longest value of a variable, and so of the path a process is given:
// the machine's path, ';', the user's, each expanded.
constexpr size_t kProcessPathMax = 32767;
// Under HKEY_LOCAL_MACHINE: the machine's part of that path.
constexpr const wchar_t* kMachineEnvironmentKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

struct TPathResult {
    TPathOutcome Outcome = TPathOutcome::Failed;
    bool Changed = false;  // written: running programs are to be told
    size_t Length = 0;     // the path a process would get with the folder added
};
// The step on the user's stored value: its type kept (a missing value is
// created as REG_EXPAND_SZ, as the system's own editor does); a value that is
// not a string, or cannot be read whole, is left alone and the step fails.
// The value is read right before it is written, in one short step, so that
// what another setup wrote meanwhile stays. `machine` gives the machine's
// path for the limit. Only `setup`'s Wanted and AddedBySetup are used.
TPathResult EditUserPath(IRegistry& user, IRegistry& machine, const TPathFacts& setup, const std::wstring& folder,
                         const TExpandEntry& expand);

}  // namespace lumivane
