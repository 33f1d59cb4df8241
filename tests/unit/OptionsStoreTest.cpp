// The options across runs against a store in memory: each value's name and
// default, every kind of bad value, the order of the rows, and every way a
// save can fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/ExpectedTexts.h"
#include "sources/Policies.h"
#include "fakes/FakeCore.h"

namespace lumivane::test {
namespace {

using C = TControlId;

struct OptionsStoreTest : ::testing::Test, TStoreOnFakes {};

TEST_F(OptionsStoreTest, FirstRunTakesTheDefaultsAndSavesEachUnderItsName) {
    store.LoadOptions();
    EXPECT_FALSE(form.ManageScreenSaver()) << "the screen saver was off at start";
    EXPECT_TRUE(form.ManagePowerOff());
    EXPECT_EQ(listChanges, 2) << "the lists' handler runs after each list";
    EXPECT_TRUE(errors.Shown.empty());
    EXPECT_FALSE(highColor) << "neither stored nor visual styles";
    EXPECT_TRUE(registry.Keys.empty()) << "loading writes nothing";
    ASSERT_TRUE(store.SaveOptions());
    const auto activeAtStart = [](C box) { return box == C::cbManagePowerOff ? 1 : 0; };
    for (const TExpectedValue& value : kExpectedOptionValues) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(value.Name)));
        ASSERT_TRUE(registry.Has(key, value.Name));
        const TFakeRegistry::TValue& stored = registry.Keys[key][value.Name];
        EXPECT_EQ(stored.Type, value.Type);
        ASSERT_EQ(stored.Data.size(), 4u);
        EXPECT_EQ(registry.Dword(key, value.Name),
                  value.Default == kActiveAtStart ? activeAtStart(value.Control) : value.Default);
    }
}

TEST_F(OptionsStoreTest, BadValuesYieldTheirDefaults) {
    registry.Keys[key][StoredName(C::cbStartWithWindows)] = {kRegSz, {'1', 0, 0, 0}};  // text, not a number
    registry.PutDword(key, StoredName(C::cbRestoreConfiguration), 0, 2);              // 2 bytes
    registry.PutDword(key, StoredName(C::cbContinuousMode), 1, 8);                    // 8 bytes
    registry.PutDword(key, StoredName(C::cbPreserveConfiguration), 1, 0);             // empty
    registry.PutDword(key, L"Store changes permanently", 1);                          // without the blank
    store.LoadOptions();
    EXPECT_FALSE(form.Checked(C::cbStartWithWindows));
    EXPECT_TRUE(form.RestoreConfiguration());
    EXPECT_FALSE(form.ContinuousMode());
    EXPECT_FALSE(form.PreserveConfiguration());
    EXPECT_FALSE(form.UpdateSettings()) << "the name ends in one blank";
}

