// The automatic deactivation's list as anyone may have stored it
// (REG_MULTI_SZ): any bytes in, a clean refusal or names that read back the
// same out; the list the program keeps from them holds only file names.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "sources/Triggers.h"

using namespace lumivane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const auto names = DecodeMultiString(bytes);
    if (!names) return 0;
    for (const auto& name : *names) FUZZ_CHECK(!name.empty() && name.find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(DecodeMultiString(EncodeMultiString(*names)) == names);
    const auto list = CleanProgramList(*names);
    FUZZ_CHECK(list.size() <= kProgramsMax && list.size() <= names->size());
    for (size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(!list[i].empty() && list[i].size() <= kProgramNameMax);
        FUZZ_CHECK(list[i].find_first_of(L"\\/") == std::wstring::npos);
        FUZZ_CHECK(SameProgram(list[i], list[i]));
        for (size_t j = 0; j < i; ++j) FUZZ_CHECK(!SameProgram(list[i], list[j]));
    }
    return 0;
}
