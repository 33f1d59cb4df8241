#include "win32/CommonControlsWin32.h"

namespace lumivane {

namespace {

template <typename F>
void Bind(HMODULE module, F& function, const char* name) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool TCommonControlsWin32::Load() {
    if (FInit) return true;
    // The process's activation context (the manifest) picks version 6; the
    // side-by-side redirection comes before any search path, so restricting
    // the search to the system folder still yields version 6 and never a
    // comctl32.dll lying beside the program.
    HMODULE module = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return false;
    Bind(module, FCreate, "ImageList_Create");
    Bind(module, FAdd, "ImageList_Add");
    Bind(module, FDestroy, "ImageList_Destroy");
    Bind(module, FInit, "InitCommonControlsEx");
    if (!FInit) return false;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_HOTKEY_CLASS |
                                              ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES |
                                              ICC_DATE_CLASSES};
    return FInit(&icc) != FALSE;
}

HIMAGELIST TCommonControlsWin32::CreateImageList(int size, int capacity) const {
    return FCreate ? FCreate(size, size, ILC_COLOR32, capacity, 0) : nullptr;
}

int TCommonControlsWin32::AddBitmapToImageList(HIMAGELIST list, HBITMAP bitmap) const {
    return list && FAdd ? FAdd(list, bitmap, nullptr) : -1;
}

void TCommonControlsWin32::DestroyImageList(HIMAGELIST list) const {
    if (list && FDestroy) FDestroy(list);
}

}  // namespace lumivane
