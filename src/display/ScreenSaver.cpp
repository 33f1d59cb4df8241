#include "display/ScreenSaver.h"

#include <iterator>

namespace lumivane {
namespace {

int32_t Query(ISystemParameters& spi, uint32_t action) {
    int32_t value = 0;
    // Wine, for one, does not implement the low-power time-out query: a
    // failed query must not hand back whatever the buffer held.
    if (!spi.Call(action, 0, &value, 0)) return 0;
    return value;
}

uint32_t WinIni(bool updateIniFile) { return updateIniFile ? spi::kUpdateIniFile : 0; }

constexpr uint32_t kTickReads[] = {spi::kGetScreenSaveActive, spi::kGetScreenSaveTimeout, spi::kGetLowPowerActive,
                                   spi::kGetLowPowerTimeout,  spi::kGetPowerOffActive,     spi::kGetPowerOffTimeout};

}  // namespace

TOncePerTickParameters::TOncePerTickParameters(ISystemParameters& inner) : FInner(inner) {
    static_assert(std::size(kTickReads) == 6);
    for (size_t i = 0; i < std::size(kTickReads); ++i) FAnswers[i].Action = kTickReads[i];
}

bool TOncePerTickParameters::Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
    TAnswer* answer = nullptr;
    if (pvParam && uiParam == 0 && fWinIni == 0)
        for (TAnswer& a : FAnswers)
            if (a.Action == action) answer = &a;
    // Anything else may change any setting: every answer is asked again.
    if (!answer) Forget();
    if (!answer || !FInTick) return FInner.Call(action, uiParam, pvParam, fWinIni);
    if (!answer->Known) {
        answer->Ok = FInner.Call(action, 0, &answer->Value, 0);
        answer->Known = true;
    }
    if (answer->Ok) *static_cast<int32_t*>(pvParam) = answer->Value;
    return answer->Ok;
}

bool GetScreenSaverActive(ISystemParameters& spi) {
    return Query(spi, spi::kGetScreenSaveActive) != 0;
}

void SetScreenSaverActive(ISystemParameters& spi, bool Active, bool UpdateIniFile) {
    spi.Call(spi::kSetScreenSaveActive, Active ? 1 : 0, nullptr, WinIni(UpdateIniFile));
}

int32_t GetScreenSaverTimeout(ISystemParameters& spi) {
    return Query(spi, spi::kGetScreenSaveTimeout);
}

void SetScreenSaverTimeout(ISystemParameters& spi, int32_t Seconds, bool UpdateIniFile) {
    spi.Call(spi::kSetScreenSaveTimeout, static_cast<uint32_t>(Seconds), nullptr,
             WinIni(UpdateIniFile));
}

// The program's "power off" is the monitor's low-power phase: read the
// low-power values, but switch both phases together.
bool GetPowerOffActive(ISystemParameters& spi) {
    return Query(spi, spi::kGetLowPowerActive) != 0;
}

void SetPowerOffActive(ISystemParameters& spi, bool Active, bool UpdateIniFile) {
    spi.Call(spi::kSetPowerOffActive, Active ? 1 : 0, nullptr, WinIni(UpdateIniFile));
    spi.Call(spi::kSetLowPowerActive, Active ? 1 : 0, nullptr, WinIni(UpdateIniFile));
}

int32_t GetPowerOffTimeout(ISystemParameters& spi) {
    return Query(spi, spi::kGetLowPowerTimeout);
}

void SetPowerOffTimeout(ISystemParameters& spi, int32_t Seconds, bool UpdateIniFile) {
    spi.Call(spi::kSetLowPowerTimeout, static_cast<uint32_t>(Seconds), nullptr,
             WinIni(UpdateIniFile));
}

void GetScreenSaverConfiguration(ISystemParameters& spi, bool& Active, int32_t& Timeout) {
    Active = GetScreenSaverActive(spi);
    Timeout = GetScreenSaverTimeout(spi);
}

void GetPowerOffConfiguration(ISystemParameters& spi, bool& Active, int32_t& Timeout) {
    Active = GetPowerOffActive(spi);
    Timeout = GetPowerOffTimeout(spi);
}

void SetScreenSaverConfiguration(ISystemParameters& spi, bool Active, int32_t Timeout,
                                 bool UpdateIniFile) {
    SetScreenSaverActive(spi, Active, UpdateIniFile);
    SetScreenSaverTimeout(spi, Timeout, UpdateIniFile);
}

void SetPowerOffConfiguration(ISystemParameters& spi, bool Active, int32_t Timeout,
                              bool UpdateIniFile) {
    SetPowerOffActive(spi, Active, UpdateIniFile);
    SetPowerOffTimeout(spi, Timeout, UpdateIniFile);
}

TDisplayPowerConfiguration GetDisplayPowerConfiguration(ISystemParameters& spi) {
    TDisplayPowerConfiguration c;
    GetScreenSaverConfiguration(spi, c.ScreenSaverSetting.Active, c.ScreenSaverSetting.Timeout);
    GetPowerOffConfiguration(spi, c.PowerOffSetting.Active, c.PowerOffSetting.Timeout);
    return c;
}

}  // namespace lumivane
