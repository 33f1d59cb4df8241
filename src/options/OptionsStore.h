#pragma once
// The user's options across runs: the settings window's option controls as
// named values under one per-user key, and the program's entry among the
// programs Windows starts at log-on.
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "base/ErrorBox.h"
#include "base/ProgramNames.h"
#include "base/RegistryDefault.h"
#include "config/ManagedConfiguration.h"
#include "sources/Triggers.h"
#include "options/MainForm.h"

namespace lumivane {

// Beside the options, where an administrator or a script may set them too.
extern const wchar_t* const kTriggersKey;  // "Software\Tessaly\Lumivane\Triggers"
// The automatic deactivation's settings: "Programs" (REG_MULTI_SZ),
// "FullScreen", "OnlyOnMains", "KeepAwake", "LetDisplaySleepWhenLocked"
// (REG_DWORD, nonzero is on), "Schedule" (REG_MULTI_SZ). A value of another
// type or size, or a malformed list, reads as its default; such a list is
// marked unread.
TTriggerSettings LoadTriggers(IRegistry& registry);
// False when a value could not be written. A list marked unread is left as
// it is stored.
bool SaveTriggers(IRegistry& registry, const TTriggerSettings& settings);
extern const wchar_t* const kRunKey;      // "Software\Microsoft\Windows\CurrentVersion\Run"
// Where Windows' start-up settings keep their "disabled" marks for the Run
// entries, one REG_BINARY value under the entry's own name.
extern const wchar_t* const kStartupApprovedKey;
extern const wchar_t* const kHighColorNotifyIconValue;
extern const wchar_t* const kRegistryWriteErrorText;
extern const wchar_t* const kOperationAbortedText;

enum class TOptionKind { Bool, Delay, HotKey, ItemIndex };

// One stored option: its value name and the control that holds it.
struct TOptionRow {
    const wchar_t* Name;
    TOptionKind Kind;
    TControlId Control;
    bool Default;  // Booleans; rows 7 and 8 take the initial active flags instead
};
// Rows 1 to 16, in the order both loading and saving take them.
std::span<const TOptionRow> OptionRows();

// The Run entry's data: the program's path in quotation marks, then -quiet.
std::wstring RunEntry(const std::wstring& programPath);
// An uninstall's step: the start-up entry `title` goes, with its Task
// Manager mark, only when it starts the program at `programPath` (in any
// letters, as the file system compares names); another copy's stays.
// True when it went.
bool RemoveRunEntryOf(IRegistry& registry, const std::wstring& title, const std::wstring& programPath);

struct TOptionsStoreDeps {
    IRegistry& Registry;
    TMainForm& Form;
    const TManagedConfiguration& Config;
    IErrorBox& Errors;
    bool& HighColorIcon;                   // FHighColorIcon
    std::function<bool()> VisualStyles;    // the system's visual styles are available
    std::function<std::wstring()> ProgramPath;
    std::wstring Title;                    // the Run entry's value name
    // Whether a file (not a folder) is at the path; without it every program
    // a Run entry names counts as present.
    std::function<bool(const std::wstring&)> FileExists = nullptr;
};

class TOptionsStore {
public:
    explicit TOptionsStore(const TOptionsStoreDeps& deps) : FDeps(deps) {}
    void LoadOptions();
    // False when the save stopped on an error (already shown).
    bool SaveOptions();
    // An administrator's start-up policy: the box shows it, greyed, and the
    // entry follows it at once; the user's own choice is kept for when the
    // policy goes.
    void ApplyStartPolicy();

private:
    void LoadRows(const TRegistryDefault& reg);
    void SaveRows(TRegistryDefault& reg);
    bool SaveRunEntry(TRegistryDefault& reg);
    bool StartupMarkedDisabled() const;
    void RemoveStartupMark();
    bool NamedProgramExists(const std::wstring& entry) const;
    TOptionsStoreDeps FDeps;
    // The start-up box as last read or written: a box checked since then is
    // the user's choice of this copy.
    bool FStartBoxKept = false;
    std::optional<bool> FStartForced;  // by the policy, as last applied
    bool FUsersStart = false;          // the box as the user left it meanwhile
};

}  // namespace lumivane
