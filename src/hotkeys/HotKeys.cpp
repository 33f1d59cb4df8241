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

void THotKeys::RegisterHotKeys() {
    UnregisterHotKeys();
    const TMainForm& form = FDeps.Form;
    for (const THotKey& h : kHotKeys) {
        uint16_t key = 0, modifiers = 0;
        ShortCutToVirtualKey(form.HotKey(h.Field), form.Checked(h.Win), key, modifiers);
        // A refused combination changes nothing else: the switch stays on and
        // the message comes again at every registration.
        if (form.Checked(h.Switch) && !FDeps.Registrar.RegisterHotKey(h.Id, modifiers, key))
            FDeps.Errors.ShowError(kHotKeyUsedText);
    }
}

void THotKeys::WMHotKey(uint32_t lParam) {
    const auto pressedModifiers = static_cast<uint16_t>(lParam & 0xFFFF);
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
