#pragma once
// The shell's and COM's few functions, bound at their first call instead of
// imported: a start that shows no notification icon, opens no help, link or
// file dialog loads neither library (and under Wine the shell's library
// brings the common controls and their classes with it). Each library comes
// from the system folder only, and stays loaded once it is, as an import
// would. A function that cannot be bound answers as its call failing.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

namespace lumivane::late {

BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data);
HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* folder, int show);
HRESULT SHQueryUserNotificationState(QUERY_USER_NOTIFICATION_STATE* state);
// The window manager's facts of a window (dwmapi).
HRESULT DwmGetWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size);

HRESULT OleInitialize(void* reserved);
void OleUninitialize();
HRESULT OleSetContainedObject(IUnknown* object, BOOL contained);
HRESULT CoCreateInstance(REFCLSID type, IUnknown* outer, DWORD context, REFIID kind, void** object);
void CoTaskMemFree(void* block);
BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);

}  // namespace lumivane::late
