#pragma once
// The main menu, the notification menu and the window's accelerator table,
// built from the command tables.
#include <windows.h>

#include <span>

#include "ui/CommandImagesWin32.h"
#include "ui/MainContents.h"

namespace lumivane {

// The menu bar (popup = false) or a popup menu holding the items, without
// their images.
HMENU BuildMenu(const TMenuDef& def, bool popup);
// Puts the images of this scale beside the items: before a menu first opens,
// and after a change of scale or theme. A themed menu blends the 32-bit
// bitmaps itself (and an item drawn by its owner would turn the whole menu
// to the classic look); a menu without visual styles may draw them without
// their transparency, so there the owner window measures and draws each one
// (MeasureMenuImage, DrawMenuImage).
void SetMenuImages(HMENU menu, const TMenuDef& def, TCommandImagesWin32& images, bool themed);
// The application's menus are drawn with visual styles, which blend 32-bit
// menu bitmaps. Wine reports visual styles but draws its menus classic,
// without the blend: there the pictures are drawn by the window.
bool MenusThemed();
// The owner's answers to WM_MEASUREITEM and WM_DRAWITEM for those images;
// false for a message about something else.
bool MeasureMenuImage(MEASUREITEMSTRUCT& item, TCommandImagesWin32& images);
bool DrawMenuImage(const DRAWITEMSTRUCT& item, TCommandImagesWin32& images);
// Greys the refused commands' items, with a hint where the shortcut would
// stand, and gives the others back their state and text.
void ShowRefusedItems(HMENU menu, const TMenuDef& def, std::span<const TCommandId> refused);
// Every command shortcut of the main window.
HACCEL BuildAccelerators();

}  // namespace lumivane
