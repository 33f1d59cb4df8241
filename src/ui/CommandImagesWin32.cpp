#include "ui/CommandImagesWin32.h"

#include <vector>

#include "resource.h"
#include "win32/CommonControlsWin32.h"
#include "win32/UniqueHandle.h"
#include "win32/Window.h"

namespace lumivane {

namespace {
long gLiveObjects = 0;
}

long TCommandImagesWin32::LiveObjects() { return gLiveObjects; }

// 16 pixels at 96 dpi, scaled: the files hold 16, 20, 24 and 32.
TCommandImagesWin32::TCommandImagesWin32(UINT dpi) : FSize(MulDiv(16, static_cast<int>(dpi), 96)) {}

TCommandImagesWin32::~TCommandImagesWin32() {
    for (HBITMAP bitmap : FBitmaps)
        if (bitmap) {
            DeleteObject(bitmap);
            --gLiveObjects;
        }
    if (FImageList) {
        DestroyImageList(FImageList);
        --gLiveObjects;
    }
}

HICON TCommandImagesWin32::LoadIcon(int image) const {
    return static_cast<HICON>(
        LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_MENU1 + image - 1), IMAGE_ICON, FSize, FSize, 0));
}

HBITMAP TCommandImagesWin32::MenuBitmap(int image) {
    if (image < 1 || image > kMenuImageCount) return nullptr;
    HBITMAP& bitmap = FBitmaps[image - 1];
    if (!bitmap) {
        TUniqueHicon icon(LoadIcon(image));
        if (icon) bitmap = IconToAlphaBitmap(icon.Get(), FSize);
        if (bitmap) ++gLiveObjects;
    }
    return bitmap;
}

HIMAGELIST TCommandImagesWin32::ImageList() {
    if (!FImageList && (FImageList = CreateImageList(FSize, kMenuImageCount))) {
        ++gLiveObjects;
        for (int image = 1; image <= kMenuImageCount; ++image) {
            TUniqueHicon icon(LoadIcon(image));
            AddIconToImageList(FImageList, icon.Get());
        }
    }
    return FImageList;
}

HBITMAP IconToAlphaBitmap(HICON icon, int size) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return nullptr;
    using TUniqueHbitmap = TUniqueHandle<HBITMAP, TNullHandleTraits<HBITMAP, DeleteObject>>;
    TUniqueHbitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<size_t>(size) * size), maskBits(pixels.size());
    HDC screen = GetDC(nullptr);
    const bool ok = color && GetDIBits(screen, color.Get(), 0, size, pixels.data(), &bi, DIB_RGB_COLORS) &&
                    GetDIBits(screen, mask.Get(), 0, size, maskBits.data(), &bi, DIB_RGB_COLORS);
    void* bits = nullptr;
    HBITMAP result = ok ? CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!result) return nullptr;
    bool hasAlpha = false;
    for (DWORD p : pixels) hasAlpha |= (p >> 24) != 0;
    auto* out = static_cast<DWORD*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) {
        // Icons without an alpha channel take their transparency from the mask.
        const DWORD a = hasAlpha ? pixels[i] >> 24 : ((maskBits[i] & 0xFFFFFF) ? 0 : 255);
        const DWORD r = ((pixels[i] >> 16) & 0xFF) * a / 255, g = ((pixels[i] >> 8) & 0xFF) * a / 255,
                    b = (pixels[i] & 0xFF) * a / 255;
        out[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
    return result;
}

}  // namespace lumivane
