#pragma once
// The system's side of the user's search path: what an entry expands to, and
// the word to running programs that the environment changed.
#include <string>

namespace lumivane {

// A user's environment value may be as long as any: 32,767 characters.
constexpr unsigned long kEnvironmentValueBytes = 32768 * sizeof(wchar_t);

std::wstring ExpandEntryWin32(const std::wstring& entry);

// WM_SETTINGCHANGE with "Environment" to every top-level window: Explorer
// then gives consoles started from now on the new path.
void AnnounceEnvironmentWin32();

}  // namespace lumivane
