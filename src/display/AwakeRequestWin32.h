#pragma once
// Keeps the computer (and, when asked, the display) awake with a power
// request, which "powercfg /requests" lists with its reason and which the
// system drops when the process ends, however it ends. The request functions
// are looked up at run time; where they are missing the thread's execution
// state does it.
#include <windows.h>

#include <string>

#include "display/KeepAwake.h"

namespace lumivane {

// The system's functions for it, replaceable so that both ways can be
// driven where the system has only one.
struct TPowerRequestFunctions {
    HANDLE(WINAPI* Create)(PREASON_CONTEXT) = nullptr;
    BOOL(WINAPI* Set)(HANDLE, POWER_REQUEST_TYPE) = nullptr;
    BOOL(WINAPI* Clear)(HANDLE, POWER_REQUEST_TYPE) = nullptr;
    BOOL(WINAPI* Close)(HANDLE) = nullptr;
    EXECUTION_STATE(WINAPI* SetExecutionState)(EXECUTION_STATE) = nullptr;
    // kernel32's, where it has them.
    static TPowerRequestFunctions System();
};

class TAwakeRequestWin32 final : public IAwakeRequest {
public:
    explicit TAwakeRequestWin32(const TPowerRequestFunctions& functions = TPowerRequestFunctions::System())
        : F(functions) {}
    ~TAwakeRequestWin32() override { Release(); }
    TAwakeRequestWin32(const TAwakeRequestWin32&) = delete;
    TAwakeRequestWin32& operator=(const TAwakeRequestWin32&) = delete;

    bool Hold(const std::wstring& reason, bool display) override;
    void Release() override;
    // What holds it now: a power request, or the thread's execution state.
    bool ByPowerRequest() const { return FRequest != nullptr; }
    bool ByExecutionState() const { return FByExecutionState; }

private:
    TPowerRequestFunctions F;
    HANDLE FRequest = nullptr;
    bool FDisplay = false;
    bool FByExecutionState = false;
    std::wstring FReason;  // the request keeps a pointer to it
};

}  // namespace lumivane
