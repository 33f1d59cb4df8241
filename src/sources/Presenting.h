#pragma once
// Presenting on another display: the desktop shown twice (a projector or a
// second screen showing the same picture, Miracast included), or, on a
// laptop, any display other than its own panel in use.
#include <cstdint>
#include <vector>

namespace lumivane {

// What WhilePresenting holds for.
enum class TPresentingMode : uint32_t {
    Off = 0,
    Duplicated = 1,  // two active paths show one source
    External = 2,    // that, or any display other than the built-in one is active
};
constexpr uint32_t kPresentingModeMax = 2;

// An active path of the display configuration, as the system lists it.
struct TDisplayPath {
    uint64_t Adapter = 0;     // the source's adapter
    uint32_t Source = 0;      // the source's number on its adapter
    uint32_t Technology = 0;  // the target's output technology, as the system numbers it
};

// Output technologies of a display built into the computer.
constexpr uint32_t kOutputInternal = 0x80000000, kOutputDisplayPortEmbedded = 11, kOutputUdiEmbedded = 13;

bool Presenting(TPresentingMode mode, const std::vector<TDisplayPath>& paths);

}  // namespace lumivane
