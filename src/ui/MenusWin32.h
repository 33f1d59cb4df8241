#pragma once
// The main menu, the notification menu and the window's accelerator table,
// built from the command tables.
#include <windows.h>

#include "ui/CommandImagesWin32.h"
#include "ui/MainContents.h"

namespace lumivane {

// The menu bar (popup = false) or a popup menu holding the items, without
// their images.
HMENU BuildMenu(const TMenuDef& def, bool popup);
// Puts the images of this scale beside the items: before a menu first opens,
// and after a change of scale. The menu asks its owner window to measure and
// draw each one (MeasureMenuImage, DrawMenuImage): a 32-bit bitmap handed to
// the menu is drawn without its transparency by some systems.
void SetMenuImages(HMENU menu, const TMenuDef& def, TCommandImagesWin32& images);
// The owner's answers to WM_MEASUREITEM and WM_DRAWITEM for those images;
// false for a message about something else.
bool MeasureMenuImage(MEASUREITEMSTRUCT& item, TCommandImagesWin32& images);
bool DrawMenuImage(const DRAWITEMSTRUCT& item, TCommandImagesWin32& images);
// Every command shortcut of the main window.
HACCEL BuildAccelerators();

}  // namespace lumivane
