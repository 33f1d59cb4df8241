// Hot-key values as they come from the options (any 32-bit number, of which
// the low word is kept) and from the system's hot key field (any 16-bit
// value): the translations between the two flag orders lose nothing they
// can carry, the menu text names exactly the modifiers held, and the
// registration gets the same modifiers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "hotkeys/HotKeys.h"
#include "options/ShortCut.h"

using namespace lumivane;

namespace {

// The bits between the key and the modifiers: neither flag order has room for them.
constexpr TShortCut kUnflagged = 0x1F00;
constexpr uint16_t kFieldFlags = (kHotKeyShift | kHotKeyControl | kHotKeyAlt) << 8;

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

void CheckShortCut(TShortCut s, bool winKey) {
    const uint16_t field = ShortCutToHotKeyValue(s);
    FUZZ_CHECK((field & 0xFF) == ShortCutKey(s));
    FUZZ_CHECK(HotKeyValueToShortCut(field) == (s & ~kUnflagged));

    const std::wstring text = ShortCutText(s);
    FUZZ_CHECK(text.empty() == (ShortCutKey(s) == 0));
    FUZZ_CHECK(text == ShortCutText(HotKeyValueToShortCut(field)));
    if (!text.empty()) {
        FUZZ_CHECK(Contains(text, L"Shift+") == ((s & kScShift) != 0));
        FUZZ_CHECK(Contains(text, L"Ctrl+") == ((s & kScCtrl) != 0));
        FUZZ_CHECK(Contains(text, L"Alt+") == ((s & kScAlt) != 0));
        FUZZ_CHECK(text.back() != L'+');
    }

    uint16_t key = 0, modifiers = 0;
    ShortCutToVirtualKey(s, winKey, key, modifiers);
    FUZZ_CHECK((key & 0xFF) == ShortCutKey(s));
    FUZZ_CHECK((modifiers & ~(kModAlt | kModControl | kModShift | kModWin)) == 0);
    FUZZ_CHECK(((modifiers & kModWin) != 0) == winKey);
    FUZZ_CHECK(((modifiers & kModShift) != 0) == ((s & kScShift) != 0));
    FUZZ_CHECK(((modifiers & kModControl) != 0) == ((s & kScCtrl) != 0));
    FUZZ_CHECK(((modifiers & kModAlt) != 0) == ((s & kScAlt) != 0));
}

void CheckFieldValue(uint16_t field) {
    const TShortCut s = HotKeyValueToShortCut(field);
    FUZZ_CHECK((s & kUnflagged) == 0);
    // The extended-key flag and unknown flags are dropped, nothing else.
    FUZZ_CHECK(ShortCutToHotKeyValue(s) == (field & (0xFF | kFieldFlags)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t stored = 0;
    std::memcpy(&stored, data, size < sizeof stored ? size : sizeof stored);
    const bool winKey = size > sizeof stored && (data[sizeof stored] & 1);
    CheckShortCut(static_cast<TShortCut>(stored & 0xFFFF), winKey);
    CheckShortCut(static_cast<TShortCut>(stored >> 16), !winKey);
    CheckFieldValue(static_cast<uint16_t>(stored));
    CheckFieldValue(static_cast<uint16_t>(stored >> 16));
    return 0;
}
