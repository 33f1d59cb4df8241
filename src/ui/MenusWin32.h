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
// and after a change of scale.
void SetMenuImages(HMENU menu, const TMenuDef& def, TCommandImagesWin32& images);
// Every command shortcut of the main window.
HACCEL BuildAccelerators();

}  // namespace lumivane
