#include "win32/NameCaseWin32.h"

#include <windows.h>

#include "base/NameCase.h"

namespace lumivane {

namespace {

// The invariant locale's plain upper case is the ordinal table the file
// system compares by: no language's rules (no Turkish dotted I), and one
// UTF-16 unit for one, so the length never changes.
void SystemUpperCase(std::wstring_view name, std::wstring& upper) {
    upper.resize(name.size());
    if (name.empty()) return;
    const int length = static_cast<int>(name.size());
    // Source and destination must not overlap, hence the caller's buffer.
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(), length, upper.data(), length, nullptr,
                      nullptr, 0) != length)
        upper.assign(name);  // unreachable for valid lengths; a name unchanged still matches itself
}

}  // namespace

void UseSystemNameCase() { SetUpperCaseName(&SystemUpperCase); }

}  // namespace lumivane
