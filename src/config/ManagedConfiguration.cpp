#include "config/ManagedConfiguration.h"

namespace lumivane {

void TManagedConfiguration::CaptureInitialConfiguration() {
    auto& ss = FInitialConfiguration.ScreenSaverSetting;
    GetScreenSaverConfiguration(FSpi, ss.Active, ss.Timeout);
    FPreservedConfiguration.ScreenSaverSetting = ss;
    auto& po = FInitialConfiguration.PowerOffSetting;
    GetPowerOffConfiguration(FSpi, po.Active, po.Timeout);
    FPreservedConfiguration.PowerOffSetting = po;
    FPreserving = false;
    FActivated = ss.Active || po.Active;
}

void TManagedConfiguration::CaptureConfiguration() {
    auto& ss = FPreservedConfiguration.ScreenSaverSetting;
    GetScreenSaverConfiguration(FSpi, ss.Active, ss.Timeout);
    auto& po = FPreservedConfiguration.PowerOffSetting;
    GetPowerOffConfiguration(FSpi, po.Active, po.Timeout);
}

}  // namespace lumivane
