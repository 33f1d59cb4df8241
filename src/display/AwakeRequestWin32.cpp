#include "display/AwakeRequestWin32.h"

namespace lumivane {

namespace {
template <typename F>
F Function(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
}  // namespace

TAwakeRequestWin32::TAwakeRequestWin32() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FCreate = Function<TCreate>(kernel, "PowerCreateRequest");
    FSet = Function<TSet>(kernel, "PowerSetRequest");
    FClear = Function<TSet>(kernel, "PowerClearRequest");
}

bool TAwakeRequestWin32::Hold(const std::wstring& reason) {
    Release();
    if (FCreate && FSet && FClear) {
        FReason = reason;
        REASON_CONTEXT context{};
        context.Version = POWER_REQUEST_CONTEXT_VERSION;
        context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
        context.Reason.SimpleReasonString = FReason.data();
        HANDLE request = FCreate(&context);
        if (request && request != INVALID_HANDLE_VALUE) {
            if (FSet(request, PowerRequestSystemRequired) && FSet(request, PowerRequestDisplayRequired)) {
                FRequest = request;
                return true;
            }
            FClear(request, PowerRequestSystemRequired);
            CloseHandle(request);
        }
    }
    // The main thread's state: it holds while the thread lives.
    FByExecutionState = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED) != 0;
    return FByExecutionState;
}

void TAwakeRequestWin32::Release() {
    if (FRequest) {
        FClear(FRequest, PowerRequestDisplayRequired);
        FClear(FRequest, PowerRequestSystemRequired);
        CloseHandle(FRequest);
        FRequest = nullptr;
    }
    if (FByExecutionState) {
        SetThreadExecutionState(ES_CONTINUOUS);
        FByExecutionState = false;
    }
}

}  // namespace lumivane
