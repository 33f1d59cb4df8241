#pragma once
// "Automatic deactivation": the programs that deactivate the managed items
// while they run, the full-screen and mains-power boxes, the weekly schedule,
// and the option to keep the computer awake. OK and Cancel.
#include <windows.h>

#include <optional>

#include "sources/Policies.h"
#include "sources/Triggers.h"

namespace lumivane {

extern const wchar_t* const kTriggersDialogClassName;  // "TfTriggers"

// The dialog's controls, for whoever drives it.
enum class TTriggersControl : int {
    Programs = 100,  // the list box
    Add,             // "Add…": a file-open dialog
    Remove,
    Name,            // a name typed here is added with Enter
    FullScreen,
    OnlyOnMains,
    KeepAwake,
    LetDisplaySleep,  // "Let the display turn off while the computer is locked"
    BatteryFloor,     // "Stop keeping the computer awake below"
    BatteryPercent,   // its number, in %
    Schedule,         // the list box of the weekly schedule's windows
    ScheduleNew,      // "New…": the window editor, for one more
    ScheduleEdit,     // the editor, for the selected row
    ScheduleRemove,
    WhileCall,        // "Deactivate during a call"
    WhilePresenting,  // the presenting mode's list
};

// Shows `settings`; the settings as the user left them at OK, empty at Cancel.
// What `policies` decide shows greyed; with the automatic deactivation not
// allowed the dialog only shows, and OK saves nothing.
std::optional<TTriggerSettings> AskTriggers(HWND owner, const TTriggerSettings& settings,
                                            const TPolicies& policies = {});

}  // namespace lumivane
