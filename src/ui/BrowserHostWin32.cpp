#include "ui/BrowserHostWin32.h"
#include "win32/SystemLibrariesWin32.h"

#include <exdispid.h>
#include <mshtmdid.h>

#include "ui/AboutWin32.h"
#include "ui/HelpNavigation.h"
#include "win32/OleWin32.h"

namespace lumivane {

namespace {

// What the page may fetch and run: no scripts, applets, controls, behaviours
// or frames; text and styles only. Images are left out too: the help has none.
constexpr LONG kHelpDownloadControl = DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS |
                                      DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_BEHAVIORS | DLCTL_NO_FRAMEDOWNLOAD;

// An event's string argument, given by value or by reference.
std::wstring TextOf(const VARIANT& value) {
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal) return TextOf(*value.pvarVal);
    if (value.vt == VT_BSTR && value.bstrVal) return value.bstrVal;
    return {};
}

// Sets an event's Cancel argument; false when it is not there as expected.
bool Cancel(VARIANT& cancel) {
    if (cancel.vt != (VT_BYREF | VT_BOOL) || !cancel.pboolVal) return false;
    *cancel.pboolVal = VARIANT_TRUE;
    return true;
}
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
    else if (riid == IID_IDispatch)
        *object = static_cast<IDispatch*>(this);
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

STDMETHODIMP TBrowserHostWin32::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                       UINT*) {
    if (member != DISPID_AMBIENT_DLCONTROL) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    result->vt = VT_I4;
    result->lVal = kHelpDownloadControl;
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::TNavigationSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2
                  ? static_cast<IDispatch*>(this)
                  : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP TBrowserHostWin32::TNavigationSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP TBrowserHostWin32::TNavigationSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                                        VARIANT*, EXCEPINFO*, UINT*) {
    // The arguments come last to first: BeforeNavigate2 (browser, address,
    // flags, frame, post data, headers, cancel) and NewWindow3 (new browser,
    // cancel, flags, referrer, address). A window of its own would be a
    // browser beyond this host's reach, so NewWindow2 and NewWindow3 are
    // always cancelled.
    if (!params) return S_OK;
    VARIANT* cancel = nullptr;
    std::wstring address;
    if (member == DISPID_BEFORENAVIGATE2 && params->cArgs == 7) {
        cancel = &params->rgvarg[0];
        address = TextOf(params->rgvarg[5]);
    } else if (member == DISPID_NEWWINDOW3 && params->cArgs == 5) {
        cancel = &params->rgvarg[3];
        address = TextOf(params->rgvarg[0]);
    } else if (member == DISPID_NEWWINDOW2 && params->cArgs == 2) {
        cancel = &params->rgvarg[0];
    } else {
        return S_OK;
    }
    const THelpNavigation verdict = JudgeHelpNavigation(FPage, address);
    if ((member == DISPID_BEFORENAVIGATE2 && verdict == THelpNavigation::Allow) || !Cancel(*cancel)) return S_OK;
    // Last, and on a copy: the shell may pump messages, and the viewer may be
    // gone when it returns.
    if (verdict == THelpNavigation::OpenOutside) ShellOpen(address);
    return S_OK;
}

bool TBrowserHostWin32::ConnectEvents() {
    IConnectionPointContainer* points = nullptr;
    if (FAILED(FObject->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points))))
        return false;
    const bool found = SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &FEvents));
    points->Release();
    if (found && SUCCEEDED(FEvents->Advise(&FSink, &FEventsCookie))) return true;
    ReleaseAndClear(FEvents);
    return false;
}

bool TBrowserHostWin32::Open(const std::wstring& file) {
    // Judged against before the first navigation, which is to the page itself.
    FPage = file;
    if (!EnsureOle() || FAILED(late::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&FObject))))
        return false;
    RECT area{};
    GetClientRect(FWindow, &area);
    bool ok = SUCCEEDED(FObject->SetClientSite(static_cast<IOleClientSite*>(this))) &&
              SUCCEEDED(late::OleSetContainedObject(FObject, TRUE)) &&
              SUCCEEDED(FObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                                        FWindow, &area)) &&
              SUCCEEDED(FObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&FBrowser))) &&
              ConnectEvents();
    if (ok) {
        // A local path as the address, every optional argument empty.
        VARIANT empty{};  // VT_EMPTY
        BSTR address = late::SysAllocString(file.c_str());
        ok = address && SUCCEEDED(FBrowser->Navigate(address, &empty, &empty, &empty, &empty));
        late::SysFreeString(address);
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
    if (FEvents) FEvents->Unadvise(FEventsCookie);
    ReleaseAndClear(FEvents);
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
