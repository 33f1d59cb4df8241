// The command line as anyone may start the program with: any number of
// arguments of any UTF-16 text. Arguments are separated by a zero code unit
// in the input, which no real argument holds.
#include <algorithm>
#include <optional>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/Application.h"

using namespace lumivane;

namespace {

std::wstring UpperAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

bool SameTime(const std::optional<TTimeOfDay>& a, const std::optional<TTimeOfDay>& b) {
    return a.has_value() == b.has_value() &&
           (!a || (a->Hour == b->Hour && a->Minute == b->Minute && a->Second == b->Second));
}

bool SameCommandLine(const TCommandLine& a, const TCommandLine& b) {
    return a.Quiet == b.Quiet && a.Commands == b.Commands && a.Control == b.Control && a.PeriodMs == b.PeriodMs &&
           SameTime(a.Until, b.Until) && a.Help == b.Help && a.Error.empty() == b.Error.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Utf16(data, size);
    std::vector<std::wstring> args;
    if (!text.empty()) {
        args.emplace_back();
        for (const wchar_t c : text) {
            if (c == 0)
                args.emplace_back();
            else
                args.back() += c;
        }
    }
    const TCommandLine parsed = ParseCommandLine(args);
    FUZZ_CHECK(parsed.Commands.size() <= args.size());
    FUZZ_CHECK(!parsed.Quiet || !args.empty());
    // A command that runs is whole and in range; a refused one says why.
    if (parsed.Error.empty() && parsed.Control == TControlVerb::DeactivateFor)
        FUZZ_CHECK(parsed.PeriodMs >= kMinPeriodMs && parsed.PeriodMs <= kMaxPeriodMs);
    if (parsed.Error.empty() && parsed.Control == TControlVerb::DeactivateUntil)
        FUZZ_CHECK(parsed.Until && parsed.Until->Hour < 24 && parsed.Until->Minute < 60 && parsed.Until->Second < 60);
    FUZZ_CHECK(parsed.Error.empty() || !args.empty());

    // Letter case of A to Z never matters; nothing else is folded.
    std::vector<std::wstring> upper(args.size()), lower(args.size());
    std::transform(args.begin(), args.end(), upper.begin(), UpperAscii);
    std::transform(args.begin(), args.end(), lower.begin(), LowerAscii);
    FUZZ_CHECK(SameCommandLine(ParseCommandLine(upper), parsed));
    FUZZ_CHECK(SameCommandLine(ParseCommandLine(lower), parsed));
    for (const std::wstring& arg : lower) {
        for (const wchar_t c : arg) FUZZ_CHECK(!(c >= L'A' && c <= L'Z'));
    }
    for (size_t i = 0; i < args.size(); ++i) {
        FUZZ_CHECK(lower[i].size() == args[i].size());
        for (size_t k = 0; k < args[i].size(); ++k) {
            const wchar_t c = args[i][k];
            if (!(c >= L'A' && c <= L'Z')) FUZZ_CHECK(lower[i][k] == c);
        }
    }

    // A command is found wherever it stands; only -quiet must come first.
    std::vector<std::wstring> shifted = args;
    shifted.insert(shifted.begin(), L"x");
    const TCommandLine later = ParseCommandLine(shifted);
    FUZZ_CHECK(later.Commands == parsed.Commands);
    FUZZ_CHECK(later.Control == parsed.Control && later.Error.empty() == parsed.Error.empty());
    FUZZ_CHECK(!later.Quiet);
    return 0;
}
