#pragma once
// Where presenting is read from: the display configuration's active paths.
// Read again when the displays change and at resume; nothing polls.
#include <vector>

#include "sources/Presenting.h"

namespace lumivane {

// The active paths now; none where the system cannot say.
std::vector<TDisplayPath> ActiveDisplayPaths();

}  // namespace lumivane
