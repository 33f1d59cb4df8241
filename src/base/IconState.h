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
    // Both in one message to the shell. Keeps a copy of the picture; the
    // caller keeps what it passed.
    virtual void SetIconAndToolTip(THandle icon, const std::wstring& text) = 0;
};

}  // namespace lumivane
