#include "display/ScreenSaverWin32.h"

#include <windows.h>

namespace lumivane {

bool TSystemParametersWin32::Call(uint32_t action, uint32_t uiParam, void* pvParam,
                                  uint32_t fWinIni) {
    return SystemParametersInfoW(action, uiParam, pvParam, fWinIni) != FALSE;
}

}  // namespace lumivane
