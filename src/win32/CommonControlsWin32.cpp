#include "win32/CommonControlsWin32.h"

namespace lumivane {

namespace {

struct TComCtl {
    decltype(&InitCommonControlsEx) Init = nullptr;
    decltype(&ImageList_Create) Create = nullptr;
    decltype(&ImageList_Add) Add = nullptr;
    decltype(&ImageList_Destroy) Destroy = nullptr;
};

TComCtl& ComCtl() {
    static TComCtl functions;
    return functions;
}

template <typename F>
void Bind(HMODULE module, F& function, const char* name) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool LoadCommonControls() {
    TComCtl& f = ComCtl();
    if (f.Init) return true;
    // The process's activation context (the manifest) picks version 6; the
    // side-by-side redirection comes before any search path, so restricting
    // the search to the system folder still yields version 6 and never a
    // comctl32.dll lying beside the program. The library stays loaded for
    // the life of the process, as an import would.
    HMODULE module = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return false;
    Bind(module, f.Create, "ImageList_Create");
    Bind(module, f.Add, "ImageList_Add");
    Bind(module, f.Destroy, "ImageList_Destroy");
    Bind(module, f.Init, "InitCommonControlsEx");
    if (!f.Init) return false;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_HOTKEY_CLASS |
                                              ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    return f.Init(&icc) != FALSE;
}

HIMAGELIST CreateImageList(int size, int capacity) {
    return ComCtl().Create ? ComCtl().Create(size, size, ILC_COLOR32, capacity, 0) : nullptr;
}

int AddBitmapToImageList(HIMAGELIST list, HBITMAP bitmap) {
    return list && ComCtl().Add ? ComCtl().Add(list, bitmap, nullptr) : -1;
}

void DestroyImageList(HIMAGELIST list) {
    if (list && ComCtl().Destroy) ComCtl().Destroy(list);
}

}  // namespace lumivane
