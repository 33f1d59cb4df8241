#pragma once
// What the status shows on the notification icon: a picture and a tooltip.
// The status decides them; the icon, a floor above, keeps the shell's copy.
#include <cstdint>
#include <string>

namespace lumivane {

using THandle = uintptr_t;  // a platform handle, 0 for none

class IIconState {
public:
    virtual ~IIconState() = default;
    // Keeps a copy of its own; the caller keeps what it passed.
    virtual void SetIcon(THandle icon) = 0;
    virtual void SetToolTip(const std::wstring& text) = 0;
};

}  // namespace lumivane
