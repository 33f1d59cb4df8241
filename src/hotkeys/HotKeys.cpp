#include "hotkeys/HotKeys.h"

namespace lumivane {

const wchar_t* const kHotKeyUsedText = L"The selected hot key is already used by other program.";

namespace {

struct THotKey {
    int Id;
    TControlId Switch, Win, Field;
    TCommandId Command;
};
constexpr THotKey kHotKeys[] = {
    {0, TControlId::cbHotkeyScreenSaver, TControlId::cbWinScreenSaver, TControlId::HotKeyScreenSaver,
     TCommandId::actScreenSaver},
    {1, TControlId::cbHotkeyPowerOff, TControlId::cbWinPowerOff, TControlId::HotKeyPowerOff, TCommandId::actPowerOff},
};
constexpr TShortCut kKeyBits = 0x1FFF;
constexpr uint16_t kModifierKeys = kModAlt | kModControl | kModShift | kModWin;

}  // namespace

void ShortCutToVirtualKey(TShortCut value, bool winKey, uint16_t& virtualKey, uint16_t& modifiers) {
    virtualKey = value & kKeyBits;
    modifiers = winKey ? kModWin : 0;
    if (value & kScShift) modifiers |= kModShift;
    if (value & kScCtrl) modifiers |= kModControl;
    if (value & kScAlt) modifiers |= kModAlt;
}

void THotKeys::UnregisterHotKeys() {
    FDeps.Registrar.UnregisterHotKey(1);
    FDeps.Registrar.UnregisterHotKey(0);
}

void THotKeys::RegisterHotKeys(TRefusalReport report) {
    UnregisterHotKeys();
    const TMainForm& form = FDeps.Form;
    for (const THotKey& h : kHotKeys) {
        auto& reported = FReported[h.Id];
        if (!form.Checked(h.Switch)) {
            reported.reset();
            continue;
        }
        uint16_t key = 0, modifiers = 0;
        ShortCutToVirtualKey(form.HotKey(h.Field), form.Checked(h.Win), key, modifiers);
        if (FDeps.Registrar.RegisterHotKey(h.Id, modifiers | kModNoRepeat, key)) {
            reported.reset();
            continue;
        }
        // A refused combination changes nothing else: the switch stays on, and
        // the next save tries it again (the other program may have let it go).
        const std::pair<uint16_t, uint16_t> combination{modifiers, key};
        if (report == TRefusalReport::Always || reported != combination) FDeps.Errors.ShowError(kHotKeyUsedText);
        reported = combination;
    }
}

void THotKeys::WMHotKey(uint32_t lParam) {
    // Only the four modifier keys: whatever else the registration carried
    // (the no-repeat flag) is not a key the user pressed.
    const auto pressedModifiers = static_cast<uint16_t>(lParam & kModifierKeys);
    const auto pressedKey = static_cast<uint16_t>(lParam >> 16);
    // Compared with the fields as they are now: an edited combination runs
    // nothing until it is saved and registered. A switched-off hot key never
    // runs its command, even when its field holds the pressed combination.
    for (const THotKey& h : kHotKeys) {
        const TMainForm& form = FDeps.Form;
        if (!form.Checked(h.Switch)) continue;
        uint16_t key = 0, modifiers = 0;
        ShortCutToVirtualKey(form.HotKey(h.Field), form.Checked(h.Win), key, modifiers);
        if (key == pressedKey && modifiers == pressedModifiers) FDeps.Dispatch.Execute(h.Command);
    }
}

}  // namespace lumivane
