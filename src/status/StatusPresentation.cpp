#include "status/StatusPresentation.h"

#include <cwctype>

namespace lumivane {

const wchar_t* const kKeptAwakeText = L"computer kept awake";
const wchar_t* const kMaySleepText = L"computer may sleep";
const wchar_t* const kNoteSetByPolicy = L"(set by policy)";
const wchar_t* const kNoteNoneChosen = L"(none chosen)";
const wchar_t* const kNoteNotRecorded = L"(not changed: could not be recorded)";

namespace {

// A program's name is cut where the window's two lines or the tooltip's 127
// characters would not hold the rest.
constexpr size_t kWindowNameMax = 24, kToolTipNameMax = 28;

struct TItemStatus {
    std::wstring State, Timeout, ToolTip;
};

TItemStatus ItemStatus(const TPowerSetting& setting, const TStatusContext& context, const std::wstring& note,
                       bool managed) {
    TItemStatus item;
    const bool period = managed && context.DeactivateForRunning;
    if (setting.Active)
        item.State = setting.Timeout > kContinuousModeDelayMax ? L"Yes" : L"Continuous";
    else if (period)
        item.State = L"Deactivated until " + context.DeactivatedUntil;
    else if (managed && !context.AutomaticCause.empty())
        item.State = L"Deactivated " + CauseText(context.AutomaticCause, kWindowNameMax);
    else
        item.State = L"No";
    item.Timeout = setting.Timeout == 0 ? kNeverText : std::to_wstring(setting.Timeout / 60) + L" minutes";
    if (period)
        item.ToolTip = item.State;
    else
        item.ToolTip = setting.Active ? L"Active" : setting.Timeout == 0 ? kNeverText : L"Inactive";
    if (!note.empty()) {
        item.State += L" " + note;
        item.ToolTip += L" " + note;
    }
    return item;
}

int IconIndex(const TDisplayPowerConfiguration& c, bool highColor) {
    const bool ss = c.ScreenSaverSetting.Active, po = c.PowerOffSetting.Active;
    const int index = ss && po ? 0 : !ss && !po ? 1 : ss ? 2 : 3;
    return highColor ? index + 4 : index;
}

}  // namespace

TStatusTexts ComputeStatus(const TDisplayPowerConfiguration& current,
                           const TStatusContext& context) {
    const TItemStatus ss =
        ItemStatus(current.ScreenSaverSetting, context, context.ScreenSaverNote, context.ManagesScreenSaver);
    const TItemStatus po = ItemStatus(current.PowerOffSetting, context, context.PowerOffNote, context.ManagesPowerOff);
    const std::wstring kept = context.KeptAwake ? (context.MaySleep ? kMaySleepText : kKeptAwakeText)
                              : context.NotKeptAwakeBelow
                                  ? L"battery below " + std::to_wstring(context.NotKeptAwakeBelow) + L" %: not kept awake"
                                  : L"";
    const std::wstring keptTip = kept.empty() ? L"" : L", " + kept;
    // An automatic deactivation's first line says why.
    const std::wstring toolTip =
        context.AutomaticCause.empty() || context.DeactivateForRunning
            ? L"Screen saver:  " + ss.ToolTip + L"\rMonitor power off:  " + po.ToolTip + keptTip
            : L"Deactivated " + CauseText(context.AutomaticCause, kToolTipNameMax) + L"\rScreen saver:  " +
                  ss.ToolTip + L", monitor power off:  " + po.ToolTip + keptTip;
    std::wstring keptLine = kept;
    if (!keptLine.empty()) keptLine[0] = static_cast<wchar_t>(std::towupper(keptLine[0]));
    return {ss.State, ss.Timeout, po.State, po.Timeout, toolTip, IconIndex(current, context.HighColorIcon), keptLine};
}

void TStatusPresenter::UpdateStatus() {
    if (FHeld) return;
    TStatusContext context{FConfig.DeactivateForRunning(), FConfig.FDeactivatedUntil, FHighColorIcon, {}, {},
                           FConfig.KeptAwake(), FConfig.AutomaticCause(), FConfig.NotKeptAwakeBelow(),
                           FConfig.MaySleep(), FConfig.ManagesScreenSaver(), FConfig.ManagesPowerOff()};
    if (FNotes) {
        context.ScreenSaverNote = FNotes->ScreenSaverNote();
        context.PowerOffNote = FNotes->PowerOffNote();
    }
    const TStatusTexts status = ComputeStatus(GetDisplayPowerConfiguration(FSpi), context);
    FView.ShowStatus(status);
    if (FHandedOver && status.ToolTip == FToolTip && status.IconIndex == FIconIndex) return;
    FToolTip = status.ToolTip;
    FIconIndex = status.IconIndex;
    FHandedOver = true;
    // The list's own picture: no temporary icon is made (and so none can be
    // left behind).
    FNotifyIcon.SetIconAndToolTip(FIcons.StateIcon(status.IconIndex), status.ToolTip);
}

}  // namespace lumivane
