#pragma once
// The status the user sees: four labels of the main window, the icon's
// two-line tooltip and the icon's picture, all from one read of the system.
#include <cstdint>
#include <string>

#include "base/IconState.h"
#include "config/ManagedConfiguration.h"
#include "display/ScreenSaver.h"

namespace lumivane {

// A feature whose time-out is at most this many seconds shows as continuous:
// the largest delay continuous mode can set.
constexpr int32_t kContinuousModeDelayMax = 10;

struct TStatusTexts {
    std::wstring ScreenSaverActive;   // lblScreenSaverActive
    std::wstring ScreenSaverTimeout;  // lblScreenSaverTimeout
    std::wstring PowerOffActive;      // lblPowerOffActive
    std::wstring PowerOffTimeout;     // lblPowerOffTimeout
    std::wstring ToolTip;
    int IconIndex = 0;  // into ImageListIcons
    std::wstring KeptAwake;  // lblKeptAwake: "Computer kept awake" and the like; empty: nothing holds it
    friend bool operator==(const TStatusTexts&, const TStatusTexts&) = default;
};

// Everything the status depends on besides the system's settings.
struct TStatusContext {
    bool DeactivateForRunning = false;
    std::wstring DeactivatedUntil;
    bool HighColorIcon = false;
    // Shown after an item's state, e.g. "(set by policy)"; empty: nothing.
    std::wstring ScreenSaverNote, PowerOffNote;
    bool KeptAwake = false;  // the computer is kept awake meanwhile
    // What holds an automatic deactivation (see TriggerCause); empty: none.
    std::wstring AutomaticCause;
    // The battery floor keeps the computer from being kept awake: the floor.
    uint32_t NotKeptAwakeBelow = 0;
    // Kept awake, but the system may sleep all the same (Modern Standby on battery).
    bool MaySleep = false;
    // An item the user does not manage shows its own state, never a period.
    bool ManagesScreenSaver = true, ManagesPowerOff = true;
};

// A time-out of 0 is the plan's "never": the item never starts.
constexpr const wchar_t* kNeverText = L"Never";

extern const wchar_t* const kKeptAwakeText;  // "computer kept awake"
extern const wchar_t* const kMaySleepText;   // "computer may sleep"
extern const wchar_t* const kNoteSetByPolicy;  // "(set by policy)"
extern const wchar_t* const kNoteNoneChosen;   // "(none chosen)"
// The plan was left alone: the way back could not be saved before the change.
extern const wchar_t* const kNoteNotRecorded;

// What the system says about the two items beyond their values: a policy
// that sets them, no screen saver chosen. Only the power-plan backend of
// Windows 10 and 11 has anything to say; the other answers nothing.
class IDisplayPowerNotes {
public:
    virtual ~IDisplayPowerNotes() = default;
    virtual std::wstring ScreenSaverNote() = 0;
    virtual std::wstring PowerOffNote() = 0;
};

TStatusTexts ComputeStatus(const TDisplayPowerConfiguration& current,
                           const TStatusContext& context);

// Where the status goes.
class IStatusView {
public:
    virtual ~IStatusView() = default;
    virtual void ShowStatus(const TStatusTexts& status) = 0;
};

// The pictures of ImageListIcons. The list owns them: a handle stays valid
// for the list's life, and the notification icon keeps a copy of its own.
class IStateIcons {
public:
    virtual ~IStateIcons() = default;
    virtual THandle StateIcon(int index) = 0;
};

// UpdateStatus: the one refresh of labels, tooltip and picture.
class TStatusPresenter final : public IStatusRefresh {
public:
    TStatusPresenter(ISystemParameters& spi, const TManagedConfiguration& config,
                     IIconState& notifyIcon, IStatusView& view, IStateIcons& icons,
                     IDisplayPowerNotes* notes = nullptr)
        : FSpi(spi), FConfig(config), FNotifyIcon(notifyIcon), FView(view), FIcons(icons), FNotes(notes) {}

    // Hands the tooltip and the picture to the shell only when one of them
    // changed: a refresh runs twice a second for the whole run.
    void UpdateStatus() override;
    // The next refresh hands both over again (new pictures, say).
    void Invalidate() { FHandedOver = false; }
    // While held, a refresh does nothing: the start's steps each change what
    // the status shows, and the last of them shows it once.
    void Hold(bool held) { FHeld = held; }

    bool FHighColorIcon = false;

private:
    ISystemParameters& FSpi;
    const TManagedConfiguration& FConfig;
    IIconState& FNotifyIcon;
    IStatusView& FView;
    IStateIcons& FIcons;
    IDisplayPowerNotes* FNotes;
    bool FHandedOver = false;
    bool FHeld = false;
    std::wstring FToolTip;
    int FIconIndex = -1;
};

}  // namespace lumivane
