#pragma once
// The program's own named objects (the instance mutex, the run and plan
// markers), made so that every token of the user opens them, with
// administrator rights or without; and the integrity level that decides
// whether Windows lets one process's messages reach another's windows.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace lumivane {

// A mutex of that name, made or opened; `existed` tells which. A mutex
// that exists but may not be opened (another token made it with its own
// access list) counts as existing too, and gives no handle.
HANDLE CreateOwnMutex(const std::wstring& name, bool initialOwner, bool& existed);
// Whether a named object exists, given what opening it answered.
bool NamedObjectExists(HANDLE opened, DWORD error);
// A process's token's user (a TOKEN_USER record); empty where the token
// cannot be opened: another account's, for one.
std::vector<BYTE> TokenUserOf(HANDLE process);
// The object's owner is this process's user (the handle has READ_CONTROL).
bool OwnedByThisUser(HANDLE object);

// The integrity level (a mandatory label's RID) of a process's token; none
// where it cannot be asked. Compared as levels, never as "elevated or not":
// under Wine every process has a full administrator's token.
std::optional<DWORD> IntegrityOf(HANDLE process);

}  // namespace lumivane
