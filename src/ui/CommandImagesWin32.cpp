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
TCommandImagesWin32::TCommandImagesWin32(UINT dpi, const TCommonControlsWin32& controls)
    : FSize(MulDiv(16, static_cast<int>(dpi), 96)), FControls(controls) {}

TCommandImagesWin32::~TCommandImagesWin32() {
    for (HBITMAP bitmap : FBitmaps)
        if (bitmap) {
            DeleteObject(bitmap);
            --gLiveObjects;
        }
    if (FImageList) {
        FControls.DestroyImageList(FImageList);
        --gLiveObjects;
    }
}

const std::vector<DWORD>& TCommandImagesWin32::Pixels(int image) {
    std::vector<DWORD>& pixels = FPixels[image - 1];
    if (pixels.empty()) {
        TUniqueHicon icon(static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_MENU1 + image - 1),
                                                        IMAGE_ICON, FSize, FSize, 0)));
        if (icon) pixels = IconPixels(icon.Get(), FSize);
    }
    return pixels;
}

// A top-down 32-bit bitmap `count` pictures wide.
HBITMAP TCommandImagesWin32::CreateBitmap(int width, const DWORD* const* rows, int count) const {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width * count, -FSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* out = static_cast<DWORD*>(bits);
    for (int i = 0; i < count; ++i)
        for (int y = 0; y < FSize; ++y)
            for (int x = 0; x < width; ++x)
                out[static_cast<size_t>(y) * width * count + i * width + x] =
                    rows[i] ? rows[i][static_cast<size_t>(y) * width + x] : 0;
    return bitmap;
}

HBITMAP TCommandImagesWin32::MenuBitmap(int image) {
    if (image < 1 || image > kMenuImageCount) return nullptr;
    HBITMAP& bitmap = FBitmaps[image - 1];
    if (!bitmap && !Pixels(image).empty()) {
        const DWORD* rows[] = {Pixels(image).data()};
        if ((bitmap = CreateBitmap(FSize, rows, 1))) ++gLiveObjects;
    }
    return bitmap;
}

HIMAGELIST TCommandImagesWin32::ImageList() {
    if (FImageList) return FImageList;
    // One strip of all ten, added in one call: far cheaper than ten icons.
    const DWORD* rows[kMenuImageCount];
    for (int image = 1; image <= kMenuImageCount; ++image)
        rows[image - 1] = Pixels(image).empty() ? nullptr : Pixels(image).data();
    HBITMAP strip = CreateBitmap(FSize, rows, kMenuImageCount);
    if (!strip) return nullptr;
    if ((FImageList = FControls.CreateImageList(FSize, kMenuImageCount))) {
        ++gLiveObjects;
        FControls.AddBitmapToImageList(FImageList, strip);
    }
    DeleteObject(strip);
    return FImageList;
}

std::vector<DWORD> IconPixels(HICON icon, int size) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    using TUniqueHbitmap = TUniqueHandle<HBITMAP, TNullHandleTraits<HBITMAP, DeleteObject>>;
    TUniqueHbitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<size_t>(size) * size), maskBits(pixels.size());
    HDC screen = GetDC(nullptr);
    const bool ok = color && GetDIBits(screen, color.Get(), 0, size, pixels.data(), &bi, DIB_RGB_COLORS) &&
                    GetDIBits(screen, mask.Get(), 0, size, maskBits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (!ok) return {};
    bool hasAlpha = false;
    for (DWORD p : pixels) hasAlpha |= (p >> 24) != 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        // Icons without an alpha channel take their transparency from the mask.
        const DWORD a = hasAlpha ? pixels[i] >> 24 : ((maskBits[i] & 0xFFFFFF) ? 0 : 255);
        const DWORD r = ((pixels[i] >> 16) & 0xFF) * a / 255, g = ((pixels[i] >> 8) & 0xFF) * a / 255,
                    b = (pixels[i] & 0xFF) * a / 255;
        pixels[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
    return pixels;
}

}  // namespace lumivane
