#pragma once
// ImageListMenu: the ten command images at the small-icon size of one DPI,
// as menu bitmaps (32-bit, premultiplied alpha) and as an image list for the
// tool bar. Each form is made when first asked for.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "win32/CommonControlsWin32.h"

#include "ui/MainContents.h"

namespace lumivane {

class TCommandImagesWin32 {
public:
    // The image list comes from the controls library, once loaded.
    TCommandImagesWin32(UINT dpi, const TCommonControlsWin32& controls);
    ~TCommandImagesWin32();
    TCommandImagesWin32(const TCommandImagesWin32&) = delete;
    TCommandImagesWin32& operator=(const TCommandImagesWin32&) = delete;

    int Size() const { return FSize; }
    // image: 1 to 10; null for 0 or a picture that cannot be loaded.
    HBITMAP MenuBitmap(int image);
    // Image i is at index i - 1. Needs the common controls loaded.
    HIMAGELIST ImageList();
    // Bitmaps and lists made so far, for the leak tests.
    static long LiveObjects();

private:
    // The picture's pixels, 32-bit with premultiplied alpha, top row first;
    // loaded once for both forms.
    const std::vector<DWORD>& Pixels(int image);
    HBITMAP CreateBitmap(int width, const DWORD* const* rows, int count) const;
    int FSize;
    const TCommonControlsWin32& FControls;
    std::vector<DWORD> FPixels[kMenuImageCount];
    HBITMAP FBitmaps[kMenuImageCount] = {};
    HIMAGELIST FImageList = nullptr;
};

// The icon's pixels at size x size, 32-bit with premultiplied alpha (the form
// menus and image lists draw); empty when the icon cannot be read.
std::vector<DWORD> IconPixels(HICON icon, int size);

}  // namespace lumivane
