// The hot keys: encoding, registration, the hot-key message with every state
// of the switches, the "Win +" rules and the stored combinations.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeCore.h"
#include "fakes/FakeRegistry.h"
#include "hotkeys/HotKeys.h"
#include "options/OptionsStore.h"

namespace lumivane::test {
namespace {

using C = TControlId;

TEST(HotKeyEncoding, ShortCutsTranslateToTheRegistrationsKeyAndFlags) {
    const struct {
        TShortCut Value;
        bool Win;
        uint16_t Key, Modifiers;
    } rows[] = {
        {49235, false, 0x53, 3},           // Ctrl+Alt+S
        {0x0053, true, 0x53, 8},           // Win+S
        {kScShift | 'A', false, 'A', 4},   // each modifier alone
        {kScCtrl | 'A', false, 'A', 2},
        {kScAlt | 'A', false, 'A', 1},
        {kScCtrl | 'X', true, 'X', 10},    // Win+Ctrl+X
        {0x1FFF, false, 0x1FFF, 0},        // every key bit, no modifier
    };
    for (const auto& r : rows) {
        uint16_t key = 0, modifiers = 0;
        ShortCutToVirtualKey(r.Value, r.Win, key, modifiers);
        EXPECT_EQ(key, r.Key) << r.Value;
        EXPECT_EQ(modifiers, r.Modifiers) << r.Value;
    }
    // The field's extended-key flag is dropped when its value is read.
    EXPECT_EQ(HotKeyValueToShortCut(static_cast<uint16_t>('S' | (kHotKeyControl | kHotKeyExt) << 8)), kScCtrl | 'S');
}

struct TRegistrarLog final : IHotKeyRegistrar {
    std::vector<std::string> Calls;
    std::set<std::pair<uint16_t, uint16_t>> Taken;  // held by another program
    bool RegisterHotKey(int id, uint16_t modifiers, uint16_t key) override {
        Calls.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + "+" + std::to_string(key));
        return Taken.insert({modifiers, key}).second;
    }
    void UnregisterHotKey(int id) override { Calls.push_back("unregister " + std::to_string(id)); }
};
struct HotKeysTest : ::testing::Test, TFakeCore {
    TRegistrarLog registrar;
    THotKeys hotKeys{{form, registrar, errors, dispatch}};

