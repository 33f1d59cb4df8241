#pragma once
// Automatic deactivation: while a listed program runs or a program is full
// screen (and, when asked, only on mains power) the managed items are
// deactivated by themselves, and the state from before comes back after.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "sources/Presenting.h"

namespace lumivane {

struct TTriggerSettings {
    std::vector<std::wstring> Programs;  // file names, without path
    bool FullScreen = false;
    bool OnlyOnMains = false;
    bool KeepAwake = true;
    // Locked, Windows' own lock-screen time-out may turn the display off.
    bool LetDisplaySleepWhenLocked = true;
    // On battery below this charge (%), keep-awake and the triggers let go;
    // 0: never. Stored only as 0 or kBatteryFloorMin..kBatteryFloorMax.
    uint32_t MinBatteryPercent = 0;
    // The weekly schedule's windows as stored, one a string ("Mon-Fri
    // 09:00-17:30"); a string that does not parse is kept, and ignored.
    std::vector<std::wstring> Schedule{};
    // A stored list that could not be read whole (longer than a read takes,
    // of another type, malformed) shows as empty; these settings never
    // write over it, since nobody saw what it holds.
    bool ProgramsUnread = false;
    bool ScheduleUnread = false;
    bool WhileCall = false;  // while an app has the camera or the microphone open
    TPresentingMode WhilePresenting = TPresentingMode::Off;
    friend bool operator==(const TTriggerSettings&, const TTriggerSettings&) = default;
};

// The longest name the list keeps; a longer one is no file name of Windows.
constexpr size_t kProgramNameMax = 255;
// The most names the list keeps.
constexpr size_t kProgramsMax = 256;
constexpr uint32_t kBatteryFloorMin = 5, kBatteryFloorMax = 95;

// The file name of a path (after the last \ or /), without blanks around it.
std::wstring ProgramFileName(std::wstring_view pathOrName);
// Whether a running image (a full path or a name) is the listed program:
// compared without case and without path; a listed name without an
// extension means ".exe".
bool SameProgram(std::wstring_view image, std::wstring_view listed);
// The list as it is kept: file names only, no empty or too long name, no
// name twice (without case), at most kProgramsMax, in the order given.
std::vector<std::wstring> CleanProgramList(const std::vector<std::wstring>& names);

// A stored list of strings, as REG_MULTI_SZ holds it (UTF-16, each string
// ends in a zero, the list in one more). Malformed data (an odd byte count,
// a last string without its zero) is nullopt; the list ends at its first
// empty string.
std::optional<std::vector<std::wstring>> DecodeMultiString(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> EncodeMultiString(const std::vector<std::wstring>& strings);

// A process of the session as the system lists it.
struct TRunningProcess {
    uint32_t Id = 0;
    std::wstring Name;  // the image's file name
};

// The list's names, ready to be matched against every process of a
// session every few seconds: one look-up a process, whatever the list's length.
class TProgramMatcher {
public:
    explicit TProgramMatcher(const std::vector<std::wstring>& listed = {});
    bool Empty() const { return FNames.empty(); }
    // The listed programs among `running`, by process id, with their image names.
    std::map<uint32_t, std::wstring> Match(const std::vector<TRunningProcess>& running) const;

private:
    std::unordered_set<std::wstring> FNames;  // upper case, each with its extension
};

// What the watchers see now.
struct TTriggerObservations {
    // The listed programs that run, by process id, with their list names.
    std::map<uint32_t, std::wstring> Programs;
    bool FullScreen = false;
    bool OnMains = true;
    bool Scheduled = false;  // a window of the schedule covers now
    bool InCall = false;                 // an app has the camera or the microphone open
    std::vector<TDisplayPath> Displays;  // the active display paths
    // The processes a command holds the items for (-while), by id, with their names.
    std::map<uint32_t, std::wstring> Jobs{};
};

// Why the items are deactivated by themselves: a program's list name, the
// full-screen text, or empty while no trigger holds.
std::wstring TriggerCause(const TTriggerSettings& settings, const TTriggerObservations& seen);
extern const wchar_t* const kFullScreenCause;  // "a program is full screen"
extern const wchar_t* const kScheduleCause;    // "scheduled"
extern const wchar_t* const kCallCause;        // "a call"
extern const wchar_t* const kPresentingCause;  // "presenting"
// "while POWERPNT.EXE runs", "while a program is full screen", "during a
// call": what follows "Deactivated".
// A program's name longer than `nameMax` is cut, with an ellipsis.
std::wstring CauseText(const std::wstring& cause, size_t nameMax = kProgramNameMax);

}  // namespace lumivane
