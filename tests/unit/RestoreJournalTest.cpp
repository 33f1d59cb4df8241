// The restore journal: its encoding, and what a start does with a journal
// that a run left behind.
#include <gtest/gtest.h>

#include "config/RestoreJournal.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemParameters.h"
#include "options/OptionsStore.h"

namespace lumivane::test {
namespace {

struct TProcesses final : IProcessTable {
    bool OtherRunning = false;
    uint32_t CurrentProcessId() override { return 42; }
    uint32_t CurrentSessionId() override { return 1; }
    uint64_t CurrentProcessStart() override { return 133000000000000000ull; }
    bool IsRunning(uint32_t, uint64_t) override { return OtherRunning; }
};

const TDisplayPowerConfiguration kAtStart{{true, 600}, {true, 1200}};

TEST(RestoreJournal, EncodingRoundTripsAndAnythingElseIsRejected) {
    const TJournal j{1234, 133456789012345678ull, true, kAtStart, {{false, 3}, {false, 1200}}};
    EXPECT_EQ(DecodeJournal(EncodeJournal(j)), j);
    for (const wchar_t* bad : {L"", L"v2 1 2 0 1,600,1,1200 0,3,0,1200", L"v1 1 2 7 1,600,1,1200 0,3,0,1200",
                               L"v1 1 2 0 1,600,1,1200", L"v1 1 2 0 1,600,1,1200 0,3,0,1200 extra",
                               L"v1 x 2 0 1,600,1,1200 0,3,0,1200", L"v1 1 2 0 2,600,1,1200 0,3,0,1200"})
        EXPECT_FALSE(DecodeJournal(bad).has_value()) << testing::PrintToString(std::wstring(bad));
}

struct RestoreJournalTest : ::testing::Test {
    TFakeRegistry registry;
    TProcesses processes;
    TFakeSystemParameters spi;
    TJournalledParameters journalled{spi, registry, processes};

