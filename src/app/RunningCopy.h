#pragma once
// Which window of the main window's class is the running copy. Any program
// on the desktop may register that class, a low-integrity one included,
// and sit above the copy: a command handed to it would be swallowed, or a
// status forged. Only a window whose process is this user's Lumivane.exe
// in this session is the copy.
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivane {

// What a start learns of the process behind one window of the class.
struct TCandidate {
    bool SameUser = false;     // its token's user is this process's; false where it cannot be asked
    bool SameSession = false;
    bool IsProgram = false;    // its image is a Lumivane.exe, from whatever folder
    bool BesideThis = false;   // its image is the Lumivane.exe of this program's own folder
    std::optional<uint32_t> Integrity;  // its token's integrity level; none where it cannot be asked
};

struct TCopyChoice {
    enum class TKind {
        None,       // no window of the class at all
        LookAlike,  // windows of the class, none of them the copy
        Copy,       // the copy, which takes requests
        Above,      // the copy, at a higher integrity level: Windows drops what is sent to it
    } Kind = TKind::None;
    size_t Index = 0;  // the chosen window's place in the list, for Copy and Above
    friend bool operator==(const TCopyChoice&, const TCopyChoice&) = default;
};

// The candidates in Z order (topmost first); `own`: this process's level.
TCopyChoice ChooseCopy(const std::vector<TCandidate>& candidates, uint32_t own);

}  // namespace lumivane
