#pragma once
// The system-wide hot keys of the main window.
#include <windows.h>

#include <functional>

#include "hotkeys/HotKeys.h"

namespace lumivane {

class THotKeyRegistrarWin32 final : public IHotKeyRegistrar {
public:
    explicit THotKeyRegistrarWin32(std::function<HWND()> window) : FWindow(std::move(window)) {}
    bool RegisterHotKey(int id, uint16_t modifiers, uint16_t virtualKey) override {
        return Register(FWindow(), id, modifiers, virtualKey) != FALSE;
    }
    // The system's call, replaceable: Wine takes the no-repeat flag and
    // repeats anyway, so only the call itself shows that the flag is asked for.
    BOOL(WINAPI* Register)(HWND, int, UINT, UINT) = ::RegisterHotKey;
    // Releasing an identifier that is not registered is harmless.
    void UnregisterHotKey(int id) override { ::UnregisterHotKey(FWindow(), id); }

private:
    std::function<HWND()> FWindow;
};

}  // namespace lumivane
