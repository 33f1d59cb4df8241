#pragma once
// Windows compares file, program and folder names without regard to case by
// its own upper-case table, which reaches far beyond ASCII; the C library's
// "C" locale stops at 'z'. The platform hands its table in once at start.
#include <string>
#include <string_view>

namespace lumivane {

// Writes the name in upper case into `upper` (the caller's buffer, so that a
// scan of many names allocates once); one character for one, as the system's
// table maps them.
using TUpperCaseName = void (*)(std::wstring_view name, std::wstring& upper);

// Until a table is set, the C library's towupper under the process's
// LC_CTYPE stands in: complete under a UTF-8 locale, ASCII only under "C".
void SetUpperCaseName(TUpperCaseName upperCase);
void UpperCaseName(std::wstring_view name, std::wstring& upper);
// Whether the system takes the two for one name.
bool SameName(std::wstring_view a, std::wstring_view b);

}  // namespace lumivane
