#pragma once
// The common-controls library, loaded when the first of its controls is made
// rather than at start: a start in the notification area never needs it.
// The manifest makes this version 6, with the system's visual styles.
#include <windows.h>
#include <commctrl.h>

namespace lumivane {

class TCommonControlsWin32 {
public:
    // Loads the library and registers its control classes; false if it
    // cannot. The library stays loaded for the life of the process, as an
    // import would.
    bool Load();

    // Image lists, through the loaded library (null when it is not loaded).
    // 32-bit pictures with alpha, no mask.
    HIMAGELIST CreateImageList(int size, int capacity) const;
    // A 32-bit bitmap of pictures side by side, with premultiplied alpha.
    int AddBitmapToImageList(HIMAGELIST list, HBITMAP bitmap) const;
    void DestroyImageList(HIMAGELIST list) const;

private:
    decltype(&InitCommonControlsEx) FInit = nullptr;
    decltype(&ImageList_Create) FCreate = nullptr;
    decltype(&ImageList_Add) FAdd = nullptr;
    decltype(&ImageList_Destroy) FDestroy = nullptr;
};

}  // namespace lumivane
