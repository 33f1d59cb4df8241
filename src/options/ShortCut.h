#pragma once
// TShortCut: a key with its modifiers in one 16-bit word, as the options store
// it: the virtual key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
#include <cstdint>
#include <string>

namespace lumivane {

using TShortCut = uint16_t;

constexpr TShortCut kScShift = 0x2000, kScCtrl = 0x4000, kScAlt = 0x8000;
constexpr TShortCut kScKeyMask = 0x00FF;

// Modifier flags of the system's hot key field (HOTKEYF_*): their own order,
// Shift 1, Ctrl 2, Alt 4. Translate through these names, never by moving bits.
constexpr uint8_t kHotKeyShift = 0x01, kHotKeyControl = 0x02, kHotKeyAlt = 0x04,
                  kHotKeyExt = 0x08;

constexpr uint8_t ShortCutKey(TShortCut s) { return static_cast<uint8_t>(s & kScKeyMask); }

// The hot key field's value: MAKEWORD(virtual key, HOTKEYF_ flags).
uint16_t ShortCutToHotKeyValue(TShortCut shortCut);
TShortCut HotKeyValueToShortCut(uint16_t value);

// The text a menu shows for it ("Ctrl+A", "Alt+X", "F1"); empty for 0.
std::wstring ShortCutText(TShortCut shortCut);

}  // namespace lumivane
