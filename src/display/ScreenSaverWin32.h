#pragma once
#include "display/ScreenSaver.h"

namespace lumivane {

// The system's own user-parameter call.
class TSystemParametersWin32 final : public ISystemParameters {
public:
    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;
};

}  // namespace lumivane
