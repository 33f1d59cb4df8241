#pragma once
// The two system-wide hot keys: launching the screen saver (identifier 0) and
// powering the monitor off (identifier 1). Registration, the hot-key message
// and the rules that the "Win +" boxes give the hot key fields.
#include <cstdint>
#include <optional>
#include <utility>

#include "base/ErrorBox.h"
#include "commands/CommandDispatch.h"
#include "options/MainForm.h"
#include "options/ShortCut.h"

namespace lumivane {

// Modifier flags of the system's hot-key registration (MOD_*): yet another
// order, Alt 1, Ctrl 2, Shift 4, Win 8.
constexpr uint16_t kModAlt = 0x0001, kModControl = 0x0002, kModShift = 0x0004, kModWin = 0x0008;
// Asks the system for one hot-key message per press: held down, the keys
// would otherwise repeat and run the command again and again. It is part of
// the registration only; the hot-key message names the four keys above.
constexpr uint16_t kModNoRepeat = 0x4000;

// The virtual key and the modifier keys (kModAlt to kModWin) of a shortcut.
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

// When a refused combination is told to the user.
enum class TRefusalReport {
    // Once per combination: saving on the way to the notification area or at
    // Exit says nothing the user was already told.
    WhenChanged,
    // Every time: the user asked to save (Ctrl+S) and waits for the outcome.
    Always,
};

class THotKeys {
public:
    explicit THotKeys(const THotKeysDeps& deps) : FDeps(deps) {}
    // Releases both, then registers each one that is switched on.
    void RegisterHotKeys(TRefusalReport report = TRefusalReport::WhenChanged);
    void UnregisterHotKeys();
    // WM_HOTKEY: lParam holds the modifiers in its low word, the key in its high word.
    void WMHotKey(uint32_t lParam);

private:
    THotKeysDeps FDeps;
    // Per hot key, the combination (modifiers, key) last reported as refused;
    // forgotten once the hot key is registered or switched off.
    std::optional<std::pair<uint16_t, uint16_t>> FReported[2];
};

}  // namespace lumivane
