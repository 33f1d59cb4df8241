#include "sources/Presenting.h"

#include <algorithm>

namespace lumivane {

namespace {

bool BuiltIn(uint32_t technology) {
    // The internal flag marks a panel of any technology as built in.
    return (technology & kOutputInternal) || technology == kOutputDisplayPortEmbedded ||
           technology == kOutputUdiEmbedded;
}

}  // namespace

bool Presenting(TPresentingMode mode, const std::vector<TDisplayPath>& paths) {
    if (mode == TPresentingMode::Off) return false;
    for (auto path = paths.begin(); path != paths.end(); ++path)
        if (std::any_of(path + 1, paths.end(),
                        [&](const TDisplayPath& other) { return other.Adapter == path->Adapter && other.Source == path->Source; }))
            return true;
    return mode == TPresentingMode::External &&
           std::any_of(paths.begin(), paths.end(), [](const TDisplayPath& path) { return !BuiltIn(path.Technology); });
}

}  // namespace lumivane
