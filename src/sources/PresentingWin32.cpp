#include "sources/PresentingWin32.h"

#include <windows.h>

namespace lumivane {

std::vector<TDisplayPath> ActiveDisplayPaths() {
    std::vector<DISPLAYCONFIG_PATH_INFO> paths;
    std::vector<DISPLAYCONFIG_MODE_INFO> modes;
    LONG status = ERROR_INSUFFICIENT_BUFFER;
    // The configuration may change between asking for its size and reading it.
    for (int tries = 0; tries < 3 && status == ERROR_INSUFFICIENT_BUFFER; ++tries) {
        UINT32 pathCount = 0, modeCount = 0;
        if (GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS) return {};
        paths.resize(pathCount);
        modes.resize(modeCount);
        status = QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr);
        paths.resize(pathCount);
    }
    if (status != ERROR_SUCCESS) return {};
    std::vector<TDisplayPath> active;
    for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
        const LUID& adapter = path.sourceInfo.adapterId;
        active.push_back({static_cast<uint64_t>(static_cast<uint32_t>(adapter.HighPart)) << 32 | adapter.LowPart,
                          path.sourceInfo.id, static_cast<uint32_t>(path.targetInfo.outputTechnology)});
    }
    return active;
}

}  // namespace lumivane
