#pragma once
// The setup program's install folder, made with its own access list before
// anything goes in (why: ParseSetupStep in app/Control.h).
#include <functional>
#include <optional>
#include <string>

namespace lumivane {

enum class TSetupFolderOutcome { Made, Existed, Foreign, Failed };

// The two system calls, a seam: Wine keeps a folder's access list but
// neither enforces it nor gives it back as it was set, so a test records
// what is asked for instead.
struct TSetupFolderCalls {
    // Makes one folder with the access list of an SDDL text.
    std::function<bool(const std::wstring& folder, const std::wstring& descriptor)> Make;
    // The owner of the folder that is there, as SID text; none when there is none.
    std::function<std::optional<std::wstring>(const std::wstring& folder)> Owner;
};
TSetupFolderCalls SetupFolderCallsWin32();

// Missing parents are made as any folder is, the folder itself with
// SetupFolderDescriptor for this process's user. A folder that is there
// already is left as it is (an earlier installation, or the user's own)
// when its owner is the user, SYSTEM or Administrators; made by anyone
// else, who could change what goes in, it is refused (Foreign).
TSetupFolderOutcome MakeSetupFolderWin32(const std::wstring& folder,
                                         const TSetupFolderCalls& calls = SetupFolderCallsWin32());

}  // namespace lumivane
