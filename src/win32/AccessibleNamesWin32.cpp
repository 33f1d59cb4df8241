// The interface and property ids are defined here, so that the program does
// not import the accessibility library only for them.
#include <initguid.h>

#include "win32/AccessibleNamesWin32.h"

#include <oleacc.h>

#include "win32/OleWin32.h"

namespace lumivane {

void TAccessibleNamesWin32::Apply() {
    if (FPending.empty()) return;
    if (!FAsked) {
        FAsked = true;
        // The service is a COM object: OLE is made on this thread first, as
        // for the help viewer. Without it the names stay as shown.
        if (!EnsureOle() || FAILED(late::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                                          IID_IAccPropServices, reinterpret_cast<void**>(&FServices))))
            FServices = nullptr;
    }
    for (const auto& [control, name] : FPending)
        if (FServices && IsWindow(control) &&
            SUCCEEDED(FServices->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                PROPID_ACC_NAME, name)))
            FNamed.push_back(control);
    FPending.clear();
}

void TAccessibleNamesWin32::Clear() {
    FPending.clear();
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
