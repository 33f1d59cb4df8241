#include "app/RunningCopy.h"

namespace lumivane {

TCopyChoice ChooseCopy(const std::vector<TCandidate>& candidates, uint32_t own) {
    TCopyChoice choice;
    if (!candidates.empty()) choice.Kind = TCopyChoice::TKind::LookAlike;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const TCandidate& c = candidates[i];
        // A level that cannot be read is no proof of anything: not the copy.
        if (!c.SameUser || !c.SameSession || !c.IsProgram || !c.Integrity) continue;
        // Below the sender's level, anything that runs at that lower level
        // could pose as the copy, unless it runs the very program beside
        // this one (an elevated setup ending the user's copy): whoever can
        // write that folder can change this program too.
        if (*c.Integrity < own) {
            if (c.BesideThis) return {TCopyChoice::TKind::Copy, i};
            continue;
        }
        if (*c.Integrity == own) return {TCopyChoice::TKind::Copy, i};
        if (choice.Kind != TCopyChoice::TKind::Above) choice = {TCopyChoice::TKind::Above, i};
    }
    return choice;
}

}  // namespace lumivane
