#pragma once
// The program's only access to the screen-saver and monitor power-off
// parameters of the user's desktop. Portable: the platform call comes in
// through ISystemParameters.
#include <cstdint>

namespace lumivane {

// Setting of one display-power feature.
struct TPowerSetting {
    bool Active = false;
    int32_t Timeout = 0;  // seconds of inactivity before the feature starts

    friend bool operator==(const TPowerSetting&, const TPowerSetting&) = default;
};

// Snapshot of both features.
struct TDisplayPowerConfiguration {
    TPowerSetting ScreenSaverSetting;
    TPowerSetting PowerOffSetting;

    friend bool operator==(const TDisplayPowerConfiguration&,
                           const TDisplayPowerConfiguration&) = default;
};

// Action codes of the system's user-parameter call.
namespace spi {
constexpr uint32_t kGetScreenSaveTimeout = 14;
constexpr uint32_t kSetScreenSaveTimeout = 15;
constexpr uint32_t kGetScreenSaveActive = 16;
constexpr uint32_t kSetScreenSaveActive = 17;
constexpr uint32_t kGetLowPowerTimeout = 79;
constexpr uint32_t kGetPowerOffTimeout = 80;
constexpr uint32_t kSetLowPowerTimeout = 81;
constexpr uint32_t kSetPowerOffTimeout = 82;
constexpr uint32_t kGetLowPowerActive = 83;
constexpr uint32_t kGetPowerOffActive = 84;
constexpr uint32_t kSetLowPowerActive = 85;
constexpr uint32_t kSetPowerOffActive = 86;
constexpr uint32_t kUpdateIniFile = 1;  // fWinIni: store in the user's profile
}  // namespace spi

// Seam for the one platform call: action code, integer, pointer, fWinIni.
// Getters pass the address of a 32-bit integer; returns false on failure.
class ISystemParameters {
public:
    virtual ~ISystemParameters() = default;
    virtual bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) = 0;
};

// Within one tick the watchdog's look and the status refresh ask the same
// settings: each is asked of the system once, answer or failure alike (Wine
// answers each read with a trip to its server). Any other call forgets every
// answer; outside a tick every read goes through.
class TOncePerTickParameters final : public ISystemParameters {
public:
    explicit TOncePerTickParameters(ISystemParameters& inner);
    bool Call(uint32_t action, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;
    void BeginTick() {
        FInTick = true;
        Forget();
    }
    void EndTick() { FInTick = false; }

private:
    struct TAnswer {
        uint32_t Action = 0;
        bool Known = false, Ok = false;
        int32_t Value = 0;
    };
    void Forget() {
        for (TAnswer& answer : FAnswers) answer.Known = false;
    }
    ISystemParameters& FInner;
    bool FInTick = false;
    TAnswer FAnswers[6];
};

// The twelve routines. Results of the platform call are not examined by
// callers; a failed query yields 0 (inactive, no time-out).
bool GetScreenSaverActive(ISystemParameters& spi);
void SetScreenSaverActive(ISystemParameters& spi, bool Active, bool UpdateIniFile);
int32_t GetScreenSaverTimeout(ISystemParameters& spi);
void SetScreenSaverTimeout(ISystemParameters& spi, int32_t Seconds, bool UpdateIniFile);
bool GetPowerOffActive(ISystemParameters& spi);
void SetPowerOffActive(ISystemParameters& spi, bool Active, bool UpdateIniFile);
int32_t GetPowerOffTimeout(ISystemParameters& spi);
void SetPowerOffTimeout(ISystemParameters& spi, int32_t Seconds, bool UpdateIniFile);

void GetScreenSaverConfiguration(ISystemParameters& spi, bool& Active, int32_t& Timeout);
void GetPowerOffConfiguration(ISystemParameters& spi, bool& Active, int32_t& Timeout);
void SetScreenSaverConfiguration(ISystemParameters& spi, bool Active, int32_t Timeout,
                                 bool UpdateIniFile);
void SetPowerOffConfiguration(ISystemParameters& spi, bool Active, int32_t Timeout,
                              bool UpdateIniFile);

// Both features, screen saver first.
TDisplayPowerConfiguration GetDisplayPowerConfiguration(ISystemParameters& spi);

}  // namespace lumivane
