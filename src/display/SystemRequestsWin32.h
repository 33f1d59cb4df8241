#pragma once
#include "display/DisplayRequests.h"

namespace lumivane {

// Start-the-screen-saver and power-the-monitor-off requests to every
// top-level window of the desktop.
class TSystemRequestsWin32 final : public ISystemRequests {
public:
    void StartScreenSaver() override;
    void PowerOffMonitor() override;
};

}  // namespace lumivane
