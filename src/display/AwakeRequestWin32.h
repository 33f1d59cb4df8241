#pragma once
// Keeps the computer and the display awake with a power request, which
// "powercfg /requests" lists with its reason and which the system drops when
// the process ends, however it ends. The request functions are looked up at
// run time; where they are missing the thread's execution state does it.
#include <windows.h>

#include <string>

#include "display/KeepAwake.h"

namespace lumivane {

class TAwakeRequestWin32 final : public IAwakeRequest {
public:
    TAwakeRequestWin32();
    ~TAwakeRequestWin32() override { Release(); }
    TAwakeRequestWin32(const TAwakeRequestWin32&) = delete;
    TAwakeRequestWin32& operator=(const TAwakeRequestWin32&) = delete;

    bool Hold(const std::wstring& reason) override;
    void Release() override;
    // What holds it now: a power request, or the thread's execution state.
    bool ByPowerRequest() const { return FRequest != nullptr; }
    bool ByExecutionState() const { return FByExecutionState; }

private:
    using TCreate = HANDLE(WINAPI*)(PREASON_CONTEXT);
    using TSet = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);
    TCreate FCreate = nullptr;
    TSet FSet = nullptr, FClear = nullptr;
    HANDLE FRequest = nullptr;
    bool FByExecutionState = false;
    std::wstring FReason;  // the request keeps a pointer to it
};

}  // namespace lumivane
