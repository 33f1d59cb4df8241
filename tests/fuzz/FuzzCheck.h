#pragma once
// A property that must hold for every input: a failure aborts, so that
// libFuzzer keeps the input and the run fails, in any build type.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace lumivane::fuzz {

// UTF-16 code units, little-endian, as the registry and the command line
// hand text to the program; an odd last byte is dropped.
inline std::wstring Utf16(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    return text;
}

}  // namespace lumivane::fuzz