    RestoreJournalTest() {
        spi.SetConfiguration(kAtStart);
        journalled.SetInitial(kAtStart);
    }
    const std::wstring kJournalValue = JournalValueName(1);
    bool HasJournal() const { return registry.Has(kOptionsKey, kJournalValue); }
};

TEST_F(RestoreJournalTest, TheFirstChangeWritesItEveryChangeUpdatesItAndTheCleanEndRemovesIt) {
    GetScreenSaverActive(journalled);
    EXPECT_FALSE(HasJournal()) << "reading changes nothing";
    SetScreenSaverActive(journalled, false, true);
    ASSERT_TRUE(HasJournal());
    auto j = DecodeJournal(registry.String(kOptionsKey, kJournalValue));
    ASSERT_TRUE(j);
    EXPECT_EQ(j->ProcessId, 42u);
    EXPECT_TRUE(j->Permanent);
    EXPECT_EQ(j->Initial, kAtStart);
    EXPECT_FALSE(j->Last.ScreenSaverSetting.Active);
    SetScreenSaverConfiguration(journalled, true, 3, false);  // continuous mode
    j = DecodeJournal(registry.String(kOptionsKey, kJournalValue));
    EXPECT_EQ(j->Last.ScreenSaverSetting, (TPowerSetting{true, 3}));
    EXPECT_TRUE(j->Permanent) << "once permanent, the run stays so";
    // Another desktop session's run keeps a journal of its own, untouched.
    registry.Keys[kOptionsKey][JournalValueName(2)] = {kRegSz, {'x', 0, 0, 0}};
    journalled.Remove();
    EXPECT_FALSE(HasJournal());
    EXPECT_TRUE(registry.Has(kOptionsKey, JournalValueName(2)));
    EXPECT_EQ(RecoverFromJournal(registry, processes, spi, true).Kind, TRecovery::TKind::None);
    EXPECT_TRUE(registry.Has(kOptionsKey, JournalValueName(2)));
}

TEST_F(RestoreJournalTest, AKilledRunsChangesComeBackUnlessSomeoneChangedThemSince) {
    SetScreenSaverActive(journalled, false, true);
    SetPowerOffActive(journalled, false, true);
    // The run is killed. Since then the user switched the power-off on by hand.
    SetPowerOffActive(spi, true, false);
    spi.Calls.clear();
    const TRecovery r = RecoverFromJournal(registry, processes, spi, true);
    EXPECT_EQ(r.Kind, TRecovery::TKind::Restored);
    EXPECT_TRUE(r.ScreenSaverRestored);
    EXPECT_FALSE(r.PowerOffRestored) << "changed by someone else: left as it is";
    EXPECT_EQ(GetDisplayPowerConfiguration(spi).ScreenSaverSetting, kAtStart.ScreenSaverSetting);
    ASSERT_FALSE(spi.Sets().empty());
    for (const auto& call : spi.Sets()) EXPECT_EQ(call.WinIni & spi::kUpdateIniFile, spi::kUpdateIniFile) << "permanent";
    EXPECT_FALSE(HasJournal());
    EXPECT_EQ(RecoveryText(r), L"Lumivane did not end normally last time. Put back: screen saver on, 10 min.");
}

TEST_F(RestoreJournalTest, ARunningOwnerACorruptJournalAndTheOptionOffAreEachRespected) {
    SetScreenSaverActive(journalled, false, true);
    processes.OtherRunning = true;
    EXPECT_EQ(RecoverFromJournal(registry, processes, spi, true).Kind, TRecovery::TKind::LeftAlone);
    EXPECT_TRUE(HasJournal());
    EXPECT_FALSE(GetScreenSaverActive(spi)) << "nothing touched";
    processes.OtherRunning = false;
    EXPECT_EQ(RecoverFromJournal(registry, processes, spi, false).Kind, TRecovery::TKind::Discarded);
    EXPECT_FALSE(HasJournal());
    EXPECT_FALSE(GetScreenSaverActive(spi)) << "the option is off: nothing put back";
    registry.Keys[kOptionsKey][kJournalValue] = {kRegSz, {'?', 0, 0, 0}};
    const TRecovery corrupt = RecoverFromJournal(registry, processes, spi, true);
    EXPECT_EQ(corrupt.Kind, TRecovery::TKind::Corrupt);
    EXPECT_FALSE(HasJournal());
    EXPECT_TRUE(RecoveryText(corrupt).empty()) << "no message";
    EXPECT_EQ(RecoverFromJournal(registry, processes, spi, true).Kind, TRecovery::TKind::None);
}

TEST_F(RestoreJournalTest, ALostRunsTemporaryChangesAreUndoneWhateverTheOption) {
    SetScreenSaverActive(journalled, false, false);
    EXPECT_FALSE(journalled.Permanent());
    EXPECT_EQ(RecoverFromJournal(registry, processes, spi, false).Kind, TRecovery::TKind::Restored);
    EXPECT_TRUE(GetScreenSaverActive(spi));
}

TEST(PlanEndSteps, TemporaryPlanChangesLastNoLongerThanTheSession) {
    const struct {
        bool Option, SessionEnding, Temporary;
        bool Restore, Keep;
    } rows[] = {
        {true, false, false, true, false},  {true, true, true, true, false},   // the option: restore, clean journal
        {false, false, false, false, false},                                  // nothing temporary: nothing to do
        {false, true, true, true, false},                                     // the session ends: undo now
        {false, false, true, false, true},                                    // the program alone ends: next start
    };
    EXPECT_TRUE(PlanEndSteps(true, true, false, true).KeepJournal) << "the session ends inside continuous mode";
    EXPECT_FALSE(PlanEndSteps(true, false, false, true).KeepJournal);
    for (const auto& r : rows) {
        const TEndPlan plan = PlanEndSteps(r.Option, r.SessionEnding, r.Temporary);
        EXPECT_EQ(plan.RestoreInitial, r.Restore) << r.Option << r.SessionEnding << r.Temporary;
        EXPECT_EQ(plan.KeepJournal, r.Keep) << r.Option << r.SessionEnding << r.Temporary;
    }
}

}  // namespace
}  // namespace lumivane::test