// What an administrator or a script may have written: anything malformed
// reads as its default, and what the dialog saves reads back the same.
TEST(TriggerStore, EachValueReadsAsItsDefaultUnlessWellFormed) {
    const std::vector<uint8_t> zero4{0, 0, 0, 0}, one4{1, 0, 0, 0};
    // Every character of the literal, its zeros included.
    const auto wide = []<size_t N>(const wchar_t(&s)[N]) {
        std::vector<uint8_t> bytes;
        for (wchar_t c : std::wstring_view(s, N - 1)) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
        return bytes;
    };
    using Names = std::vector<std::wstring>;
    const struct {
        const char* Name;
        std::wstring Value;
        uint32_t Type;
        std::vector<uint8_t> Data;
        Names Programs;
        bool FullScreen, OnlyOnMains, KeepAwake;
        uint32_t Floor = 0;
        bool Unread = false;  // kept as stored by the next save
    } rows[] = {
        {"nothing stored", L"", 0, {}, {}, false, false, true},
        {"KeepAwake 0", L"KeepAwake", kRegDword, zero4, {}, false, false, false},
        {"KeepAwake 2 bytes", L"KeepAwake", kRegDword, {0, 0}, {}, false, false, true},
        {"KeepAwake as text", L"KeepAwake", kRegSz, wide(L"0\0"), {}, false, false, true},
        {"KeepAwake as 4 binary bytes", L"KeepAwake", 3, zero4, {}, false, false, true},
        {"FullScreen 1", L"FullScreen", kRegDword, one4, {}, true, false, true},
        {"OnlyOnMains 8 bytes", L"OnlyOnMains", kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}, {}, false, false, true},
        {"a list", L"Programs", 7, wide(L"vlc.exe\0C:\\Office\\POWERPNT.EXE\0\0"),
         {L"vlc.exe", L"POWERPNT.EXE"}, false, false, true},
        {"a list without its closing zero", L"Programs", 7, wide(L"a.exe\0"), {L"a.exe"},
         false, false, true},
        {"a name without its zero", L"Programs", 7, wide(L"a.exe"), {}, false, false, true, 0, true},
        {"an odd byte count", L"Programs", 7, {'a', 0, 0}, {}, false, false, true, 0, true},
        {"a list as text", L"Programs", kRegSz, wide(L"a.exe\0"), {}, false, false, true, 0, true},
        {"a floor", L"MinBatteryPercent", kRegDword, {95, 0, 0, 0}, {}, false, false, true, 95},
        {"a floor below its range", L"MinBatteryPercent", kRegDword, {4, 0, 0, 0}, {}, false, false, true, 0},
        {"a floor far above it", L"MinBatteryPercent", kRegDword, {5, 0, 0, 1}, {}, false, false, true, 0},
        {"a floor as text", L"MinBatteryPercent", kRegSz, {20, 0, 0, 0}, {}, false, false, true, 0},
    };
    for (const auto& row : rows) {
        TFakeRegistry registry;
        registry.Keys[kTriggersKey];
        if (!row.Value.empty()) registry.Keys[kTriggersKey][row.Value] = {row.Type, row.Data};
        const TTriggerSettings read = LoadTriggers(registry);
        EXPECT_EQ(read, (TTriggerSettings{row.Programs, row.FullScreen, row.OnlyOnMains, row.KeepAwake, true, row.Floor, {}, row.Unread}))
            << row.Name;
        EXPECT_EQ(registry.Opened, registry.Closed) << row.Name;
    }
    TFakeRegistry registry;
    const TTriggerSettings saved{
        {L"mstsc.exe", L"My Player.exe"}, true, true, false, false, 30, {L"Mon-Fri 09:00-17:30", L"kept as typed"}};
    ASSERT_TRUE(SaveTriggers(registry, saved));
    EXPECT_EQ(LoadTriggers(registry), saved);
    registry.WritesAllowed = registry.Writes + 2;
    EXPECT_FALSE(SaveTriggers(registry, saved)) << "a refused write is told";
    registry.RefusedKeys = {kTriggersKey};
    EXPECT_FALSE(SaveTriggers(registry, saved)) << "and a key that cannot be opened";
}

// The longest lists read back whole through a store with the real limit; a longer one stays as stored.
TEST(TriggerStore, TheLongestListsReadBackWholeAndALongerOneIsKeptAsStored) {
    const struct { size_t Count, Length; bool InSchedule; } rows[] = {
        {150, 12, false}, {250, 12, false}, {kProgramsMax, kProgramNameMax, false}, {300, 255, false}, {300, 255, true}};
    for (const auto& row : rows) {
        TFakeRegistry registry;
        TTriggerSettings read;
        auto *list = row.InSchedule ? &read.Schedule : &read.Programs, *other = row.InSchedule ? &read.Programs : &read.Schedule;
        for (size_t i = 0; i < row.Count; ++i) list->push_back(std::wstring(row.Length - 7, L'p') + std::to_wstring(100 + i) + L".exe");
        ASSERT_TRUE(SaveTriggers(registry, read));
        const auto stored = registry.Keys[kTriggersKey][row.InSchedule ? L"Schedule" : L"Programs"].Data;
        read = LoadTriggers(registry);
        EXPECT_EQ(list->size(), row.Count <= kProgramsMax ? row.Count : 0) << row.Count;
        read.FullScreen = true, *other = {L"x.exe"};  // the dialog's OK: the rest is saved, the long list kept
        EXPECT_TRUE(SaveTriggers(registry, read) && LoadTriggers(registry) == read &&
                    registry.Keys[kTriggersKey][row.InSchedule ? L"Schedule" : L"Programs"].Data == stored) << row.Count;
    }
}

TEST(RegistryDefault, AStringIsReadOnlyFromATextValue) {
    TFakeRegistry registry;
    registry.PutDword(L"k", L"number", 1);
    TRegistryDefault reg(registry);
    ASSERT_TRUE(reg.OpenKey(L"k", false));
    std::wstring text = L"kept";
    EXPECT_FALSE(reg.ReadString(L"number", text));
    EXPECT_FALSE(reg.ReadString(L"missing", text));
    EXPECT_EQ(text, L"kept");
}

