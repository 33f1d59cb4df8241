#include "base/NameCase.h"

#include <cwctype>

namespace lumivane {

namespace {

void CLibraryUpperCase(std::wstring_view name, std::wstring& upper) {
    upper.assign(name);
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

TUpperCaseName gUpperCase = &CLibraryUpperCase;

}  // namespace

void SetUpperCaseName(TUpperCaseName upperCase) { gUpperCase = upperCase; }

void UpperCaseName(std::wstring_view name, std::wstring& upper) { gUpperCase(name, upper); }

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    std::wstring upperA, upperB;
    UpperCaseName(a, upperA);
    UpperCaseName(b, upperB);
    return upperA == upperB;
}

}  // namespace lumivane
