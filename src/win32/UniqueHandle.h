#pragma once
// One owner for every kind of Win32 handle. Closing keeps GetLastError, so a
// cleanup on an error path does not hide the error that caused it.
#include <windows.h>

#include <utility>

namespace lumivane {

template <typename T, typename Traits>
class TUniqueHandle {
public:
    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(T handle) noexcept : FHandle(handle) {}
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    T Get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return Traits::IsValid(FHandle); }
    T Release() noexcept { return std::exchange(FHandle, Traits::Invalid()); }
    void Reset(T handle = Traits::Invalid()) noexcept {
        if (Traits::IsValid(FHandle)) {
            const DWORD error = GetLastError();
            Traits::Close(FHandle);
            SetLastError(error);
        }
        FHandle = handle;
    }
    // For APIs that return a handle through a pointer.
    T* Out() noexcept {
        Reset();
        return &FHandle;
    }

private:
    T FHandle = Traits::Invalid();
};

template <typename T, auto CloseFn>
struct TNullHandleTraits {
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { CloseFn(h); }
};

// CreateFile and friends report failure with INVALID_HANDLE_VALUE, the rest with null.
struct TKernelHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};

using TUniqueKernelHandle = TUniqueHandle<HANDLE, TKernelHandleTraits>;
using TUniqueHwnd = TUniqueHandle<HWND, TNullHandleTraits<HWND, DestroyWindow>>;
using TUniqueHicon = TUniqueHandle<HICON, TNullHandleTraits<HICON, DestroyIcon>>;
using TUniqueHmenu = TUniqueHandle<HMENU, TNullHandleTraits<HMENU, DestroyMenu>>;
using TUniqueHkey = TUniqueHandle<HKEY, TNullHandleTraits<HKEY, RegCloseKey>>;
using TUniqueHfont = TUniqueHandle<HFONT, TNullHandleTraits<HFONT, DeleteObject>>;

}  // namespace lumivane
