// The restore journal as a lost run, an older version or a hand edit may
// have left it: any text decodes or is refused, and whatever decodes
// encodes to a text that decodes to the same journal.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "config/RestoreJournal.h"

using namespace lumivane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Utf16(data, size);
    const std::optional<TJournal> journal = DecodeJournal(text);
    if (!journal) return 0;
    FUZZ_CHECK(journal->Version >= 1 && journal->Version <= 3);
    FUZZ_CHECK(journal->Version == 3 ? journal->Plans.size() > 1 : journal->Plans.size() <= 1);
    for (const TPlanChange& c : journal->Plans) FUZZ_CHECK(c.Initial.Plan == c.Last.Plan);
    const std::wstring encoded = EncodeJournal(*journal);
    const std::optional<TJournal> again = DecodeJournal(encoded);
    FUZZ_CHECK(again.has_value());
    // The program writes only the newest version: an older journal comes
    // back as the same journal in it.
    TJournal expected = *journal;
    if (expected.Version == 1) expected.Version = 2;
    FUZZ_CHECK(*again == expected);
    FUZZ_CHECK(EncodeJournal(*again) == encoded);
    return 0;
}
