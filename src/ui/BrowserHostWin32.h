#pragma once
// The system's web browser control, hosted in a window by hand: the few OLE
// container interfaces it asks its site for (there is no ATL with MinGW).
// The page is a file anyone may replace, so the control runs nothing it
// brings and goes nowhere but within it (ui/HelpNavigation.h).
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>

namespace lumivane {

class TBrowserHostWin32 final : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDocHostUIHandler,
                                public IDispatch {
public:
    TBrowserHostWin32() = default;
    // The window the control fills.
    void SetWindow(HWND window) { FWindow = window; }
    TBrowserHostWin32(const TBrowserHostWin32&) = delete;
    TBrowserHostWin32& operator=(const TBrowserHostWin32&) = delete;
    ~TBrowserHostWin32() { Close(); }

    // Creates the control filling the window and lets it navigate to a local
    // file; false when either step fails (the control is then gone again).
    bool Open(const std::wstring& file);
    void Close();
    void Resize();
    // Lets the control handle a key message (its own shortcuts and Tab).
    bool TranslateAccelerator(MSG& msg);
    // Gives the page the keyboard focus, so that the arrow keys and Page
    // Down scroll it without a click first.
    void Focus();

    // IUnknown: the host lives as long as its window, not by its count.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (both the site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, tools or status.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }  // the frame's and the handler's
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IDocHostUIHandler: the page scales with the screen and has no sunken
    // border; everything else as the control does it by itself.
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override { return NoObject(key); }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override { return NoObject(target); }
    STDMETHODIMP GetExternal(IDispatch** dispatch) override { return NoObject(dispatch); }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* url) override { return NoObject(url); }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** object) override { return NoObject(object); }
    // IDispatch: the ambient properties; the control reads what it may
    // download (DISPID_AMBIENT_DLCONTROL) for every page it loads.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    // The control's events (DWebBrowserEvents2): every navigation and new
    // window is judged before it happens. Apart from the site, whose
    // IDispatch answers the ambient properties.
    class TNavigationSink final : public IDispatch {
    public:
        explicit TNavigationSink(const std::wstring& page) : FPage(page) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override;
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                            UINT*) override;

    private:
        const std::wstring& FPage;
    };
    bool ConnectEvents();

    // "Nothing of the host's own": the out value cleared, and S_FALSE.
    template <typename T>
    static HRESULT NoObject(T** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }
    HWND FWindow = nullptr;
    IOleObject* FObject = nullptr;
    IWebBrowser2* FBrowser = nullptr;
    IOleInPlaceActiveObject* FActive = nullptr;
    std::wstring FPage;
    TNavigationSink FSink{FPage};
    IConnectionPoint* FEvents = nullptr;
    DWORD FEventsCookie = 0;
};

}  // namespace lumivane
