#pragma once
// What the main window holds, as data: its controls, its commands, both menus
// and the tool bar. The Win32 side builds the window from these tables and
// lays it out again when the scale changes; the tests check them.
#include <cstdint>
#include <span>

#include "hotkeys/ShortCut.h"
#include "ui/Commands.h"

namespace lumivane {

enum class TControlKind { Group, Label, ValueLabel, CheckBox, HotKey, NumberEdit, UpDown, List };

struct TControlDef {
    TControlId Id;
    const char* Name;
    TControlKind Kind;
    TControlId Group;        // the group box it sits in; None for a group box
    const wchar_t* Caption;  // nullptr: none
    const wchar_t* Hint;     // nullptr: shows none; lines separated by '\r'
    bool Checked;            // check boxes: the default state
    bool Enabled;            // before the options are loaded
    TControlId Partner;      // a label's focus control; the up-down's buddy
};

// Every control in creation order, which is also the tab order.
std::span<const TControlDef> MainControls();
const TControlDef* FindControl(TControlId id);
// The name screen readers announce where no static label stands right
// before the control and its caption is not its own (the hot key fields,
// the two "Win +" boxes, the delay's arrows); nullptr: the label or caption.
const wchar_t* AccessibleName(TControlId id);

// A check box and the controls that are enabled exactly while it is checked.
struct TEnablingRule {
    TControlId Master;
    TControlId Dependents[3];  // None where there are fewer
};
std::span<const TEnablingRule> EnablingRules();

// Actions, and the menu items with behaviour of their own (S&how, &Close
// window, View &help): caption, hint, image and shortcut of each command.
struct TCommandDef {
    TCommandId Id;
    const char* Name;
    const wchar_t* Caption;
    const wchar_t* Hint;  // nullptr: none
    int Image;            // 1-based index into ImageListMenu; 0: none
    TShortCut ShortCut;   // 0: none
    bool IsAction;
};
std::span<const TCommandDef> MainCommands();
const TCommandDef* FindCommand(TCommandId id);

enum class TMenuItemKind { Command, Separator, Submenu };
struct TMenuItemDef {
    int Depth;  // 0 for the items of the menu itself, 1 inside a submenu, ...
    TMenuItemKind Kind;
    const char* Name;
    TCommandId Command;      // Command items
    const wchar_t* Caption;  // Submenu items; nullptr: the command's caption
};
struct TMenuDef {
    std::span<const TMenuItemDef> Items;
    bool ShowShortCuts;  // the shortcut texts beside the captions
    TCommandId Default;  // drawn bold at start; None: no default item
};
const TMenuDef& MainMenu();
const TMenuDef& NotifyMenu();

// The tool bar's buttons; a separator has no command.
struct TToolButtonDef {
    const char* Name;
    TCommandId Command;
    const wchar_t* Caption;  // padded with blanks to even out the widths
};
std::span<const TToolButtonDef> ToolBarButtons();
constexpr int kToolButtonMinWidth = 70, kToolButtonMinHeight = 36, kToolSeparatorWidth = 8;
constexpr int kMenuImageCount = 10;

// Items of the two tray-action lists, by index.
std::span<const wchar_t* const> TrayDoubleClickItems();
std::span<const wchar_t* const> TrayClickItems();

// Defaults of the hot key fields and the delay.
constexpr TShortCut kDefaultHotKeyScreenSaver = 49235;  // Ctrl+Alt+S
constexpr TShortCut kDefaultHotKeyPowerOff = 49232;     // Ctrl+Alt+P
constexpr int kDelayMin = 1, kDelayMax = 10, kDelayDefault = 3, kDelayMaxLength = 2;
// The application-wide time a hint stays up.
constexpr uint32_t kHintHidePause = 5000;  // ms

}  // namespace lumivane
