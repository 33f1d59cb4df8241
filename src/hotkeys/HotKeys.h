#pragma once
// The two system-wide hot keys: launching the screen saver (identifier 0) and
// powering the monitor off (identifier 1). Registration, the hot-key message
// and the rules that the "Win +" boxes give the hot key fields.
#include <cstdint>

#include "app/ErrorBox.h"
#include "hotkeys/ShortCut.h"
#include "ui/MainForm.h"

namespace lumivane {

// Modifier flags of the system's hot-key registration (MOD_*): yet another
// order, Alt 1, Ctrl 2, Shift 4, Win 8.
constexpr uint16_t kModAlt = 0x0001, kModControl = 0x0002, kModShift = 0x0004, kModWin = 0x0008;

// The registration's virtual key and modifier flags for a shortcut.
void ShortCutToVirtualKey(TShortCut value, bool winKey, uint16_t& virtualKey, uint16_t& modifiers);

extern const wchar_t* const kHotKeyUsedText;  // "The selected hot key is already used by other program."

// RegisterHotKey and UnregisterHotKey on the main window.
class IHotKeyRegistrar {
public:
    virtual ~IHotKeyRegistrar() = default;
    virtual bool RegisterHotKey(int id, uint16_t modifiers, uint16_t virtualKey) = 0;
    virtual void UnregisterHotKey(int id) = 0;
};

struct THotKeysDeps {
    TMainForm& Form;
    IHotKeyRegistrar& Registrar;
    IErrorBox& Errors;
    const TCommandDispatch& Dispatch;
};

class THotKeys {
public:
    explicit THotKeys(const THotKeysDeps& deps) : FDeps(deps) {}
    // Releases both, then registers each one that is switched on.
    void RegisterHotKeys();
    void UnregisterHotKeys();
    // WM_HOTKEY: lParam holds the modifiers in its low word, the key in its high word.
    void WMHotKey(uint32_t lParam);

private:
    THotKeysDeps FDeps;
};

}  // namespace lumivane