    static uint32_t Message(uint16_t modifiers, uint16_t key) { return static_cast<uint32_t>(key) << 16 | modifiers; }
};

TEST_F(HotKeysTest, RegistrationReleasesBothThenRegistersEachSwitchedOnAndReportsARefusal) {
    hotKeys.RegisterHotKeys();
    EXPECT_EQ(registrar.Calls, (std::vector<std::string>{"unregister 1", "unregister 0"})) << "both off";
    registrar.Calls.clear();
    form.SetChecked(C::cbHotkeyScreenSaver, true);
    form.SetChecked(C::cbHotkeyPowerOff, true);
    form.SetHotKey(C::HotKeyPowerOff, 49235);  // the same as the screen saver's
    hotKeys.RegisterHotKeys();
    // 16384 asks for one message per press (no repeats while held down).
    EXPECT_EQ(registrar.Calls, (std::vector<std::string>{"unregister 1", "unregister 0", "register 0 16387+83",
                                                         "register 1 16387+83"}));
    EXPECT_EQ(errors.Shown, std::vector<std::wstring>{L"The selected hot key is already used by other program."});
    EXPECT_TRUE(form.Checked(C::cbHotkeyPowerOff)) << "a refusal unchecks nothing";
}

TEST_F(HotKeysTest, ARefusalIsToldOncePerCombinationUnlessTheUserSavesOnPurpose) {
    using R = TRefusalReport;
    // Only the power-off hot key is on; Ctrl+Alt+P is another program's.
    form.SetChecked(C::cbHotkeyPowerOff, true);
    const auto takeBack = [&] { registrar.Taken = {{kModNoRepeat | 3, 'P'}}; };
    takeBack();
    const struct {
        const char* Step;
        std::function<void()> Change;
        R Report;
        size_t Told;  // boxes shown by this registration
    } rows[] = {
        {"start", [] {}, R::WhenChanged, 1},
        {"close, unchanged", [] {}, R::WhenChanged, 0},
        {"close again", [] {}, R::WhenChanged, 0},
        {"Ctrl+S, unchanged", [] {}, R::Always, 1},
        {"close after Ctrl+S", [] {}, R::WhenChanged, 0},
        {"another taken combination",
         [&] {
             form.SetHotKey(C::HotKeyPowerOff, kScCtrl | kScAlt | 'Q');
             registrar.Taken.insert({kModNoRepeat | 3, 'Q'});
         },
         R::WhenChanged, 1},
        {"back to the first", [&] { form.SetHotKey(C::HotKeyPowerOff, 49232); }, R::WhenChanged, 1},
        {"switched off", [&] { form.SetChecked(C::cbHotkeyPowerOff, false); }, R::WhenChanged, 0},
        {"switched on again", [&] { form.SetChecked(C::cbHotkeyPowerOff, true); }, R::WhenChanged, 1},
        {"let go by the other program", [&] { registrar.Taken.clear(); }, R::WhenChanged, 0},
        {"taken again", takeBack, R::WhenChanged, 1},
    };
    for (const auto& r : rows) {
        r.Change();
        errors.Shown.clear();
        hotKeys.RegisterHotKeys(r.Report);
        EXPECT_EQ(errors.Shown.size(), r.Told) << r.Step;
    }
}

TEST_F(HotKeysTest, AHotKeyRunsItsCommandOnlyWhenSwitchedOnAndMatchingTheFieldsNow) {
    form.SetHotKey(C::HotKeyPowerOff, 49235);  // both fields hold Ctrl+Alt+S
    const uint32_t ctrlAltS = Message(3, 'S');
    const struct {
        bool ScreenSaver, PowerOff;
        std::vector<std::string> Sent;
    } rows[] = {{false, false, {}},
                {true, false, {"screensaver"}},
                {false, true, {"poweroff"}},
                {true, true, {"screensaver", "poweroff"}}};
    for (const auto& r : rows) {
        form.SetChecked(C::cbHotkeyScreenSaver, r.ScreenSaver);
        form.SetChecked(C::cbHotkeyPowerOff, r.PowerOff);
        requests.Sent.clear();
        hotKeys.WMHotKey(ctrlAltS);
        EXPECT_EQ(requests.Sent, r.Sent) << r.ScreenSaver << r.PowerOff;
    }
    // An edited combination runs nothing until it is registered, and the Win
    // box takes part in the comparison.
    form.SetHotKey(C::HotKeyScreenSaver, kScCtrl | kScAlt | 'Q');
    form.SetChecked(C::cbHotkeyPowerOff, false);
    requests.Sent.clear();
    hotKeys.WMHotKey(ctrlAltS);
    EXPECT_TRUE(requests.Sent.empty());
    form.SetChecked(C::cbWinScreenSaver, true);  // the rules drop Ctrl+Alt: Win+Q
    hotKeys.WMHotKey(Message(8, 'Q'));
    EXPECT_EQ(requests.Sent, std::vector<std::string>{"screensaver"});
    // The no-repeat flag of the registration, should the message carry it,
    // is not a key: the combination still matches.
    requests.Sent.clear();
    hotKeys.WMHotKey(Message(kModNoRepeat | 8, 'Q'));
    EXPECT_EQ(requests.Sent, std::vector<std::string>{"screensaver"});
}

TEST_F(HotKeysTest, WinBoxesSwitchTheFieldsRulesAndTheShownModifiers) {
    EXPECT_EQ(form.HotKeyRules(C::HotKeyScreenSaver), kRulesWithoutWin);
    form.SetChecked(C::cbWinScreenSaver, true);
    EXPECT_EQ(form.HotKeyRules(C::HotKeyScreenSaver), kRulesWithWin);
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), 'S') << "Ctrl+Alt+S becomes S";
    form.SetChecked(C::cbWinScreenSaver, false);
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), 49235) << "and back to Ctrl+Alt+S";
    EXPECT_EQ(form.HotKey(C::HotKeyPowerOff), 49232) << "the other field is untouched";
}

TEST_F(HotKeysTest, LoadingGivesBackExactlyTheStoredCombinationWithWin) {
    TFakeRegistry registry;
    bool highColor = false;
    TOptionsStore store{{registry, form, config, errors, highColor, [] { return false; },
                         [] { return std::wstring(L"C:\\L.exe"); }, L"Lumivane"}};
    registry.PutDword(kOptionsKey, L"Use hotkey - screen saver", 1);
    registry.PutDword(kOptionsKey, L"Hotkey - screen saver", kScCtrl | 'X');
    registry.PutDword(kOptionsKey, L"Win hotkey - screen saver", 1);
    store.LoadOptions();
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), kScCtrl | 'X') << "not cleared by the Win box's rules";
    EXPECT_EQ(form.HotKeyRules(C::HotKeyScreenSaver), kRulesWithWin);
    store.LoadOptions();  // the first showing loads them once more
    EXPECT_EQ(form.HotKey(C::HotKeyScreenSaver), kScCtrl | 'X');
    hotKeys.RegisterHotKeys();
    EXPECT_EQ(registrar.Calls.back(), "register 0 16394+88") << "Win+Ctrl+X, without repeats";
}

}  // namespace
}  // namespace lumivane::test