TEST_F(OptionsStoreTest, LoadedValuesRunTheirHandlersAndStayInTheirLimits) {
    registry.PutDword(key, StoredName(C::cbContinuousMode), 1);
    registry.PutDword(key, StoredName(C::edContinuousModeDelay), 99);
    registry.PutDword(key, StoredName(C::cbHotkeyPowerOff), 1);
    registry.PutDword(key, StoredName(C::HotKeyScreenSaver), 49235 | 0x10000);
    registry.PutDword(key, StoredName(C::cmbTrayIconDoubleClick), 9);
    registry.PutDword(key, StoredName(C::cmbTrayIconClick), 2);
    store.LoadOptions();
    EXPECT_TRUE(form.Enabled(C::edContinuousModeDelay)) << "the box's click handler ran";
    EXPECT_EQ(form.ContinuousModeDelay(), 10);
    EXPECT_TRUE(form.Enabled(C::HotKeyPowerOff));
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), 49235) << "the low 16 bits";
    EXPECT_EQ(form.ItemIndex(C::cmbTrayIconDoubleClick), -1);
    EXPECT_EQ(form.ItemIndex(C::cmbTrayIconClick), 2);
    registry.PutDword(key, StoredName(C::edContinuousModeDelay), 0);
    store.LoadOptions();
    EXPECT_EQ(form.ContinuousModeDelay(), 1);
    ASSERT_TRUE(store.SaveOptions());
    EXPECT_EQ(registry.Dword(key, StoredName(C::cmbTrayIconDoubleClick)), -1) << "no selection saves -1";
}

// What the form holds for a stored number, as its control shows it.
int Shown(const TMainForm& form, C control) {
    switch (control) {
    case C::edContinuousModeDelay: return form.ContinuousModeDelay();
    case C::HotKeyScreenSaver:
    case C::HotKeyPowerOff: return form.HotKey(control);
    default: return form.ItemIndex(control);
    }
}

TEST_F(OptionsStoreTest, StoredNumbersComeBackWithinTheirControlsRangeAndAreSavedAsFourByteNumbers) {
    using TValue = TFakeRegistry::TValue;
    const auto dword = [](int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        return TValue{kRegDword, {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)}};
    };
    const auto fallback = [](C control) { return ExpectedOption(control).Default; };
    const TValue text = {kRegSz, {'7', 0, 0, 0}};  // "7": four bytes, but text
    const TValue binary = {3, {0x51, 0x60, 0, 0}};  // REG_BINARY
    const TValue twoBytes = {kRegDword, {0x51, 0x60}}, eightBytes = {kRegDword, {0x51, 0x60, 0, 0, 0, 0, 0, 0}};
    const int lastDouble = kExpectedDoubleClickItems - 1, lastClick = kExpectedClickItems - 1;
    const struct {
        C Control;
        TValue Stored;
        int Loaded;  // also what the next save writes
    } rows[] = {
        // An index outside its own list leaves the list without a selection.
        {C::cmbTrayIconDoubleClick, dword(lastDouble), lastDouble},
        {C::cmbTrayIconDoubleClick, dword(lastDouble + 1), -1},
        {C::cmbTrayIconDoubleClick, dword(-1), -1},
        {C::cmbTrayIconDoubleClick, dword(INT32_MIN), -1},
        {C::cmbTrayIconClick, dword(lastClick), lastClick},
        {C::cmbTrayIconClick, dword(lastClick + 1), -1},
        {C::cmbTrayIconClick, dword(-2), -1},
        {C::cmbTrayIconClick, text, fallback(C::cmbTrayIconClick)},
        // The delay keeps within 1 to 10; what is no number keeps the default.
        {C::edContinuousModeDelay, dword(-5), 1},
        {C::edContinuousModeDelay, dword(0), 1},
        {C::edContinuousModeDelay, dword(1), 1},
        {C::edContinuousModeDelay, dword(10), 10},
        {C::edContinuousModeDelay, dword(11), 10},
        {C::edContinuousModeDelay, dword(INT32_MAX), 10},
        {C::edContinuousModeDelay, dword(INT32_MIN), 1},
        {C::edContinuousModeDelay, text, fallback(C::edContinuousModeDelay)},
        {C::edContinuousModeDelay, eightBytes, fallback(C::edContinuousModeDelay)},
        // A hot key is a four-byte number or its default.
        {C::HotKeyScreenSaver, text, fallback(C::HotKeyScreenSaver)},
        {C::HotKeyScreenSaver, twoBytes, fallback(C::HotKeyScreenSaver)},
        {C::HotKeyScreenSaver, eightBytes, fallback(C::HotKeyScreenSaver)},
        {C::HotKeyPowerOff, binary, fallback(C::HotKeyPowerOff)},
        {C::HotKeyPowerOff, TValue{kRegDword, {}}, fallback(C::HotKeyPowerOff)},
        {C::HotKeyPowerOff, dword(kScCtrl | kScShift | 'Q'), kScCtrl | kScShift | 'Q'},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const std::wstring name = StoredName(rows[i].Control);
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << testing::PrintToString(name));
        TStoreOnFakes fakes;
        fakes.registry.Keys[fakes.key][name] = rows[i].Stored;
        fakes.store.LoadOptions();
        EXPECT_EQ(Shown(fakes.form, rows[i].Control), rows[i].Loaded);
        ASSERT_TRUE(fakes.store.SaveOptions());
        const TValue& saved = fakes.registry.Keys[fakes.key][name];
        EXPECT_EQ(saved.Type, kRegDword);
        ASSERT_EQ(saved.Data.size(), 4u);
        EXPECT_EQ(fakes.registry.Dword(fakes.key, name), rows[i].Loaded);
    }
}

