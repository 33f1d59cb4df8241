#pragma once
// The one dispatch of the main window's commands, wherever they come from:
// the window, its menus, the tray icon's actions and the hot keys.
#include <cstdint>

#include "base/CommandIds.h"
#include "commands/DisplayCommands.h"
#include "config/ManagedConfiguration.h"

namespace lumivane {

// Commands that belong to the window itself.
class IWindowCommands {
public:
    virtual ~IWindowCommands() = default;
    virtual void mnShowPClick() = 0;
    virtual void mnCloseClick() = 0;
    virtual void actExitExecute() = 0;
    virtual void actSaveExecute() = 0;
    virtual void mnViewHelpClick() = 0;
    virtual void actAboutExecute() = 0;
    // Asks for a time and deactivates until then.
    virtual void actDeactivateUntilExecute() = 0;
    // The automatic deactivation's settings, in a dialog.
    virtual void actAutomaticDeactivationExecute() = 0;
};

// The command set: every command identifier and what runs it.
class TCommandDispatch {
public:
    TCommandDispatch(TManagedConfiguration& config, TDisplayCommands& commands,
                     IWindowCommands& window);
    // Runs the command; false for a number that is no command of the window.
    bool Execute(TCommandId id) const;
    bool Execute(uint16_t id) const { return Execute(static_cast<TCommandId>(id)); }

private:
    TManagedConfiguration& FConfig;
    TDisplayCommands& FCommands;
    IWindowCommands& FWindow;
};

}  // namespace lumivane
