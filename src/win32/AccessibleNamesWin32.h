#pragma once
// Names that screen readers announce for controls whose label is not a
// static text right before them (a check box, a field beside a text of its
// own, two boxes of the same caption). Without the system's annotation
// service (Wine has none) the names fall back to what the controls show.
#include <windows.h>

#include <vector>

struct IAccPropServices;

namespace lumivane {

class TAccessibleNamesWin32 {
public:
    TAccessibleNamesWin32() = default;
    TAccessibleNamesWin32(const TAccessibleNamesWin32&) = delete;
    TAccessibleNamesWin32& operator=(const TAccessibleNamesWin32&) = delete;
    ~TAccessibleNamesWin32() { Clear(); }
    // Harmless when the service cannot be had: the control keeps its own name.
    void Set(HWND control, const wchar_t* name);
    // Takes the names back; due while the controls still exist.
    void Clear();

private:
    IAccPropServices* FServices = nullptr;
    bool FAsked = false;
    std::vector<HWND> FNamed;
};

}  // namespace lumivane
