#pragma once
// Stand-ins for what the main window gives the configuration logic: its option
// check boxes, the clock, the status refresh and the message pump.
#include <functional>
#include <string>
#include <vector>
#include <utility>

#include "config/ManagedConfiguration.h"

namespace lumivane::test {

struct TFakeOptions final : IConfigurationOptions {
    // The window's defaults.
    bool Manage[2] = {true, true};  // screen saver, power off
    bool Update = false, Preserve = false, Restore = true;
    bool ManageScreenSaver() const override { return Manage[0]; }
    bool ManagePowerOff() const override { return Manage[1]; }
    bool UpdateSettings() const override { return Update; }
    bool PreserveConfiguration() const override { return Preserve; }
    bool RestoreConfiguration() const override { return Restore; }
};

// Records what is held: "hold <reason>" (", display" when the display is
// held too) and "release".
struct TAwakeLog final : IAwakeRequest {
    std::vector<std::string> Calls;
    bool Answers = true;
    int Held = 0;
    bool Display = false;
    std::wstring Reason;
    bool Hold(const std::wstring& reason, bool display) override {
        Calls.push_back("hold " + std::string(reason.begin(), reason.end()) + (display ? ", display" : ""));
        Reason = reason;
        Display = display;
        Held += Answers;
        return Answers;
    }
    void Release() override {
        Calls.push_back("release");
        --Held;
    }
};

struct TFakeClock final : IClock {
    TTimeOfDay Time{14, 5, 20, 0};
    TLongTimeFormat Format{L"HH:mm:ss", L"AM", L"PM"};
    uint64_t Wall = 1000000;  // ms
    uint64_t ChangeAt = UINT64_MAX;  // a change of the clock: from here on it shows ChangeMs more
    int64_t ChangeMs = 0;
    TTimeOfDay Now() const override { return Time; }
    uint64_t WallClockMs() const override { return Wall; }
    TLocalTime LocalTimeOf(uint64_t ms) const override {
        return {{}, TimeOfDayAfter(Time, 86'400'000 + ms - Wall + (ms >= ChangeAt ? ChangeMs : 0))};
    }
    TLongTimeFormat LongTimeFormat() const override { return Format; }
};

struct TStatusCounter final : IStatusRefresh {
    int Count = 0;
    std::function<void()> OnUpdate;
    void UpdateStatus() override {
        ++Count;
        if (OnUpdate) OnUpdate();
    }
};

struct TFakePump final : IMessagePump {
    std::function<void()> Pending;  // runs once, as a queued message would
    int Count = 0;
    void ProcessMessages() override {
        ++Count;
        if (auto p = std::exchange(Pending, nullptr)) p();
    }
};

}  // namespace lumivane::test
