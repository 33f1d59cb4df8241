#pragma once
// Stand-alone store of the display-power parameters, with the power-off and
// low-power phases apart, and a log of every call in order.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "display/ScreenSaver.h"

namespace lumivane::test {

struct TSpiCall {
    uint32_t Action;
    uint32_t UiParam;
    uint32_t WinIni;
    friend bool operator==(const TSpiCall&, const TSpiCall&) = default;
};

class TFakeSystemParameters final : public ISystemParameters {
public:
    bool ScreenSaverActive = false;
    int32_t ScreenSaverTimeout = 0;
    bool LowPowerActive = false;
    bool PowerOffActive = false;
    int32_t LowPowerTimeout = 0;
    int32_t PowerOffTimeout = 0;
    std::vector<TSpiCall> Calls;
    std::set<uint32_t> Failing;  // actions that fail

    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override {
        Calls.push_back({action, uiParam, fWinIni});
        auto* out = static_cast<int32_t*>(pvParam);
        if (Failing.count(action)) {
            if (out) *out = 0x5A5A5A5A;  // a failed call may leave anything behind
            return false;
        }
        const bool on = uiParam != 0;
        const auto secs = static_cast<int32_t>(uiParam);
        switch (action) {
        case spi::kGetScreenSaveActive: *out = ScreenSaverActive; break;
        case spi::kSetScreenSaveActive: ScreenSaverActive = on; break;
        case spi::kGetScreenSaveTimeout: *out = ScreenSaverTimeout; break;
        case spi::kSetScreenSaveTimeout: ScreenSaverTimeout = secs; break;
        case spi::kGetLowPowerActive: *out = LowPowerActive; break;
        case spi::kSetLowPowerActive: LowPowerActive = on; break;
        case spi::kGetPowerOffActive: *out = PowerOffActive; break;
        case spi::kSetPowerOffActive: PowerOffActive = on; break;
        case spi::kGetLowPowerTimeout: *out = LowPowerTimeout; break;
        case spi::kSetLowPowerTimeout: LowPowerTimeout = secs; break;
        case spi::kGetPowerOffTimeout: *out = PowerOffTimeout; break;
        case spi::kSetPowerOffTimeout: PowerOffTimeout = secs; break;
        default: return false;
        }
        return true;
    }

    // The configuration as the program sees it (the low-power phase).
    TDisplayPowerConfiguration Configuration() const {
        return {{ScreenSaverActive, ScreenSaverTimeout}, {LowPowerActive, LowPowerTimeout}};
    }
    void SetConfiguration(const TDisplayPowerConfiguration& c) {
        ScreenSaverActive = c.ScreenSaverSetting.Active;
        ScreenSaverTimeout = c.ScreenSaverSetting.Timeout;
        LowPowerActive = PowerOffActive = c.PowerOffSetting.Active;
        LowPowerTimeout = c.PowerOffSetting.Timeout;
    }
    // Only the calls that change something, as (action, uiParam, fWinIni).
    std::vector<TSpiCall> Sets() const {
        std::vector<TSpiCall> sets;
        for (const auto& c : Calls)
            if (c.Action == spi::kSetScreenSaveActive || c.Action == spi::kSetScreenSaveTimeout ||
                c.Action == spi::kSetLowPowerActive || c.Action == spi::kSetPowerOffActive ||
                c.Action == spi::kSetLowPowerTimeout || c.Action == spi::kSetPowerOffTimeout)
                sets.push_back(c);
        return sets;
    }
};

}  // namespace lumivane::test
