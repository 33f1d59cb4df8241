#include "ui/BrowserHostWin32.h"

#include "win32/OleWin32.h"

namespace lumivane {

namespace {
template <typename T>
void ReleaseAndClear(T*& p) {
    if (p) p->Release();
    p = nullptr;
}
}  // namespace

STDMETHODIMP TBrowserHostWin32::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
        *object = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDocHostUIHandler)
        *object = static_cast<IDocHostUIHandler*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP TBrowserHostWin32::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = FWindow;
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                 LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame) *frame = static_cast<IOleInPlaceFrame*>(this);
    if (doc) *doc = nullptr;
    GetClientRect(FWindow, position);
    GetClientRect(FWindow, clip);
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = FWindow;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info || info->cbSize < sizeof(DOCHOSTUIINFO)) return E_INVALIDARG;
    // Setting the flags replaces the defaults: the themed look is asked for again.
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DPI_AWARE | DOCHOSTUIFLAG_THEME;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    ReleaseAndClear(FActive);
    FActive = object;
    if (FActive) FActive->AddRef();
    return S_OK;
}

bool TBrowserHostWin32::Open(const std::wstring& file) {
    if (!EnsureOle() || FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&FObject))))
        return false;
    RECT area{};
    GetClientRect(FWindow, &area);
    bool ok = SUCCEEDED(FObject->SetClientSite(static_cast<IOleClientSite*>(this))) &&
              SUCCEEDED(OleSetContainedObject(FObject, TRUE)) &&
              SUCCEEDED(FObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                                        FWindow, &area)) &&
              SUCCEEDED(FObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&FBrowser)));
    if (ok) {
        // A local path as the address, every optional argument empty.
        VARIANT empty;
        VariantInit(&empty);
        BSTR address = SysAllocString(file.c_str());
        ok = address && SUCCEEDED(FBrowser->Navigate(address, &empty, &empty, &empty, &empty));
        SysFreeString(address);
    }
    if (!ok) Close();
    return ok;
}

void TBrowserHostWin32::Resize() {
    if (!FObject) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(FObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        RECT area{};
        GetClientRect(FWindow, &area);
        inPlace->SetObjectRects(&area, &area);
        inPlace->Release();
    }
}

void TBrowserHostWin32::Focus() {
    if (!FObject) return;
    RECT area{};
    GetClientRect(FWindow, &area);
    FObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, FWindow, &area);
}

bool TBrowserHostWin32::TranslateAccelerator(MSG& msg) {
    return FActive && FActive->TranslateAccelerator(&msg) == S_OK;
}

void TBrowserHostWin32::Close() {
    ReleaseAndClear(FActive);
    ReleaseAndClear(FBrowser);
    if (!FObject) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(FObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }
    FObject->Close(OLECLOSE_NOSAVE);
    FObject->SetClientSite(nullptr);
    ReleaseAndClear(FObject);
}

}  // namespace lumivane
