#pragma once
// The common-controls library, loaded when the first of its controls is made
// rather than at start: a start in the notification area never needs it.
// The manifest makes this version 6, with the system's visual styles.
#include <windows.h>
#include <commctrl.h>

namespace lumivane {

// Loads the library and registers its control classes; false if it cannot.
bool LoadCommonControls();

// Image lists, through the loaded library (null when it is not loaded).
// 32-bit pictures with alpha, no mask.
HIMAGELIST CreateImageList(int size, int capacity);
// A 32-bit bitmap of pictures side by side, with premultiplied alpha.
int AddBitmapToImageList(HIMAGELIST list, HBITMAP bitmap);
void DestroyImageList(HIMAGELIST list);

}  // namespace lumivane