TEST_F(OptionsStoreTest, SaveWritesEveryRowInOrderKeepsRow17AndQuotesTheRunEntry) {
    registry.PutDword(key, kExpectedHighColorValue.Name, 1);
    form.SetChecked(C::cbStartWithWindows, true);
    form.SetHotKey(C::HotKeyPowerOff, 0x6000 | 'Q');
    ASSERT_TRUE(store.SaveOptions());
    EXPECT_EQ(registry.Writes, 17) << "16 rows and the Run entry";
    EXPECT_EQ(registry.Dword(key, StoredName(C::HotKeyPowerOff)), 0x6000 | 'Q');
    EXPECT_EQ(registry.Dword(key, StoredName(C::cbRestoreConfiguration)), 1);
    EXPECT_EQ(registry.Dword(key, kExpectedHighColorValue.Name), 1) << "row 17 is never written";
    EXPECT_EQ(registry.String(kExpectedRunKey, L"Lumivane"),
              L"\"C:\\Program Files\\Lumiv\u00e9ne\\Lumivane.exe\" -quiet");
    form.SetChecked(C::cbStartWithWindows, false);
    ASSERT_TRUE(store.SaveOptions());
    EXPECT_FALSE(registry.Has(kExpectedRunKey, L"Lumivane"));
    ASSERT_TRUE(store.SaveOptions()) << "no entry to remove is no error";
    EXPECT_TRUE(errors.Shown.empty());
    store.LoadOptions();
    EXPECT_TRUE(highColor);
    EXPECT_EQ(registry.Opened, registry.Closed) << "every key opened is closed";
    // A save cut off after n writes has written exactly the first n names, and
    // a whole save nothing else.
    for (size_t n = 0; n <= std::size(kExpectedOptionValues); ++n) {
        TStoreOnFakes fakes;
        fakes.registry.WritesAllowed = static_cast<int>(n);
        fakes.store.SaveOptions();
        std::set<std::wstring> expected;
        for (size_t i = 0; i < n; ++i) expected.insert(kExpectedOptionValues[i].Name);
        EXPECT_EQ(fakes.StoredNames(), expected) << n << " writes";
    }
}

