#pragma once
// What the main window holds, as data: its controls (options/OptionControls.h),
// its commands, both menus and the tool bar. The Win32 side builds the window from these tables and
// lays it out again when the scale changes; the tests check them.
#include <cstdint>
#include <span>
#include <string>

#include "base/CommandIds.h"
#include "options/OptionControls.h"
#include "options/ShortCut.h"

namespace lumivane {

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
// The text an item is given: its own caption or its command's, and the
// shortcut after a tab where the menu shows them. Separators have none.
std::wstring MenuItemText(const TMenuItemDef& item, bool showShortCuts);

// The tool bar's buttons; a separator has no command.
struct TToolButtonDef {
    const char* Name;
    TCommandId Command;
    const wchar_t* Caption;  // padded with blanks to even out the widths
};
std::span<const TToolButtonDef> ToolBarButtons();
constexpr int kToolButtonMinWidth = 70, kToolButtonMinHeight = 36, kToolSeparatorWidth = 8;
constexpr int kMenuImageCount = 10;

// The application-wide time a hint stays up.
constexpr uint32_t kHintHidePause = 5000;  // ms

}  // namespace lumivane
