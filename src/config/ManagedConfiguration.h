#pragma once
// State of the managed display-power configuration, held for the main window:
// what was in force at start, what the watchdog keeps in force, and the
// switches that other commands consult.
#include <string>

#include "display/ScreenSaver.h"

namespace lumivane {

class TManagedConfiguration {
public:
    explicit TManagedConfiguration(ISystemParameters& spi) : FSpi(spi) {}

    // Reads the system's settings as the initial configuration and copies
    // them to the preserved one; the toggle starts active when either item is.
    void CaptureInitialConfiguration();
    // The system's current settings become the preserved configuration.
    void CaptureConfiguration();

    TDisplayPowerConfiguration FInitialConfiguration;
    TDisplayPowerConfiguration FPreservedConfiguration;
    bool FPreserving = false;
    bool FActivated = false;
    bool FContinuousModeRunning = false;
    std::wstring FDeactivatedUntil;

private:
    ISystemParameters& FSpi;
};

}  // namespace lumivane
