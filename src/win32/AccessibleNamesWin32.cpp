// The interface and property ids are defined here, so that the program does
// not import the accessibility library only for them.
#include <initguid.h>

#include "win32/AccessibleNamesWin32.h"

#include <oleacc.h>

namespace lumivane {

void TAccessibleNamesWin32::Set(HWND control, const wchar_t* name) {
    if (!control || !name) return;
    if (!FAsked) {
        FAsked = true;
        // Needs COM on this thread; without it the names stay as shown.
        if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                    reinterpret_cast<void**>(&FServices))))
            FServices = nullptr;
    }
    if (FServices &&
        SUCCEEDED(FServices->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                            name)))
        FNamed.push_back(control);
}

void TAccessibleNamesWin32::Clear() {
    if (!FServices) return;
    // The service keeps its annotations apart from the window: they are
    // cleared, not left to a window that may get the same handle later.
    for (HWND control : FNamed)
        FServices->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
    FNamed.clear();
    FServices->Release();
    FServices = nullptr;
    FAsked = false;
}

}  // namespace lumivane
