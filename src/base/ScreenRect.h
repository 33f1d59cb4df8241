#pragma once
// A rectangle in screen coordinates, as the window system gives it.
#include <cstdint>

namespace lumivane {

struct TScreenRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TScreenRect&, const TScreenRect&) = default;
};

}  // namespace lumivane
