#include "win32/SystemLibrariesWin32.h"

#include <dwmapi.h>

#include <type_traits>

namespace lumivane::late {

namespace {

// Loaded once per library; the function's own static keeps its address.
template <typename F>
F* Bind(const wchar_t* library, const char* name) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

#define LUMIVANE_BOUND(library, name) \
    static const auto bound = Bind<std::remove_pointer_t<decltype(&::name)>>(library, #name)

constexpr const wchar_t* kShell = L"shell32.dll";
constexpr const wchar_t* kOle = L"ole32.dll";
constexpr const wchar_t* kOleAutomation = L"oleaut32.dll";
constexpr const wchar_t* kWindowManager = L"dwmapi.dll";

}  // namespace

BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) {
    LUMIVANE_BOUND(kShell, Shell_NotifyIconW);
    return bound ? bound(message, data) : FALSE;
}

HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* folder, int show) {
    LUMIVANE_BOUND(kShell, ShellExecuteW);
    // Below 32 is a failure; 0 is "out of memory or resources".
    return bound ? bound(owner, verb, file, parameters, folder, show) : nullptr;
}

HRESULT SHQueryUserNotificationState(QUERY_USER_NOTIFICATION_STATE* state) {
    LUMIVANE_BOUND(kShell, SHQueryUserNotificationState);
    return bound ? bound(state) : E_NOTIMPL;
}

HRESULT DwmGetWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
    LUMIVANE_BOUND(kWindowManager, DwmGetWindowAttribute);
    return bound ? bound(window, attribute, value, size) : E_NOTIMPL;
}

HRESULT OleInitialize(void* reserved) {
    LUMIVANE_BOUND(kOle, OleInitialize);
    return bound ? bound(reserved) : E_NOTIMPL;
}

void OleUninitialize() {
    LUMIVANE_BOUND(kOle, OleUninitialize);
    if (bound) bound();
}

HRESULT OleSetContainedObject(IUnknown* object, BOOL contained) {
    LUMIVANE_BOUND(kOle, OleSetContainedObject);
    return bound ? bound(object, contained) : E_NOTIMPL;
}

HRESULT CoCreateInstance(REFCLSID type, IUnknown* outer, DWORD context, REFIID kind, void** object) {
    LUMIVANE_BOUND(kOle, CoCreateInstance);
    return bound ? bound(type, outer, context, kind, object) : E_NOTIMPL;
}

void CoTaskMemFree(void* block) {
    LUMIVANE_BOUND(kOle, CoTaskMemFree);
    if (bound) bound(block);
}

BSTR SysAllocString(const OLECHAR* text) {
    LUMIVANE_BOUND(kOleAutomation, SysAllocString);
    return bound ? bound(text) : nullptr;
}

void SysFreeString(BSTR text) {
    LUMIVANE_BOUND(kOleAutomation, SysFreeString);
    if (bound) bound(text);
}

}  // namespace lumivane::late
