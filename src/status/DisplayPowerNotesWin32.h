#pragma once
// What Windows 10 and 11 say about the two items beyond their values: a
// group policy that sets them, and a screen saver that is "active" with no
// program chosen, so that nothing ever starts.
#include <windows.h>

#include "status/StatusPresentation.h"
#include "display/PowerPlan.h"
#include "display/PowerPlanWin32.h"

namespace lumivane {

class TDisplayPowerNotesWin32 final : public IDisplayPowerNotes {
public:
    TDisplayPowerNotesWin32(const TPowerPlanParameters& plan, TPowerPlanWin32& functions)
        : FPlan(plan), FFunctions(functions) {}
    std::wstring ScreenSaverNote() override;
    std::wstring PowerOffNote() override;
    // Settings or policies were announced as changed: read them again. The
    // status asks twice a second; the registry is read only after this.
    void Reload() { FLoaded = false; }

private:
    void Load();
    const TPowerPlanParameters& FPlan;
    TPowerPlanWin32& FFunctions;
    bool FLoaded = false;
    std::wstring FScreenSaverNote;
    bool FPowerOffPolicy = false;
};

}  // namespace lumivane
