// The options as the registry hands them back: values of any type, length
// and bytes under the options key, as another version, a tool or a hand
// edit may have left them. Loading never fails, keeps every control within
// its range and writes nothing; what it loaded saves and loads back alike.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <utility>  // before the fakes, which use std::exchange without it

#include "FuzzCheck.h"
#include "fakes/FakeCore.h"
#include "ui/MainContents.h"

using namespace lumivane;
using namespace lumivane::test;

namespace {

using C = TControlId;

using TStore = TStoreOnFakes;

// What loading put into the form, control by control.
std::vector<int64_t> Loaded(const TStore& s) {
    std::vector<int64_t> values;
    for (const TOptionRow& row : OptionRows()) {
        switch (row.Kind) {
        case TOptionKind::Bool: values.push_back(s.form.Checked(row.Control)); break;
        case TOptionKind::Delay: values.push_back(s.form.ContinuousModeDelay()); break;
        case TOptionKind::HotKey: values.push_back(s.form.HotKey(row.Control)); break;
        case TOptionKind::ItemIndex: values.push_back(s.form.ItemIndex(row.Control)); break;
        }
    }
    values.push_back(s.highColor);
    return values;
}

using TKeys = decltype(TFakeRegistry::Keys);

bool SameKeys(const TKeys& a, const TKeys& b) {
    const auto sameValue = [](const auto& x, const auto& y) {
        return x.first == y.first && x.second.Type == y.second.Type && x.second.Data == y.second.Data;
    };
    const auto sameKey = [&](const auto& x, const auto& y) {
        return x.first == y.first && std::equal(x.second.begin(), x.second.end(), y.second.begin(),
                                                y.second.end(), sameValue);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameKey);
}

// The input, read from the front; past its end every read gives zeros.
class TReader {
public:
    TReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint32_t Dword() { return Word() | static_cast<uint32_t>(Word()) << 16; }
    std::vector<uint8_t> Bytes(size_t count) {
        std::vector<uint8_t> bytes;
        while (bytes.size() < count && FPos < FSize) bytes.push_back(FData[FPos++]);
        return bytes;
    }
    bool AtEnd() const { return FPos >= FSize; }

private:
    const uint8_t* FData;
    size_t FSize, FPos = 0;
};

// A row's name by its index, the high-colour icon's next, then a name of
// the input's own (a misspelt one, one the program never used).
std::wstring ValueName(TReader& in) {
    const auto rows = OptionRows();
    const size_t index = in.Byte() % (rows.size() + 2);
    if (index < rows.size()) return rows[index].Name;
    if (index == rows.size()) return kHighColorNotifyIconValue;
    const std::vector<uint8_t> bytes = in.Bytes(in.Byte() % 64);
    return fuzz::Utf16(bytes.data(), bytes.size());
}

// Below 0x80 one of the small types (text 1 and number 4 among them),
// otherwise any 32-bit type that follows.
uint32_t ValueType(TReader& in) {
    const uint8_t selector = in.Byte();
    return selector < 0x80 ? selector & 0x0F : in.Dword();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReader in(data, size);
    const uint8_t flags = in.Byte();
    const int32_t screenSaverTimeout = in.Word(), powerOffTimeout = in.Word();
    const TDisplayPowerConfiguration atStart{{(flags & 1) != 0, screenSaverTimeout},
                                             {(flags & 2) != 0, powerOffTimeout}};
    TStore first(atStart);
    first.visualStyles = (flags & 4) != 0;
    const bool keyExists = (flags & 8) == 0;
    auto& values = first.registry.Keys[kOptionsKey];
    const int count = in.Byte() % 25;
    for (int i = 0; i < count && !in.AtEnd(); ++i) {
        const std::wstring name = ValueName(in);
        const uint32_t type = ValueType(in);
        values[name] = {type, in.Bytes(in.Byte() % 17)};
    }
    if (!keyExists) first.registry.Keys.erase(kOptionsKey);
    const auto stored = first.registry.Keys;

    first.store.LoadOptions();
    FUZZ_CHECK(first.errors.Shown.empty());
    FUZZ_CHECK(SameKeys(first.registry.Keys, stored));
    FUZZ_CHECK(first.registry.Opened == first.registry.Closed);
    const int delay = first.form.ContinuousModeDelay();
    FUZZ_CHECK(delay >= TMainForm::udDelayMin && delay <= TMainForm::udDelayMax);
    const int click = first.form.ItemIndex(C::cmbTrayIconClick);
    const int doubleClick = first.form.ItemIndex(C::cmbTrayIconDoubleClick);
    FUZZ_CHECK(click >= -1 && click < static_cast<int>(TrayClickItems().size()));
    FUZZ_CHECK(doubleClick >= -1 && doubleClick < static_cast<int>(TrayDoubleClickItems().size()));

    // Saved and loaded by a later run, on another machine state at start.
    FUZZ_CHECK(first.store.SaveOptions());
    TStore second({{!atStart.ScreenSaverSetting.Active, 60}, {!atStart.PowerOffSetting.Active, 120}});
    second.visualStyles = first.visualStyles;
    second.registry.Keys = first.registry.Keys;
    second.store.LoadOptions();
    FUZZ_CHECK(second.errors.Shown.empty());
    FUZZ_CHECK(Loaded(second) == Loaded(first));
    return 0;
}
