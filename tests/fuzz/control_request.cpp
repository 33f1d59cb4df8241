// What another process hands the running copy (WM_COPYDATA) and what a
// second start reads back: any bytes in, a clean refusal or a request that
// is exactly what it says out.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "app/Control.h"

using namespace lumivane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto request = DecodeRequest(data, size)) {
        // Only the one layout is taken, and it says the request back whole.
        const auto bytes = EncodeRequest(*request);
        FUZZ_CHECK(size == bytes.size() && std::memcmp(data, bytes.data(), size) == 0);
        if (request->Verb == TControlVerb::DeactivateFor)
            FUZZ_CHECK(request->Ms >= kMinPeriodMs && request->Ms <= kMaxPeriodMs);
        else if (request->Verb == TControlVerb::DeactivateUntil)
            FUZZ_CHECK(request->Ms > 0 && request->Ms <= kMaxUntilMs);
        else if (request->Verb == TControlVerb::WhileProcess)
            FUZZ_CHECK(request->Ms > 0);  // a process id
        else
            FUZZ_CHECK(request->Ms == 0);
    }
    if (size >= 8) {
        uint64_t value = 0;
        std::memcpy(&value, data, 8);
        if (const auto reply = DecodeReply(value)) FUZZ_CHECK(EncodeReply(*reply) == value);
    }
    return 0;
}
