#include "commands/CommandDispatch.h"

#include <iterator>

namespace lumivane {

TCommandDispatch::TCommandDispatch(TManagedConfiguration& config, TDisplayCommands& commands,
                                   IWindowCommands& window)
    : FConfig(config), FCommands(commands), FWindow(window) {}

bool TCommandDispatch::Execute(TCommandId id) const {
    using A = TCommandId;
    const auto first = static_cast<uint16_t>(A::actHalfHour);
    const auto n = static_cast<uint16_t>(id);
    if (n >= first && n < first + std::size(kDeactivateForTags)) {
        FConfig.actDeactivateForExecute(kDeactivateForTags[n - first]);
        return true;
    }
    switch (id) {
    case A::actScreenSaver: FCommands.actScreenSaverExecute(); return true;
    case A::actPowerOff: FCommands.actPowerOffExecute(); return true;
    case A::actDisplayProperties: FCommands.actDisplayPropertiesExecute(); return true;
    case A::actActivate: FConfig.actActivateExecute(); return true;
    case A::actDeactivate: FConfig.actDeactivateExecute(); return true;
    case A::actRestoreConfiguration: FConfig.actRestoreConfigurationExecute(); return true;
    case A::actExit: FWindow.actExitExecute(); return true;
    case A::actSave: FWindow.actSaveExecute(); return true;
    case A::actAbout: FWindow.actAboutExecute(); return true;
    case A::mnShowP: FWindow.mnShowPClick(); return true;
    case A::mnClose: FWindow.mnCloseClick(); return true;
    case A::mnViewHelp: FWindow.mnViewHelpClick(); return true;
    case A::actDeactivateUntil: FWindow.actDeactivateUntilExecute(); return true;
    case A::actAutomaticDeactivation: FWindow.actAutomaticDeactivationExecute(); return true;
    default: return false;
    }
}

}  // namespace lumivane
