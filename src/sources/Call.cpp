#include "sources/Call.h"

#include <algorithm>

namespace lumivane {

namespace {
constexpr std::wstring_view kNonPackaged = L"NonPackaged\\";
}

std::vector<std::wstring> AppsInCall(const std::vector<TDeviceUse>& uses) {
    std::vector<std::wstring> apps;
    for (const TDeviceUse& use : uses) {
        // Never started, or stopped since.
        if (use.Stopped || use.Start == 0) continue;
        // A packaged app is one key deep, a desktop program one below
        // NonPackaged; whatever else the store holds is no app's record.
        std::wstring_view key = use.Key;
        const bool desktop = key.starts_with(kNonPackaged);
        if (desktop) key.remove_prefix(kNonPackaged.size());
        if (key.empty() || key.find(L'\\') != std::wstring_view::npos || (!desktop && key == L"NonPackaged")) continue;
        std::wstring app(key);
        if (desktop) std::replace(app.begin(), app.end(), L'#', L'\\');
        if (std::find(apps.begin(), apps.end(), app) == apps.end()) apps.push_back(app);
    }
    return apps;
}

}  // namespace lumivane
