// The restore journal: its encoding, which journals a start takes for a lost
// run's, and what it does with them.
#include <gtest/gtest.h>

#include "app/EndSteps.h"
#include "config/RestoreJournal.h"
#include "fakes/FakeProcesses.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemParameters.h"
#include "options/OptionsStore.h"

namespace lumivane::test {
namespace {

const TDisplayPowerConfiguration kAtStart{{true, 600}, {true, 1200}};

TEST(RestoreJournal, EncodingRoundTripsAndAnythingElseIsRejected) {
    TJournal j;
    j.ProcessId = 1234;
    j.ProcessStart = 133456789012345678ull;
    j.Permanent = true;
    j.Initial = kAtStart;
    j.Last = {{false, 3}, {false, 1200}};
    EXPECT_EQ(DecodeJournal(EncodeJournal(j)), j);
    j.Plans = {{{TPlanId{0xaf, 1}, 900, 180}, {TPlanId{0xaf, 1}, 0, 4294967295u}, true}};
    EXPECT_EQ(EncodeJournal(j).substr(0, 3), L"v2 ") << "one plan: the form earlier versions read";
    EXPECT_EQ(DecodeJournal(EncodeJournal(j)), j);
    j.Plans.push_back({{TPlanId{2}, 1200, 900}, {TPlanId{2}, 0, 0}, false});
    j.Version = 3;
    EXPECT_EQ(DecodeJournal(EncodeJournal(j)), j);
    j.Plans[1].Pending = true;  // a first write under way: the form only this version reads
    j.Version = 4;
    EXPECT_EQ(DecodeJournal(EncodeJournal(j)), j);
    const auto v1 = DecodeJournal(L"v1 1 2 1 1,600,1,1200 0,3,0,1200");
    ASSERT_TRUE(v1) << "journals of earlier versions are still read";
    EXPECT_EQ(v1->Version, 1u);
    const std::wstring plan = L" ab010000000000000000000000000000 900,180 0,0";
    const std::wstring v3 = L"v3 1 2 0 1,600,1,1200 0,3,0,1200";
    const std::wstring bads[] = {L"", L"v3 1 2 0 1,600,1,1200 0,3,0,1200", L"v1 1 2 3 1,600,1,1200 0,3,0,1200", L"v2 1 2 4 1,600,1,1200 0,3,0,1200",
          L"v2 1 2 0 1,600,1,1200", L"v2 1 2 0 1,600,1,1200 0,3,0,1200 extra", L"v2 1 2 0 1,600,1,1200  0,3,0,1200",
          L"v2 x 2 0 1,600,1,1200 0,3,0,1200", L"v2 1 2 0 2,600,1,1200 0,3,0,1200", L"v2 1 2 0 1,600,1,1200,1 0,3,0,1200",
          L"v2 1 2 0 1,2147483648,1,1200 0,3,0,1200", L"v2 4294967296 2 0 1,600,1,1200 0,3,0,1200",
          L"v2 1 99999999999999999999 0 1,600,1,1200 0,3,0,1200", L"v1 1 2 0 1,600,1,1200 0,3,0,1200" + plan,
          L"v2 1 2 0 1,600,1,1200 0,3,0,1200 ab01 900,180 0,0",
          L"v2 1 2 0 1,600,1,1200 0,3,0,1200 AB010000000000000000000000000000 900,180 0,0",
          L"v2 1 2 0 1,600,1,1200 0,3,0,1200 aB010000000000000000000000000000 900,180 0,0",
          L"v2 1 2 0 1,600,1,1200 0,3,0,1200 ab010000000000000000000000000000 900 0,0",
          L"v2 1 2 0 1,600,1,1200 0,3,0,1200 ab010000000000000000000000000000 900,180 0,4294967296",
          L"v2 1 2 0 1,,1,1200 0,3,0,1200", L"v2 1 123456789012345678901 0 1,600,1,1200 0,3,0,1200",
          v3 + plan + L" 1", v3 + plan + L" 2" + plan + L" 0", v3 + plan + plan,
          L"v3 1 2 2 1,600,1,1200 0,3,0,1200" + plan + L" 0" + plan + L" 0", L"v4 1 2 0 1,600,1,1200 0,3,0,1200" + plan + L" 1"};
    for (const std::wstring& bad : bads)
        EXPECT_FALSE(DecodeJournal(bad).has_value()) << testing::PrintToString(bad);
}

struct RestoreJournalTest : ::testing::Test {
    TFakeRegistry registry;
    TFakeProcesses processes;
    TFakeSystemParameters spi;
    TNoPowerPlan noPlan;
    TJournalledParameters journalled{spi, noPlan, registry, processes};

