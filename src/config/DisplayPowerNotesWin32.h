#pragma once
// What Windows 10 and 11 say about the two items beyond their values: a
// group policy that sets them, and a screen saver that is "active" with no
// program chosen, so that nothing ever starts.
#include <windows.h>

#include "config/StatusPresentation.h"
#include "display/PowerPlan.h"

namespace lumivane {

class TDisplayPowerNotesWin32 final : public IDisplayPowerNotes {
public:
    explicit TDisplayPowerNotesWin32(const TPowerPlanParameters& plan) : FPlan(plan) {}
    std::wstring ScreenSaverNote() override;
    std::wstring PowerOffNote() override;

private:
    const TPowerPlanParameters& FPlan;
};

}  // namespace lumivane
