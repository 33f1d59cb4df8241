#pragma once
// Names that screen readers announce for controls whose label is not a
// static text right before them (a check box, a field beside a text of its
// own, two boxes of the same caption). Without the system's annotation
// service (Wine has none) the names fall back to what the controls show.
#include <windows.h>

#include <utility>
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
    void Set(HWND control, const wchar_t* name) {
        Queue(control, name);
        Apply();
    }
    // Noted only, for Apply: the service needs COM on the thread, which a
    // window that is only being shown need not pay for before its first paint.
    void Queue(HWND control, const wchar_t* name) {
        if (control && name) FPending.push_back({control, name});
    }
    void Apply();
    // Takes the names back; due while the controls still exist.
    void Clear();

private:
    IAccPropServices* FServices = nullptr;
    bool FAsked = false;
    std::vector<HWND> FNamed;
    std::vector<std::pair<HWND, const wchar_t*>> FPending;
};

}  // namespace lumivane
