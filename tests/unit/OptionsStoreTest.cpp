// The options across runs against a store in memory: defaults for every kind
// of bad value, the order of the rows, and every way a save can fail.
#include <gtest/gtest.h>

#include "fakes/FakeCore.h"
#include "fakes/FakeRegistry.h"
#include "options/OptionsStore.h"

namespace lumivane::test {
namespace {

using C = TControlId;

struct OptionsStoreTest : ::testing::Test, TFakeCore {
    TFakeRegistry registry;
    bool highColor = false;
    bool visualStyles = false;
    int listChanges = 0;
    TOptionsStore store{{registry, form, config, errors, highColor, [this] { return visualStyles; },
                         [] { return std::wstring(L"C:\\Program Files\\Lumiv\u00e9ne\\Lumivane.exe"); }, L"Lumivane"}};
    const std::wstring key = kOptionsKey;

    // At start the screen saver is off and the power-off is on.
    OptionsStoreTest() : TFakeCore({{false, 600}, {true, 1200}}) {
        form.cmbTrayIconDoubleClickChange = [this] { ++listChanges; };
    }
};

TEST_F(OptionsStoreTest, FirstRunTakesTheDefaultsAndTheManageBoxesFollowTheInitialFlags) {
    store.LoadOptions();
    EXPECT_TRUE(form.RestoreConfiguration());
    EXPECT_FALSE(form.UpdateSettings());
    EXPECT_FALSE(form.ContinuousMode());
    EXPECT_EQ(form.ContinuousModeDelay(), 3);
    EXPECT_FALSE(form.ManageScreenSaver()) << "the screen saver was off at start";
    EXPECT_TRUE(form.ManagePowerOff());
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), 49235);
    EXPECT_EQ(form.ItemIndex(C::cmbTrayIconClick), 0);
    EXPECT_EQ(listChanges, 2) << "the lists' handler runs after each list";
    EXPECT_TRUE(errors.Shown.empty());
    EXPECT_FALSE(registry.Has(key, L"Start with Windows")) << "loading writes nothing";
}

TEST_F(OptionsStoreTest, BadValuesYieldTheirDefaults) {
    registry.Keys[key][L"Start with Windows"] = {kRegSz, {'1', 0, 0, 0}};  // text, not a number
    registry.PutDword(key, L"Restore initial values on exit", 0, 2);       // 2 bytes
    registry.PutDword(key, L"Use continuous mode", 1, 8);                  // 8 bytes
    registry.PutDword(key, L"Preserve current options", 1, 0);             // empty
    registry.PutDword(key, L"Store changes permanently", 1);               // without the blank
    store.LoadOptions();
    EXPECT_FALSE(form.Checked(C::cbStartWithWindows));
    EXPECT_TRUE(form.RestoreConfiguration());
    EXPECT_FALSE(form.ContinuousMode());
    EXPECT_FALSE(form.PreserveConfiguration());
    EXPECT_FALSE(form.UpdateSettings()) << "the name ends in one blank";
}

TEST_F(OptionsStoreTest, LoadedValuesRunTheirHandlersAndStayInTheirLimits) {
    registry.PutDword(key, L"Use continuous mode", 1);
    registry.PutDword(key, L"Continuous mode delay", 99);
    registry.PutDword(key, L"Use hotkey - power off", 1);
    registry.PutDword(key, L"Hotkey - screen saver", 49235 | 0x10000);
    registry.PutDword(key, L"Tray icon option", 9);
    registry.PutDword(key, L"Tray icon option - single click", 2);
    store.LoadOptions();
    EXPECT_TRUE(form.Enabled(C::edContinuousModeDelay)) << "the box's click handler ran";
    EXPECT_EQ(form.ContinuousModeDelay(), 10);
    EXPECT_TRUE(form.Enabled(C::HotKeyPowerOff));
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), 49235) << "the low 16 bits";
    EXPECT_EQ(form.ItemIndex(C::cmbTrayIconDoubleClick), -1);
    EXPECT_EQ(form.ItemIndex(C::cmbTrayIconClick), 2);
    registry.PutDword(key, L"Continuous mode delay", 0);
    store.LoadOptions();
    EXPECT_EQ(form.ContinuousModeDelay(), 1);
    ASSERT_TRUE(store.SaveOptions());
    EXPECT_EQ(registry.Dword(key, L"Tray icon option"), -1) << "no selection saves -1";
}

TEST_F(OptionsStoreTest, SaveWritesEveryRowInOrderKeepsRow17AndQuotesTheRunEntry) {
    registry.PutDword(key, kHighColorNotifyIconValue, 1);
    form.SetChecked(C::cbStartWithWindows, true);
    form.SetHotKey(C::HotKeyPowerOff, 0x6000 | 'Q');
    ASSERT_TRUE(store.SaveOptions());
    EXPECT_EQ(registry.Writes, 17) << "16 rows and the Run entry";
    for (const TOptionRow& row : OptionRows()) EXPECT_EQ(registry.Keys[key][row.Name].Type, kRegDword) << row.Name;
    EXPECT_EQ(registry.Dword(key, L"Hotkey - power off"), 0x6000 | 'Q');
    EXPECT_EQ(registry.Dword(key, L"Restore initial values on exit"), 1);
    EXPECT_EQ(registry.Dword(key, kHighColorNotifyIconValue), 1) << "row 17 is never written";
    EXPECT_EQ(registry.String(kRunKey, L"Lumivane"), L"\"C:\\Program Files\\Lumiv\u00e9ne\\Lumivane.exe\" -quiet");
    form.SetChecked(C::cbStartWithWindows, false);
    ASSERT_TRUE(store.SaveOptions());
    EXPECT_FALSE(registry.Has(kRunKey, L"Lumivane"));
    ASSERT_TRUE(store.SaveOptions()) << "no entry to remove is no error";
    EXPECT_TRUE(errors.Shown.empty());
    store.LoadOptions();
    EXPECT_TRUE(highColor);
    EXPECT_EQ(registry.Opened, registry.Closed) << "every key opened is closed";
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
        EXPECT_TRUE(registry.Has(key, L"Preserve current options"));
        EXPECT_FALSE(registry.Has(key, L"Use continuous mode"));
        EXPECT_FALSE(registry.Has(kRunKey, L"Lumivane"));
    }
    registry.WritesAllowed = 1 << 30;
    errors.Shown.clear();
    {  // The Run key cannot be opened: the options are written, the entry is unchanged.
        registry.Keys[kRunKey][L"Lumivane"] = {kRegSz, {'x', 0, 0, 0}};
        registry.RefusedKeys = {kRunKey};
        form.SetChecked(C::cbStartWithWindows, false);
        EXPECT_FALSE(store.SaveOptions());
        EXPECT_EQ(errors.Shown, std::vector<std::wstring>{L"Operation aborted"});
        EXPECT_TRUE(registry.Has(key, L"Tray icon option"));
        EXPECT_EQ(registry.Keys[kRunKey][L"Lumivane"].Data.size(), 4u);
    }
    EXPECT_EQ(registry.Opened, registry.Closed);
}

}  // namespace
}  // namespace lumivane::test