// Task Manager's start-up marks: a flag of four bytes, then when it was set.
using TValue = TFakeRegistry::TValue;
const std::wstring kApproved = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const TValue kDisabledMark = {3, {0x03, 0, 0, 0, 0x10, 0x2A, 0x5C, 0x7E, 0x91, 0x4D, 0xDA, 0x01}};
const TValue kEnabledMark = {3, {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
const std::wstring kOurs = L"\"C:\\Program Files\\Lumiv\u00e9ne\\Lumivane.exe\" -quiet";
const std::wstring kInstalled = L"D:\\My Apps\\Lumivane.exe";

TEST(OptionsStoreStartup, ABoxLoadsCheckedOnlyWhenTheProgramWillReallyStart) {
    const struct {
        const char* Case;
        bool Stored;         // "Start with Windows" as stored
        const wchar_t* MarkName;
        TValue Mark;
        bool Checked;
    } rows[] = {
        {"no mark", true, nullptr, {}, true},
        {"disabled", true, L"Lumivane", kDisabledMark, false},
        {"any odd flag is disabled", true, L"Lumivane", {3, {0x01, 0, 0, 0}}, false},
        {"enabled", true, L"Lumivane", kEnabledMark, true},
        {"any even flag is enabled", true, L"Lumivane", {3, {0x06, 0, 0, 0}}, true},
        {"an empty mark says nothing", true, L"Lumivane", {3, {}}, true},
        {"a mark is binary", true, L"Lumivane", {kRegDword, {0x03, 0, 0, 0}}, true},
        {"another program's mark", true, L"Other", kDisabledMark, true},
        {"enabled does not start what is off", false, L"Lumivane", kEnabledMark, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Case);
        TStoreOnFakes fakes;
        fakes.registry.PutDword(fakes.key, StoredName(C::cbStartWithWindows), row.Stored);
        if (row.MarkName) fakes.registry.Keys[kApproved][row.MarkName] = row.Mark;
        fakes.store.LoadOptions();
        EXPECT_EQ(fakes.form.Checked(C::cbStartWithWindows), row.Checked);
    }
}

// What the start-up box is set to before each save, after a load.
enum TBox { Keep, Check, Uncheck };

TEST(OptionsStoreStartup, ASaveRemovesOnlyThisProgramsMarkAndOnlyWhenTheUserSaysItStarts) {
    const struct {
        const char* Case;
        bool Stored;
        std::optional<TValue> Mark;          // Lumivane's, at the load
        std::optional<TValue> MarkAfterLoad;  // set while the program ran
        TBox Box;
        std::optional<TValue> MarkAfter;
        bool Entry;                           // a Run entry after the save
        bool NoMarks = false;                 // not even the key of the marks
    } rows[] = {
        {"checked by the user", true, kDisabledMark, {}, Check, {}, true},
        {"no marks: the key is not made", true, {}, {}, Uncheck, {}, false, true},
        {"unchecked by the user", true, {}, kEnabledMark, Uncheck, {}, false},
        {"saved unchecked", true, kDisabledMark, {}, Keep, {}, false},
        {"disabled during the run", true, {}, kDisabledMark, Keep, kDisabledMark, true},
        {"an enabled mark is no disabled mark", true, kEnabledMark, {}, Keep, kEnabledMark, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Case);
        TStoreOnFakes fakes;
        fakes.registry.PutDword(fakes.key, StoredName(C::cbStartWithWindows), row.Stored);
        fakes.registry.Keys[kExpectedRunKey][L"Lumivane"] = {kRegSz, {}};
        if (!row.NoMarks) fakes.registry.Keys[kApproved][L"Other"] = kDisabledMark;
        if (row.Mark) fakes.registry.Keys[kApproved][L"Lumivane"] = *row.Mark;
        fakes.store.LoadOptions();
        if (row.MarkAfterLoad) fakes.registry.Keys[kApproved][L"Lumivane"] = *row.MarkAfterLoad;
        if (row.Box != Keep) fakes.form.SetChecked(C::cbStartWithWindows, row.Box == Check);
        ASSERT_TRUE(fakes.store.SaveOptions());
        EXPECT_EQ(fakes.registry.Has(kExpectedRunKey, L"Lumivane"), row.Entry);
        ASSERT_EQ(fakes.registry.Has(kApproved, L"Lumivane"), row.MarkAfter.has_value());
        if (row.MarkAfter) {
            EXPECT_EQ(fakes.registry.Keys[kApproved][L"Lumivane"].Data, row.MarkAfter->Data);
        }
        if (row.NoMarks) EXPECT_EQ(fakes.registry.Keys.count(kApproved), 0u);
        else EXPECT_EQ(fakes.registry.Keys[kApproved][L"Other"].Data, kDisabledMark.Data) << "never touched";
        EXPECT_EQ(fakes.registry.Opened, fakes.registry.Closed);
    }
}

TEST(OptionsStoreStartup, TheEntryIsMovedToThisCopyOnlyByTheUserOrWhenItLeadsNowhere) {
    const std::wstring elsewhere = L"\"" + kInstalled + L"\" -quiet";
    const struct {
        const char* Case;
        bool Stored;
        std::optional<std::wstring> Entry;  // the Run entry at the load
        bool InstalledExists;
        std::vector<TBox> Saves;  // the box before each save
        std::wstring After;
    } rows[] = {
        {"another copy's entry stays", true, elsewhere, true, {Keep}, elsewhere},
        {"and stays over several saves", true, elsewhere, true, {Keep, Keep}, elsewhere},
        {"its program is gone", true, elsewhere, false, {Keep}, kOurs},
        {"no entry", true, {}, true, {Keep}, kOurs},
        {"an empty entry", true, L"", true, {Keep}, kOurs},
        {"checked by the user", false, elsewhere, true, {Check}, kOurs},
        {"an unquoted path with blanks", true, kInstalled + L" -quiet", true, {Keep}, kInstalled + L" -quiet"},
        {"an unquoted path to nothing", true, kInstalled + L" -quiet", false, {Keep}, kOurs},
        {"a quotation mark left open", true, L"\"" + kInstalled, true, {Keep}, kOurs},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Case);
        TStoreOnFakes fakes;
        fakes.registry.PutDword(fakes.key, StoredName(C::cbStartWithWindows), row.Stored);
        if (row.Entry) {
            TRegistryDefault reg(fakes.registry);
            reg.OpenKey(kExpectedRunKey, true);
            reg.WriteString(L"Lumivane", *row.Entry);
        }
        if (row.InstalledExists) fakes.files = {kInstalled};
        fakes.store.LoadOptions();
        for (TBox box : row.Saves) {
            if (box != Keep) fakes.form.SetChecked(C::cbStartWithWindows, box == Check);
            ASSERT_TRUE(fakes.store.SaveOptions());
        }
        EXPECT_EQ(fakes.registry.String(kExpectedRunKey, L"Lumivane"), row.After);
    }
}

// An uninstall's step, for the program it removes and nothing else.
TEST(OptionsStoreStartup, AnUninstallTakesOnlyItsProgramsEntryWithItsMark) {
    const std::wstring program = L"C:\\Program Files\\Lumiv\u00e9ne\\Lumivane.exe";
    const struct { std::optional<std::wstring> Entry; bool Removed; } rows[] = {
        {kOurs, true},          {L"\"c:\\program files\\Lumiv\u00e9ne\\LUMIVANE.EXE\" -Quiet", true},
        {std::nullopt, false},  {L"\"" + kInstalled + L"\" -quiet", false}, {kOurs + L" -screensaver", false},
    };
    for (const auto& row : rows) {
        TFakeRegistry registry;
        TRegistryDefault run(registry);
        if (row.Entry && run.OpenKey(kExpectedRunKey, true)) run.WriteString(L"Lumivane", *row.Entry);
        run.CloseKey();
        registry.Keys[kApproved][L"Lumivane"] = registry.Keys[kApproved][L"Other"] = kDisabledMark;
        EXPECT_EQ(RemoveRunEntryOf(registry, L"Lumivane", program), row.Removed) << &row - rows;
        EXPECT_EQ(registry.Has(kExpectedRunKey, L"Lumivane"), row.Entry && !row.Removed);
        EXPECT_EQ(registry.Has(kApproved, L"Lumivane"), !row.Removed);
        EXPECT_TRUE(registry.Has(kApproved, L"Other"));
        EXPECT_EQ(registry.Opened, registry.Closed);
    }
    TFakeRegistry bare;  // Task Manager never marked anything: the removal makes no key for it
    TRegistryDefault run(bare);
    if (run.OpenKey(kExpectedRunKey, true)) run.WriteString(L"Lumivane", kOurs);
    run.CloseKey();
    EXPECT_TRUE(RemoveRunEntryOf(bare, L"Lumivane", program));
    EXPECT_FALSE(bare.Keys.count(kApproved));
}

// A forced start-up box: greyed, the entry at once, the user's choice kept.
TEST(OptionsStoreStartup, APolicyForcesTheEntryAndKeepsTheUsersOwnChoice) {
    for (const bool forced : {true, false}) {
        SCOPED_TRACE(forced);
        TStoreOnFakes fakes;
        fakes.registry.PutDword(fakes.key, StoredName(C::cbStartWithWindows), !forced);
        TPolicies policies;
        policies.Values[static_cast<size_t>(TPolicy::RunAtStartup)] = forced;
        fakes.config.SetPolicies(policies);
        fakes.store.LoadOptions();
        EXPECT_EQ(fakes.form.Checked(C::cbStartWithWindows), forced);
        EXPECT_FALSE(fakes.form.Enabled(C::cbStartWithWindows));
        EXPECT_EQ(fakes.registry.Has(kExpectedRunKey, L"Lumivane"), forced) << "at the start";
        ASSERT_TRUE(fakes.store.SaveOptions());
        EXPECT_EQ(fakes.registry.Dword(fakes.key, StoredName(C::cbStartWithWindows)), !forced) << "the user's";
        fakes.config.SetPolicies({});
        fakes.store.ApplyStartPolicy();
        EXPECT_TRUE(fakes.form.Enabled(C::cbStartWithWindows));
        EXPECT_EQ(fakes.registry.Has(kExpectedRunKey, L"Lumivane"), !forced) << "the user's choice again";
    }
}

// Machine before user; a restriction that cannot be read is its strictest
// setting, and only the start-up entry gives way to the next hive.
TEST(Policies, TheMachinesWellFormedValueWinsAndWindowsOwnCount) {
    const std::wstring ours = kPolicyKey, desktop = kDesktopPolicyKey;
    const struct {
        const char* Case;
        std::function<void(TFakeRegistry& machine, TFakeRegistry& user)> Set;
        TPolicy Policy;
        std::optional<uint32_t> Value;
    } rows[] = {
        {"machine wins", [&](auto& m, auto& u) { m.PutDword(ours, L"AllowDeactivation", 0), u.PutDword(ours, L"AllowDeactivation", 1); }, TPolicy::AllowDeactivation, 0},
        {"user alone", [&](auto&, auto& u) { u.PutDword(ours, L"MaxDeactivationMinutes", 1440); }, TPolicy::MaxDeactivationMinutes, 1440},
        {"out of range", [&](auto&, auto& u) { u.PutDword(ours, L"MaxDeactivationMinutes", 1441); }, TPolicy::MaxDeactivationMinutes, 1},
        {"no maximum", [&](auto&, auto& u) { u.PutDword(ours, L"MaxDeactivationMinutes", 0); }, TPolicy::MaxDeactivationMinutes, 1},
        {"allow 2", [&](auto&, auto& u) { u.PutDword(ours, L"AllowDeactivation", 2); }, TPolicy::AllowDeactivation, 0},
        {"text 1", [&](auto&, auto& u) { u.Keys[ours][L"AllowAutomaticDeactivation"] = {kRegSz, {'1', 0, 0, 0}}; }, TPolicy::AllowAutomaticDeactivation, 0},
        {"eight bytes", [&](auto&, auto& u) { u.PutDword(ours, L"AllowCommandLineControl", 1, 8); }, TPolicy::AllowCommandLineControl, 0},
        {"machine's out of range", [&](auto& m, auto& u) { m.PutDword(ours, L"KeepAwake", 2), u.PutDword(ours, L"KeepAwake", 1); }, TPolicy::KeepAwake, 0},
        {"start-up as text", [&](auto& m, auto& u) { m.Keys[ours][L"RunAtStartup"] = {kRegSz, {1, 0, 0, 0}}, u.PutDword(ours, L"RunAtStartup", 1); }, TPolicy::RunAtStartup, 1},
        {"start-up, eight bytes", [&](auto&, auto& u) { u.PutDword(ours, L"RunAtStartup", 1, 8); }, TPolicy::RunAtStartup, {}},
        {"key without the value", [&](auto&, auto& u) { u.Keys[ours]; }, TPolicy::AllowCommandLineControl, {}},
        {"floor below its range", [&](auto&, auto& u) { u.PutDword(ours, L"MinBatteryPercent", 4); }, TPolicy::MinBatteryPercent, 95},
        {"machine's list wins", [&](auto& m, auto& u) { m.Keys[ours][L"Schedule"] = {7, EncodeMultiString({L"a", L"b"})}, u.Keys[ours][L"Schedule"] = {7, {}}; }, TPolicy::Schedule, 2},
        {"list as text", [&](auto&, auto& u) { u.Keys[ours][L"Schedule"] = {kRegSz, {'M', 0, 0, 0}}; }, TPolicy::Schedule, 0},
        {"list without its zero", [&](auto&, auto& u) { u.Keys[ours][L"Schedule"] = {7, {'M', 0}}; }, TPolicy::Schedule, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Case);
        TFakeRegistry machine, user;
        r.Set(machine, user);
        EXPECT_EQ(ReadPolicies(machine, user).Value(r.Policy), r.Value);
        EXPECT_EQ(machine.Opened, machine.Closed);
    }
    TFakeRegistry machine, user;
    EXPECT_EQ(ReadPolicies(machine, user), TPolicies{}) << "nothing set";
    EXPECT_TRUE(machine.Keys.empty() && user.Keys.empty()) << "reading makes no key";
    user.Keys[desktop][L"ScreenSaverIsSecure"] = {kRegSz, {'1', 0, 0, 0}};
    machine.PutDword(kInactivityLockKey, kInactivityLockValue, 900);
    const TPolicies windows = ReadPolicies(machine, user);
    EXPECT_TRUE(windows.ScreenSaverByWindows && windows.InactivityLock);
    machine.PutDword(kInactivityLockKey, kInactivityLockValue, 0);
    EXPECT_FALSE(ReadPolicies(machine, user).InactivityLock) << "0 is no lock";
    machine.Keys[kInactivityLockKey][kInactivityLockValue] = {kRegSz, {'0', 0, 0, 0}};
    EXPECT_TRUE(ReadPolicies(machine, user).InactivityLock) << "a lock that cannot be read may be one";
    // In force: the administrator's list in place of the user's, and a floor that only rises.
    TPolicies theirs{.Schedule = std::vector<std::wstring>{L"a"}};
    theirs.Values[static_cast<size_t>(TPolicy::MinBatteryPercent)] = 30;
    for (const auto& [own, floor] : {std::pair{0u, 30u}, {20u, 30u}, {50u, 50u}}) {
        TTriggerSettings users;
        users.Schedule = {L"b"}, users.MinBatteryPercent = own;
        EXPECT_EQ(EffectiveTriggers(users, theirs).Schedule, *theirs.Schedule);
        EXPECT_EQ(EffectiveTriggers(users, theirs).MinBatteryPercent, floor) << own;
    }
}

TEST_F(OptionsStoreTest, EveryFailureOfASaveStopsWhereItHappenedWithItsMessage) {
    {  // The options key cannot be opened: nothing is written.
        registry.RefusedKeys = {key};
        EXPECT_FALSE(store.SaveOptions());
        EXPECT_EQ(errors.Shown, std::vector<std::wstring>{L"Operation aborted"});
        EXPECT_EQ(registry.Writes, 0);
    }
    registry.RefusedKeys.clear();
    errors.Shown.clear();
    {  // The fifth write fails: rows 1 to 4 stay, the rest and the Run entry are not written.
        form.SetChecked(C::cbStartWithWindows, true);
        registry.WritesAllowed = 4;
        EXPECT_FALSE(store.SaveOptions());
        EXPECT_EQ(errors.Shown, std::vector<std::wstring>{
                                    L"Error while writing in the Windows Registry.\rCheck that you have the proper rights."});
        EXPECT_TRUE(registry.Has(key, StoredName(C::cbPreserveConfiguration)));
        EXPECT_FALSE(registry.Has(key, StoredName(C::cbContinuousMode)));
        EXPECT_FALSE(registry.Has(kExpectedRunKey, L"Lumivane"));
    }
    registry.WritesAllowed = 1 << 30;
    errors.Shown.clear();
    {  // The Run key cannot be opened: the options are written, the entry is unchanged.
        registry.Keys[kExpectedRunKey][L"Lumivane"] = {kRegSz, {'x', 0, 0, 0}};
        registry.RefusedKeys = {kExpectedRunKey};
        form.SetChecked(C::cbStartWithWindows, false);
        EXPECT_FALSE(store.SaveOptions());
        EXPECT_EQ(errors.Shown, std::vector<std::wstring>{L"Operation aborted"});
        EXPECT_TRUE(registry.Has(key, StoredName(C::cmbTrayIconDoubleClick)));
        EXPECT_EQ(registry.Keys[kExpectedRunKey][L"Lumivane"].Data.size(), 4u);
    }
    EXPECT_EQ(registry.Opened, registry.Closed);
}

}  // namespace
}  // namespace lumivane::test
