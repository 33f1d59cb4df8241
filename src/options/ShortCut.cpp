#include "options/ShortCut.h"

namespace lumivane {

namespace {
// Virtual-key codes of the keys a shortcut text names.
constexpr uint8_t kVkF1 = 0x70, kVkF24 = 0x87, kVk0 = 0x30, kVk9 = 0x39, kVkA = 0x41, kVkZ = 0x5A;
}  // namespace

uint16_t ShortCutToHotKeyValue(TShortCut s) {
    uint8_t flags = 0;
    if (s & kScShift) flags |= kHotKeyShift;
    if (s & kScCtrl) flags |= kHotKeyControl;
    if (s & kScAlt) flags |= kHotKeyAlt;
    return static_cast<uint16_t>(ShortCutKey(s) | (flags << 8));
}

TShortCut HotKeyValueToShortCut(uint16_t value) {
    const uint8_t flags = static_cast<uint8_t>(value >> 8);
    TShortCut s = static_cast<TShortCut>(value & kScKeyMask);
    if (flags & kHotKeyShift) s |= kScShift;
    if (flags & kHotKeyControl) s |= kScCtrl;
    if (flags & kHotKeyAlt) s |= kScAlt;
    return s;
}

std::wstring ShortCutText(TShortCut s) {
    const uint8_t key = ShortCutKey(s);
    if (key == 0) return {};
    std::wstring text;
    if (s & kScShift) text += L"Shift+";
    if (s & kScCtrl) text += L"Ctrl+";
    if (s & kScAlt) text += L"Alt+";
    if ((key >= kVkA && key <= kVkZ) || (key >= kVk0 && key <= kVk9))
        text += static_cast<wchar_t>(key);
    else if (key >= kVkF1 && key <= kVkF24)
        text += L"F" + std::to_wstring(key - kVkF1 + 1);
    else
        text += L"#" + std::to_wstring(key);
    return text;
}

}  // namespace lumivane