    RestoreJournalTest() {
        spi.SetConfiguration(kAtStart);
        journalled.SetInitial(kAtStart);
    }
    const std::wstring kJournalValue = JournalValueName(1);
    bool HasJournal(uint32_t session = 1) const { return registry.Has(kOptionsKey, JournalValueName(session)); }
    TRecovery Recover(bool restoreOnExit = true) {
        return RecoverFromJournal(registry, processes, spi, noPlan, restoreOnExit);
    }
    // This run's journal, written by a run of another process in `session`.
    void LeaveJournalOf(uint32_t pid, uint32_t session) {
        const std::wstring text = registry.String(kOptionsKey, kJournalValue);
        registry.Keys[kOptionsKey].erase(kJournalValue);
        TJournal j = *DecodeJournal(text);
        j.ProcessId = pid;
        TRegistryDefault reg(registry);
        reg.OpenKey(kOptionsKey, true);
        reg.WriteString(JournalValueName(session), EncodeJournal(j));
    }
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
    // The system's answer comes through, the journal written either way.
    EXPECT_TRUE(journalled.Call(spi::kSetScreenSaveTimeout, 600, nullptr, 0));
    spi.Failing = {spi::kSetScreenSaveTimeout};
    EXPECT_FALSE(journalled.Call(spi::kSetScreenSaveTimeout, 600, nullptr, 0));
    spi.Failing.clear();
    SetScreenSaverConfiguration(journalled, true, 3, false);  // continuous mode
    j = DecodeJournal(registry.String(kOptionsKey, kJournalValue));
    EXPECT_EQ(j->Last.ScreenSaverSetting, (TPowerSetting{true, 3}));
    EXPECT_TRUE(j->Permanent) << "once permanent, the run stays so";
    journalled.Remove();
    EXPECT_FALSE(HasJournal());
}

TEST_F(RestoreJournalTest, AKilledRunsChangesComeBackUnlessSomeoneChangedThemSince) {
    SetScreenSaverActive(journalled, false, true);
    SetPowerOffActive(journalled, false, true);
    // The run is killed. Since then the user switched the power-off on by hand.
    SetPowerOffActive(spi, true, false);
    spi.Calls.clear();
    const TRecovery r = Recover();
    EXPECT_EQ(r.Kind, TRecovery::TKind::Restored);
    EXPECT_TRUE(r.ScreenSaverRestored);
    EXPECT_FALSE(r.PowerOffRestored) << "changed by someone else: left as it is";
    EXPECT_EQ(GetDisplayPowerConfiguration(spi).ScreenSaverSetting, kAtStart.ScreenSaverSetting);
    ASSERT_FALSE(spi.Sets().empty());
    for (const auto& call : spi.Sets()) EXPECT_EQ(call.WinIni & spi::kUpdateIniFile, spi::kUpdateIniFile) << "permanent";
    EXPECT_FALSE(HasJournal());
    EXPECT_EQ(RecoveryText(r), L"Lumivane did not end normally last time. Put back: screen saver on, 10 min.");
    EXPECT_EQ(RecoveryText({TRecovery::TKind::Restored, false, true, {{}, {false, 0}}, std::nullopt, {}, {}}),
              L"Lumivane did not end normally last time. Put back: monitor power-off off.") << "no time-out";
}

TEST_F(RestoreJournalTest, AnItemTheLostRunHadPutBackIsNeitherWrittenNorNamed) {
    SetScreenSaverActive(journalled, false, true);
    SetPowerOffActive(journalled, false, true);
    SetPowerOffActive(journalled, true, true);  // Restore: the power-off is back
    spi.Calls.clear();
    const TRecovery r = Recover();
    EXPECT_FALSE(r.PowerOffRestored);
    for (const auto& call : spi.Sets()) EXPECT_NE(call.Action, spi::kSetPowerOffActive);
    EXPECT_EQ(RecoveryText(r), L"Lumivane did not end normally last time. Put back: screen saver on, 10 min.");
}

TEST_F(RestoreJournalTest, WhichJournalsAreALostRunsAndWhichAreLeftAlone) {
    const struct {
        const char* Case;
        uint32_t Session;  // where the journal's run was
        bool MarkerHeld, ProcessAnswers;
        TRecovery::TKind Kind;
    } rows[] = {
        // One copy per session, and this is it: the pid's answer proves nothing.
        {"this session, a reused pid answers", 1, false, true, TRecovery::TKind::Restored},
        {"this session, a copy of higher rights beside this one", 1, true, false, TRecovery::TKind::LeftAlone},
        {"another session whose run goes on", 2, true, true, TRecovery::TKind::LeftAlone},
        {"an earlier log-on's session id", 7, false, true, TRecovery::TKind::Restored},
    };
    for (const auto& r : rows) {
        registry.Keys.clear();
        spi.SetConfiguration(kAtStart);
        TJournalledParameters run{spi, noPlan, registry, processes};
        run.SetInitial(kAtStart);
        SetScreenSaverActive(run, false, false);
        LeaveJournalOf(77, r.Session);
        processes.Markers = r.MarkerHeld ? std::set<uint32_t>{77} : std::set<uint32_t>{};
        processes.Answers = r.ProcessAnswers;
        EXPECT_EQ(Recover().Kind, r.Kind) << r.Case;
        EXPECT_EQ(HasJournal(r.Session), r.Kind == TRecovery::TKind::LeftAlone) << r.Case;
        EXPECT_EQ(GetScreenSaverActive(spi), r.Kind == TRecovery::TKind::Restored) << r.Case;
    }
}

TEST_F(RestoreJournalTest, AJournalThatCannotBeReadIsLeftAloneToldAndWrittenBeside) {
    SetScreenSaverActive(journalled, false, true);
    EXPECT_EQ(Recover(false).Kind, TRecovery::TKind::Discarded);
    EXPECT_FALSE(HasJournal());
    EXPECT_FALSE(GetScreenSaverActive(spi)) << "the option is off: nothing put back";
    const std::wstring newer = L"v9 77 1 0 1,600,1,1200 0,3,0,1200 a newer form";
    TRegistryDefault reg(registry);
    reg.OpenKey(kOptionsKey, true);
    reg.WriteString(kJournalValue, newer);
    registry.PutDword(kOptionsKey, JournalValueName(5), 1);  // not even a text
    const TRecovery unreadable = Recover();
    EXPECT_EQ(unreadable.Unreadable.size(), 2u);
    EXPECT_NE(RecoveryProblemText(unreadable).find(L"value \"" + kJournalValue + L"\""), std::wstring::npos);
    EXPECT_FALSE(GetScreenSaverActive(spi)) << "nothing written";
    // A run beside it (a newer copy's, still going) writes its own elsewhere.
    TJournalledParameters run{spi, noPlan, registry, processes};
    SetScreenSaverActive(run, true, false);
    EXPECT_EQ(registry.String(kOptionsKey, kJournalValue), newer);
    EXPECT_TRUE(registry.Has(kOptionsKey, kJournalValue + L" 42"));
    run.Remove();
    EXPECT_EQ(registry.Keys[kOptionsKey].size(), 2u) << "its own gone, the others still there";
    registry.Keys.clear();
    Recover();
    EXPECT_FALSE(registry.Keys.count(kOptionsKey)) << "a start with nothing stored makes no key";
}

TEST_F(RestoreJournalTest, ALostRunsTemporaryChangesAreUndoneWhateverTheOption) {
    SetScreenSaverActive(journalled, false, false);
    SetPowerOffActive(journalled, false, false);
    EXPECT_FALSE(journalled.Permanent());
    const TRecovery r = Recover(false);
    EXPECT_EQ(r.Kind, TRecovery::TKind::Restored);
    EXPECT_TRUE(GetScreenSaverActive(spi));
    EXPECT_TRUE(r.PowerOffRestored) << "off a plan, the power-off comes back through the routines";
    EXPECT_TRUE(GetPowerOffActive(spi));
}

TEST_F(RestoreJournalTest, TheCleanEndRemovesOnlyItsOwnJournalAndARefusedWriteCostsNoCommand) {
    SetScreenSaverActive(journalled, false, false);
    LeaveJournalOf(77, 1);  // another process's journal under this session's name
    journalled.Remove();
    EXPECT_TRUE(HasJournal()) << "not this run's to remove";
    registry.Keys.clear();
    registry.WritesAllowed = 0;
    EXPECT_NO_THROW(SetScreenSaverActive(journalled, true, false));
    EXPECT_TRUE(GetScreenSaverActive(spi)) << "the command still ran";
    // With no options key, the clean end deletes nothing and makes no key.
    registry.Keys.clear();
    EXPECT_NO_THROW(journalled.Remove());
    EXPECT_EQ(registry.Keys.count(kOptionsKey), 0u);
    TRegistryDefault reg(registry);
    EXPECT_FALSE(reg.OpenKey(kOptionsKey, false));
    EXPECT_FALSE(reg.DeleteValue(kJournalValue)) << "a journal of a key that is not there";
}

TEST(EndSteps, EveryEndUndoesTemporaryPlanChangesAndLeavesNoJournal) {
    // Inputs: option, temporary plan changes, continuous mode; one row per outcome.
    // Outputs: undo continuous mode, restore the start-up configuration, undo plan changes.
    const struct {
        bool In[3];
        bool Out[3];
    } rows[] = {
        {{0, 0, 0}, {0, 0, 0}}, {{0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}},
        {{1, 1, 0}, {0, 1, 1}}, {{0, 0, 1}, {1, 0, 1}}, {{1, 0, 1}, {1, 1, 1}},
    };
    for (const auto& r : rows) {
        const TEndPlan plan = PlanEndSteps({r.In[0], r.In[1], r.In[2]});
        const TEndPlan expected{true, r.Out[0], r.Out[1], r.Out[2], true};
        EXPECT_EQ(plan, expected) << r.In[0] << r.In[1] << r.In[2];
    }
}

}  // namespace
}  // namespace lumivane::test
