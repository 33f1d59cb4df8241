#include "display/AwakeRequestWin32.h"

namespace lumivane {

namespace {
template <typename F>
void Find(F& function, HMODULE module, const char* name) {
    function = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
}  // namespace

TPowerRequestFunctions TPowerRequestFunctions::System() {
    TPowerRequestFunctions f;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    Find(f.Create, kernel, "PowerCreateRequest");
    Find(f.Set, kernel, "PowerSetRequest");
    Find(f.Clear, kernel, "PowerClearRequest");
    f.Close = CloseHandle;
    f.SetExecutionState = SetThreadExecutionState;
    return f;
}

bool TAwakeRequestWin32::Hold(const std::wstring& reason, bool display) {
    Release();
    if (F.Create && F.Set && F.Clear) {
        FReason = reason;
        REASON_CONTEXT context{};
        context.Version = POWER_REQUEST_CONTEXT_VERSION;
        context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
        context.Reason.SimpleReasonString = FReason.data();
        HANDLE request = F.Create(&context);
        if (request && request != INVALID_HANDLE_VALUE) {
            if (F.Set(request, PowerRequestSystemRequired) &&
                (!display || F.Set(request, PowerRequestDisplayRequired))) {
                FRequest = request;
                FDisplay = display;
                return true;
            }
            F.Clear(request, PowerRequestSystemRequired);
            F.Close(request);
        }
    }
    // The main thread's state: it holds while the thread lives.
    const EXECUTION_STATE state = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | (display ? ES_DISPLAY_REQUIRED : 0);
    FByExecutionState = F.SetExecutionState && F.SetExecutionState(state) != 0;
    return FByExecutionState;
}

void TAwakeRequestWin32::Release() {
    if (FRequest) {
        if (FDisplay) F.Clear(FRequest, PowerRequestDisplayRequired);
        F.Clear(FRequest, PowerRequestSystemRequired);
        F.Close(FRequest);
        FRequest = nullptr;
    }
    if (FByExecutionState) {
        F.SetExecutionState(ES_CONTINUOUS);
        FByExecutionState = false;
    }
}

}  // namespace lumivane
