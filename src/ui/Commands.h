#pragma once
// Command identifiers of the main window's actions and menu items, as
// WM_COMMAND carries them, and the identifiers of the window's controls. The
// menus, the tool bar and the accelerator table are built from these numbers.
#include <cstdint>

namespace lumivane {

enum class TCommandId : uint16_t {
    None = 0,
    actScreenSaver = 201,
    actPowerOff = 202,
    actDisplayProperties = 203,
    actActivate = 204,
    actDeactivate = 205,
    actRestoreConfiguration = 206,
    actExit = 207,
    actSave = 208,
    mnShowP = 209,
    actHalfHour = 210,  // the seven deactivate-for actions follow in order
    act1Hour,
    act2Hours,
    act3Hours,
    act4Hours,
    act8Hours,
    act12Hours,
    actAbout = 217,
    mnClose = 218,
    mnViewHelp = 219,
    actDeactivateUntil = 220,
    actAutomaticDeactivation = 221,
};

// Controls of the main window. Their numbers lie apart from the commands and
// from the dialog manager's IDOK and IDCANCEL, so a control's notification is
// never taken for a command.
enum class TControlId : uint16_t {
    None = 0,
    gbScreenSaver = 1001,
    lblScreenSaverActive0,
    lblScreenSaverActive,
    lblScreenSaverTimeout0,
    lblScreenSaverTimeout,
    cbManageScreenSaver,
    cbHotkeyScreenSaver,
    cbWinScreenSaver,
    HotKeyScreenSaver,
    gbPowerOff,
    lblPowerOffActive0,
    lblPowerOffActive,
    lblPowerOffTimeout0,
    lblPowerOffTimeout,
    cbManagePowerOff,
    cbHotkeyPowerOff,
    cbWinPowerOff,
    HotKeyPowerOff,
    gbOptions,
    cbRestoreConfiguration,
    cbPreserveConfiguration,
    cbUpdateSettings,
    cbStartWithWindows,
    cbContinuousMode,
    lblContinuousModeDelay,
    edContinuousModeDelay,
    udDelay,
    gbNotifyIcon,
    lblTrayIconDoubleClick,
    cmbTrayIconDoubleClick,
    lblTrayIconClick,
    cmbTrayIconClick,
    CoolBar,
    ToolBar,
};

constexpr bool IsControlId(uint16_t id) {
    return id >= static_cast<uint16_t>(TControlId::gbScreenSaver) &&
           id <= static_cast<uint16_t>(TControlId::ToolBar);
}

}  // namespace lumivane
