// The control switches, the request and answer between two copies, and the
// status line.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Control.h"
#include "app/ControlTarget.h"
#include "fakes/FakeCore.h"

namespace lumivane::test {
namespace {

using V = TControlVerb;

std::string Narrow(const std::vector<std::wstring>& args) {
    std::string text;
    for (const auto& a : args) text += std::string(a.begin(), a.end()) + " ";
    return text;
}

TEST(ControlSwitches, EachFormParsesOrIsRefusedWithAReason) {
    struct TCase {
        std::vector<std::wstring> Args;
        std::optional<V> Control;
        uint32_t PeriodMs;
        int UntilMinutes;  // -1: none
        bool Error;
    } cases[] = {
        {{L"-activate"}, V::Activate, 0, -1, false},
        {{L"/DEACTIVATE"}, V::Deactivate, 0, -1, false},
        {{L"-quiet", L"-Restore"}, V::Restore, 0, -1, false},
        {{L"-toggle", L"junk"}, V::Toggle, 0, -1, false},  // a word that is no switch is ignored, as ever
        {{L"-status", L"/quiet"}, V::Status, 0, -1, false},
        {{L"-exit"}, V::Exit, 0, -1, false},
        {{L"-deactivate-for", L"90"}, V::DeactivateFor, 5'400'000, -1, false},
        {{L"-deactivate-for", L"90m"}, V::DeactivateFor, 5'400'000, -1, false},
        {{L"-deactivate-for", L"1H30M"}, V::DeactivateFor, 5'400'000, -1, false},
        {{L"-deactivate-for", L"2h"}, V::DeactivateFor, 7'200'000, -1, false},
        {{L"-deactivate-for", L"1m"}, V::DeactivateFor, 60'000, -1, false},
        {{L"-deactivate-for", L"23h59m60s"}, V::DeactivateFor, 86'400'000, -1, false},
        {{L"-deactivate-for", L"45s"}, V::DeactivateFor, 0, -1, true},  // under a minute
        {{L"-deactivate-for", L"24h1s"}, V::DeactivateFor, 0, -1, true},
        {{L"-deactivate-for", L"9999999"}, std::nullopt, 0, -1, true},
        {{L"-deactivate-for", L"1h30"}, V::DeactivateFor, 0, -1, true},
        {{L"-deactivate-for", L"30m1h"}, V::DeactivateFor, 0, -1, true},
        {{L"-deactivate-for", L"1h1h"}, V::DeactivateFor, 0, -1, true},
        {{L"-deactivate-for", L"-5"}, V::DeactivateFor, 0, -1, true},
        {{L"-deactivate-for", L"h5m"}, V::DeactivateFor, 0, -1, true},
        {{L"-deactivate-for"}, std::nullopt, 0, -1, true},
        {{L"-deactivate-until", L"17:30"}, V::DeactivateUntil, 0, 17 * 60 + 30, false},
        {{L"-deactivate-until", L"5:30pm"}, V::DeactivateUntil, 0, 17 * 60 + 30, false},
        {{L"-deactivate-until", L"5 P.M."}, V::DeactivateUntil, 0, 17 * 60, false},
        {{L"-deactivate-until", L"12:15am"}, V::DeactivateUntil, 0, 15, false},
        {{L"-deactivate-until", L"12:15 PM"}, V::DeactivateUntil, 0, 12 * 60 + 15, false},
        {{L"-deactivate-until", L"0:05"}, V::DeactivateUntil, 0, 5, false},
        {{L"-deactivate-until", L"23:59"}, V::DeactivateUntil, 0, 23 * 60 + 59, false},
        {{L"-deactivate-until", L"5:30 foo"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"1:05am"}, V::DeactivateUntil, 0, 65, false},
        {{L"-deactivate-until", L"17:30:15"}, V::DeactivateUntil, 0, 17 * 60 + 30, false},
        {{L"-deactivate-until", L"17:30:59"}, V::DeactivateUntil, 0, 17 * 60 + 30, false},
        {{L"-deactivate-until", L"17:30:60"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"17:30:5"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"0:30pm"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L":30"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"17"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"24:00"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"13:00pm"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"7:5"}, V::DeactivateUntil, 0, -1, true},
        {{L"-deactivate-until", L"7:60"}, V::DeactivateUntil, 0, -1, true},
        {{L"-activate", L"-deactivate"}, V::Activate, 0, -1, true},
        {{L"-activate", L"-screensaver"}, V::Activate, 0, -1, true},
        {{L"-activte"}, std::nullopt, 0, -1, true},
    };
    for (const auto& c : cases) {
        const TCommandLine parsed = ParseCommandLine(c.Args);
        EXPECT_EQ(!parsed.Error.empty(), c.Error) << Narrow(c.Args);
        if (c.Error) continue;
        EXPECT_EQ(parsed.Control, c.Control) << Narrow(c.Args);
        EXPECT_EQ(parsed.PeriodMs, c.PeriodMs) << Narrow(c.Args);
        EXPECT_EQ(parsed.Until ? parsed.Until->Hour * 60 + parsed.Until->Minute : -1, c.UntilMinutes)
            << Narrow(c.Args);
    }
    EXPECT_TRUE(ParseCommandLine({L"-quiet", L"-activate"}).Quiet);
    EXPECT_TRUE(ParseCommandLine({L"/?"}).Help);
    EXPECT_TRUE(ParseCommandLine({L"-HELP"}).Help);
    // The user's own designators are taken too.
    const auto german = ParseClockTime(L"5:30 nachm.", {L"HH:mm:ss", L"vorm.", L"nachm."});
    ASSERT_TRUE(german);
    EXPECT_EQ(german->Hour, 17);
}

// A local clock of two-hour days, whose offset to the wall clock moves by
// an hour from the third day on (a change of the clock).
TEST(ControlSwitches, TheCommandLineSplitsAsWindowsSplitsArgv) {
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {LR"(Lumivane.exe)", {}},
        {LR"("C:\Program Files\L\Lumivane.exe"  -quiet	-screensaver )", {L"-quiet", L"-screensaver"}},
        {LR"("C:\a b"-quiet)", {L"-quiet"}},                 // the name ends at its quote
        {LR"(C:\a\L.exe "-deactivate-until" "5:30 pm")", {L"-deactivate-until", L"5:30 pm"}},
        {LR"(L a"b c"d)", {L"ab cd"}},
        {LR"(L "" x "")", {L"", L"x", L""}},                 // empty arguments count
        {LR"(L a\\b a\b\ )", {LR"(a\\b)", LR"(a\b\)"}},        // no quote after: kept
        {LR"(L a\\"b c" d)", {LR"(a\b c)", L"d"}},           // 2n: n, and the quote acts
        {LR"(L a\"b c a\\\"b)", {L"a\"b", L"c", LR"(a\"b)"}},  // 2n+1: n and a quote
        {LR"(L "a""b c" d)", {L"a\"b", L"c d"}},              // a third quote: a literal one
        {LR"(L "a"""b c")", {L"a\"b c"}},
        {LR"(L "unclosed x)", {L"unclosed x"}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(CommandLineArguments(line), expected) << std::string(line.begin(), line.end());
}

TEST(ControlSwitches, UntilIsTodayOrTomorrowAndExactAcrossAClockChange) {
    auto wall = [](TLocalDate d, const TTimeOfDay& t) {
        const uint64_t day = static_cast<uint64_t>(d.Day - 1) * 86'400'000;
        const uint64_t time = (t.Hour * 3600 + t.Minute * 60 + t.Second) * 1000ull;
        return day + time - (d.Day >= 3 ? 3'600'000 : 0);
    };
    const uint64_t h = 3'600'000;
    const TLocalDate first{2026, 3, 1}, second{2026, 3, 2};
    EXPECT_EQ(MsUntil(10 * h, first, {17, 30, 0, 0}, wall), 7 * h + h / 2) << "later today";
    EXPECT_EQ(MsUntil(23 * h + h / 2, first, {0, 10, 0, 0}, wall), 40 * 60'000u) << "past midnight";
    EXPECT_EQ(MsUntil(17 * h, first, {17, 0, 0, 0}, wall), 24 * h) << "now: tomorrow's";
    EXPECT_EQ(MsUntil(86'400'000 + 18 * h, second, {17, 0, 0, 0}, wall), 22 * h) << "an hour less across the change";
    EXPECT_EQ(NextDay({2028, 2, 28}), (TLocalDate{2028, 2, 29}));
    EXPECT_EQ(NextDay({2026, 2, 28}), (TLocalDate{2026, 3, 1}));
    EXPECT_EQ(NextDay({2026, 12, 31}), (TLocalDate{2027, 1, 1}));
    EXPECT_EQ(NextDay({2026, 11, 30}), (TLocalDate{2026, 12, 1}));
    EXPECT_EQ(NextDay({2100, 2, 28}), (TLocalDate{2100, 3, 1}));
}

TEST(ControlRequest, EveryRequestTravelsWholeAndABadOneIsRefused) {
    for (uint16_t v = 1; v <= 10; ++v) {
        const auto verb = static_cast<V>(v);
        // The periods at both their limits.
        for (const bool lowest : {true, false}) {
            const uint32_t ms = verb == V::DeactivateFor     ? (lowest ? kMinPeriodMs : kMaxPeriodMs)
                                : verb == V::DeactivateUntil ? (lowest ? 1 : kMaxUntilMs)
                                                             : 0;
            const auto bytes = EncodeRequest({verb, ms});
            EXPECT_EQ(DecodeRequest(bytes.data(), bytes.size()), (TControlRequest{verb, ms})) << v;
        }
    }
    auto with = [](size_t at, uint8_t value) {
        auto bytes = EncodeRequest({V::DeactivateFor, 3'600'000});
        bytes[at] = value;
        return bytes;
    };
    const auto good = EncodeRequest({V::DeactivateFor, 3'600'000});
    EXPECT_FALSE(DecodeRequest(good.data(), good.size() - 1)) << "short";
    EXPECT_FALSE(DecodeRequest(nullptr, good.size()));
    for (const auto& bad : {with(0, 'X'), with(4, 2), with(6, 0), with(6, 11), with(11, 0xFF), with(11, 0x06)}) {
        EXPECT_FALSE(DecodeRequest(bad.data(), bad.size()));
    }
    for (const TControlRequest& bad : {TControlRequest{V::Activate, 5}, TControlRequest{V::DeactivateUntil, 0},
                                       TControlRequest{static_cast<V>(0), 0}, TControlRequest{V::Recover, 0},
                                       TControlRequest{V::DeactivateUntil, kMaxUntilMs + 1},
                                       TControlRequest{V::DeactivateFor, kMinPeriodMs - 1},
                                       TControlRequest{V::DeactivateFor, kMaxPeriodMs + 1}}) {
        const auto bytes = EncodeRequest(bad);
        EXPECT_FALSE(DecodeRequest(bytes.data(), bytes.size())) << static_cast<int>(bad.Verb);
    }
}

TEST(ControlReply, TheAnswerTravelsWholeAndNamesTheStateForScripts) {
    const TControlReply replies[] = {{TControlState::Active, true, true, 0},
                                     {TControlState::Deactivated, false, true, 0},
                                     {TControlState::DeactivatedFor, false, false, 13'400'000'000'000, false, true}};
    const wchar_t* lines[] = {L"active (screen saver: enabled, monitor power-off: enabled)",
                              L"deactivated (screen saver: disabled, monitor power-off: enabled)",
                              L"deactivated until 07:05:59 (screen saver: disabled, monitor power-off: never)"};
    const TLongTimeFormat hours24{L"HH:mm:ss", L"AM", L"PM"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(DecodeReply(EncodeReply(replies[k])), replies[k]);
        EXPECT_EQ(StatusLine(replies[k], hours24, {{2026, 3, 1}, {7, 5, 59, 0}}, {2026, 3, 1}), lines[k]);
        EXPECT_EQ(ExitCodeOf(replies[k]), k);
    }
    // The end as the window writes it, and its day when that is not today.
    const struct {
        TLocalTime End;
        TLocalDate Today;
        const wchar_t* Line;
    } ends[] = {
        {{{2026, 12, 31}, {23, 38, 0, 0}}, {2026, 12, 31}, L"until 11:38:00 PM ("},
        {{{2027, 1, 1}, {0, 7, 5, 0}}, {2026, 12, 31}, L"until 12:07:05 AM tomorrow ("},
        {{{2028, 3, 1}, {9, 0, 0, 0}}, {2028, 2, 28}, L"until 9:00:00 AM on 2028-03-01 ("},
        {{{2026, 3, 28}, {23, 30, 0, 0}}, {2026, 3, 29}, L"until 11:30:00 PM on 2026-03-28 ("},
    };
    for (const auto& e : ends)
        EXPECT_NE(StatusLine(replies[2], {L"h:mm:ss tt", L"AM", L"PM"}, e.End, e.Today).find(e.Line),
                  std::wstring::npos)
            << e.Line;
    EXPECT_FALSE(DecodeReply(0)) << "a refused or lost request";
    const uint64_t latest = UINT64_MAX / 1000;  // the last end that can be said in ms
    EXPECT_TRUE(DecodeReply(1 | latest << 8));
    EXPECT_FALSE(DecodeReply(1 | (latest + 1) << 8));
    EXPECT_FALSE(DecodeReply(1 | 3 << 1));
    EXPECT_FALSE(DecodeReply(1 | 1 << 7)) << "a bit no copy sends";
    EXPECT_FALSE(DecodeReply(1 | 3 << 1 | 4 << 8)) << "held by nothing known";
}

// The running copy: commands that may hold a dialog or end it wait for the
// answer; a toggle follows the state; a running period names its end. A
// busy copy is asked again, an ending one never: neither runs anything.
TEST(ControlTarget, EachRequestRunsAsItsCommandAndTheAnswerSaysTheStateAfter) {
    struct TCase {
        TControlRequest Request;
        bool ActivatedBefore;
        TControlState After;
        std::vector<TCommandId> Later;
        TCopyState Copy{};
        std::optional<uint64_t> Plain{};  // the answer when it is no state
        std::optional<uint32_t> Allow{};  // AllowDeactivation, then AllowCommandLineControl
        std::optional<uint32_t> Control{};
    } cases[] = {
        {{V::Toggle, 0}, true, TControlState::Deactivated, {}},
        {{V::Deactivate, 0}, true, TControlState::Deactivated, {}},
        {{V::Restore, 0}, true, TControlState::Active, {}},  // the flags as they were at the start
        {{V::Toggle, 0}, false, TControlState::Active, {}},
        {{V::DeactivateUntil, 90'000}, true, TControlState::DeactivatedFor, {}},
        {{V::Status, 0}, false, TControlState::Deactivated, {}},
        {{V::ScreenSaver, 0}, true, TControlState::Active, {TCommandId::actScreenSaver}},
        {{V::Exit, 0}, true, TControlState::Active, {TCommandId::actExit}},
        {{V::Toggle, 0}, true, TControlState::Active, {}, {false, false, false}, kBusyReply},  // starting
        {{V::Toggle, 0}, true, TControlState::Active, {}, {true, true, false}, kBusyReply},    // inside Restore
        {{V::Exit, 0}, true, TControlState::Active, {}, {true, false, true}, 0},               // ending
        {{V::Toggle, 0}, true, TControlState::Active, {}, {}, kNotAllowedReply, 0},
        {{V::DeactivateFor, 90'000}, true, TControlState::Active, {}, {}, kNotAllowedReply, 0},
        {{V::Toggle, 0}, false, TControlState::Active, {}, {}, {}, 0},  // an activation is allowed
        {{V::Activate, 0}, false, TControlState::Deactivated, {}, {}, kNotAllowedReply, {}, 0},
        {{V::Status, 0}, false, TControlState::Deactivated, {}, {}, {}, {}, 0},
        {{V::Exit, 0}, true, TControlState::Active, {TCommandId::actExit}, {}, {}, {}, 0},  // an uninstaller ends a copy
    };
    for (const auto& c : cases) {
        TFakeCore core;
        core.form.SetChecked(TControlId::cbManageScreenSaver, true);
        core.config.FActivated = c.ActivatedBefore;
        TPolicies policies;
        policies.Values[0] = c.Allow, policies.Values[5] = c.Control;
        core.config.SetPolicies(policies);
        std::vector<TCommandId> later;
        const uint64_t answer =
            Answer({core.dispatch, core.config, core.spi, [&](TCommandId id) { later.push_back(id); }}, c.Request, c.Copy);
        const std::optional<TControlReply> decoded = DecodeReply(answer);
        const TControlReply reply = decoded.value_or(TControlReply{});
        if (c.Plain) {
            EXPECT_EQ(answer, *c.Plain) << static_cast<int>(c.Request.Verb);
        } else {
            EXPECT_TRUE(decoded) << static_cast<int>(c.Request.Verb) << ": a state, not " << answer;
            EXPECT_EQ(reply.State, c.After) << static_cast<int>(c.Request.Verb);
        }
        EXPECT_EQ(core.config.FActivated, c.After == TControlState::Active) << "carried out only when answered";
        if (c.Request.Verb == V::Toggle && !c.Plain) {
            EXPECT_EQ(reply.ScreenSaverActive, c.After == TControlState::Active) << "the flags as they are after";
        }
        EXPECT_EQ(later, c.Later);
        EXPECT_TRUE(core.requests.Sent.empty()) << "nothing ran while the sender waits";
        if (c.After == TControlState::DeactivatedFor) {
            EXPECT_EQ(reply.UntilMs, core.clock.Wall + c.Request.Ms);
        }
    }
}

// Every answer the system can give about where a start's words may go.
TEST(ControlPrint, ARedirectedHandleFirstThenTheStartersConsoleElseABoxForAnErrorOrTheUsageOnly) {
    struct TOutput final : IConsoleOutput {
        bool Std = false, Parent = false;
        std::wstring Log;
        bool UseStdHandle(bool error) override { return Log += error ? L"[err]" : L"[out]", Std; }
        bool UseParentConsole() override { return Log += L"[console]", Parent; }
        void Write(const std::wstring& lines) override { Log += L"[write]" + lines; }
        void Box(const std::wstring& text, bool error) override {
            Log += (error ? L"[err]" : L"[box]") + text.substr(0, 6);
        }
    };
    const struct { bool Std, Parent, Error; const wchar_t *Text, *Log; } rows[] = {
        {true, false, false, L"a\nb", L"[out][write]a\r\nb\r\n"},
        {false, true, true, L"a\n", L"[err][console][write]a\r\n"},
        {false, false, true, L"bad", L"[err][console][err]bad"},
        {false, false, false, kUsageText, L"[out][console][box]Usage:"},
        {false, false, false, L"active", L"[out][console]"},  // a status line goes nowhere
    };
    for (const auto& r : rows) {
        TOutput output;
        output.Std = r.Std, output.Parent = r.Parent;
        PrintTo(output, r.Text, r.Error);
        EXPECT_EQ(output.Log, r.Log);
    }
}


// The folder the setup program puts into the user's path, by a name with a
// letter that only a fold beyond ASCII matches in another case.
const std::wstring kDir = L"C:\\Users\\Zo\u00EB\\AppData\\Local\\Programs\\Lumivane";
std::wstring Expand(const std::wstring& s) {
    const std::wstring var = L"%LOCALAPPDATA%";
    const size_t at = s.find(var);
    return at == std::wstring::npos ? s : s.substr(0, at) + L"C:\\Users\\Zo\u00EB\\AppData\\Local" + s.substr(at + var.size());
}

TEST(SetupPath, TheFolderIsAddedOnceAndRemovedAloneWhateverTheOtherEntries) {
    const std::wstring d = kDir, zoe = L"C:\\Users\\Zoe\\AppData\\Local\\Programs\\Lumivane";
    struct TCase { TPathChange Change; std::wstring Before, After; } cases[] = {
        {TPathChange::Add, L"", d},
        {TPathChange::Add, L"C:\\a;C:\\b", L"C:\\a;C:\\b;" + d},
        {TPathChange::Add, L"C:\\a;;C:\\b;", L"C:\\a;;C:\\b;" + d},
        {TPathChange::Add, L"C:\\a;c:\\users\\ZO\u00CB\\appdata\\local\\programs\\LUMIVANE\\", {}},
        {TPathChange::Add, L"%LOCALAPPDATA%\\Programs\\Lumivane;C:\\a", {}},
        {TPathChange::Add, L"\"C:\\x;y\";\"" + d + L"\"", {}},
        {TPathChange::Add, d + L"\\bin;" + d + L"2", d + L"\\bin;" + d + L"2;" + d},
        {TPathChange::Remove, L"C:\\a;" + d + L";C:\\b", L"C:\\a;C:\\b"},
        {TPathChange::Remove, L"C:\\USERS\\ZO\u00CB\\APPDATA\\LOCAL\\PROGRAMS\\LUMIVANE;" + zoe, zoe},
        {TPathChange::Remove, d + L"\\;C:\\a;%LOCALAPPDATA%\\programs\\lumivane", L"C:\\a"},
        {TPathChange::Remove, L";C:\\a;;" + d + L"\\bin;" + d, L";C:\\a;;" + d + L"\\bin"},
        {TPathChange::Remove, L"\"C:\\x;" + d + L"\";C:\\a", {}},
        {TPathChange::Remove, L"", {}},
    };
    for (const auto& c : cases) {
        const TPathEdit edit = (c.Change == TPathChange::Add ? AddPathEntry : RemovePathEntry)(c.Before, d, Expand);
        EXPECT_EQ(edit.Changed, !c.After.empty() || c.Before == d) << Narrow({c.Before});
        EXPECT_EQ(edit.Value, edit.Changed ? c.After : c.Before) << Narrow({c.Before});
    }
}

TEST(SetupPath, OnlyWhatASetupAddedGoesAndThePathKeepsItsNameTypeAndLimit) {
    const std::wstring env = kEnvironmentKey, d = kDir, machine = L"%LOCALAPPDATA%\\m;" + std::wstring(20000, L'm');
    // A path that, with the folder added and after the machine's, expands to `total` characters.
    const auto sized = [&](size_t total) {
        return L"%LOCALAPPDATA%;" + std::wstring(total - Expand(machine).size() - d.size() - 29, L'x');
    };
    constexpr auto Ours = TPathOutcome::Ours, NotOurs = TPathOutcome::NotOurs, Failed = TPathOutcome::Failed;
    struct TCase {
        const wchar_t* Name; uint32_t Type; std::wstring Before; bool Wanted, Recorded; int WritesAllowed;
        TPathOutcome Outcome; std::wstring After;  // empty: no value
    } cases[] = {
        {nullptr, 0, L"", true, false, 9, Ours, d},
        {L"Path", kRegSz, L"C:\\a", true, false, 9, Ours, L"C:\\a;" + d},
        {L"PATH", kRegExpandSz, L"%X%", true, false, 9, Ours, L"%X%;" + d},
        {L"Path", kRegDword, L"C:\\a", true, false, 9, Failed, L"C:\\a"},
        {L"Path", kRegSz, L"C:\\a", true, false, 0, Failed, L"C:\\a"},
        {L"Path", kRegExpandSz, d, false, true, 9, NotOurs, L""},
        {nullptr, 0, L"", false, false, 9, NotOurs, L""},
        // On the path before the install: the user's, kept by the setup, its uninstall and a box cleared later.
        {L"Path", kRegSz, L"C:\\a;" + d + L"\\", true, false, 9, NotOurs, L"C:\\a;" + d + L"\\"},
        {L"Path", kRegSz, L"C:\\a;" + d, false, false, 9, NotOurs, L"C:\\a;" + d},
        {L"Path", kRegSz, d + L";C:\\a", true, true, 9, Ours, d + L";C:\\a"},
        {L"Path", kRegSz, L"C:\\a;" + d + L";C:\\b", false, true, 9, NotOurs, L"C:\\a;C:\\b"},
        {L"Path", kRegSz, L"C:\\a;" + d, false, true, 0, Failed, L"C:\\a;" + d},
        {L"Path", kRegExpandSz, sized(32767), true, false, 9, Ours, sized(32767) + L";" + d},
        {L"Path", kRegExpandSz, sized(32768), true, false, 9, TPathOutcome::TooLong, sized(32768)},
        {L"Path", kRegExpandSz, sized(40000) + L";" + d, true, true, 9, Ours, sized(40000) + L";" + d},
    };
    const auto bytes = [](const std::wstring& text) {
        std::vector<uint8_t> data;
        for (wchar_t ch : text + L'\0') data.insert(data.end(), {uint8_t(ch & 0xFF), uint8_t(ch >> 8)});
        return data;
    };
    for (const auto& c : cases) {
        TFakeRegistry registry;
        registry.WritesAllowed = c.WritesAllowed;
        const std::wstring name = c.Name ? c.Name : L"Path";
        if (c.Name) registry.Keys[env][name] = {c.Type, bytes(c.Before)};
        registry.Keys[kMachineEnvironmentKey][L"Path"] = {kRegExpandSz, bytes(machine)};
        const TPathResult result =
            EditUserPath(registry, registry, {.Wanted = c.Wanted, .AddedBySetup = c.Recorded}, d, Expand);
        const std::string row = Narrow({c.Before.substr(0, 40), c.Wanted ? L"ticked" : L"", c.Recorded ? L"ours" : L""});
        EXPECT_EQ(result.Outcome, c.Outcome) << row;
        EXPECT_EQ(result.Changed, c.After != c.Before) << row;
        if (c.Outcome == TPathOutcome::TooLong) { EXPECT_EQ(result.Length, 32768u) << row; }
        EXPECT_EQ(registry.Opened, registry.Closed);
        EXPECT_EQ(registry.Has(env, name), !c.After.empty()) << row;
        if (c.After.empty() || !registry.Has(env, name)) continue;
        EXPECT_EQ(registry.String(env, name), c.After) << row;
        EXPECT_EQ(registry.Keys[env].size(), 1u) << "one value, under its own name";
        EXPECT_EQ(registry.Keys[env][name].Type, c.Name ? c.Type : kRegExpandSz);
    }
    EXPECT_EQ(ParseSetupPath({L"-SETUP-PATH", L"Remove"}).Change, TPathChange::Remove);
    EXPECT_TRUE(ParseSetupPath({L"-setup-path", L"add", L"1"}).AddedBySetup);
    const TSetupPathCall older = ParseSetupPath({L"-setup-path", L"remove", L""});  // an older setup's entry
    EXPECT_TRUE(older.Error.empty() && !older.AddedBySetup);
    for (auto args : {std::vector<std::wstring>{L"-setup-path"}, {L"/setup-path", L"add", L"C:\\x"}, {L"-setup-path", L"on"},
                      {L"-setup-path", L"add", L"1", L"1"}})
        EXPECT_FALSE(ParseSetupPath(args).Error.empty()) << Narrow(args);
    EXPECT_FALSE(ParseSetupPath({L"-status", L"-setup-path"}).Present);
}

TEST(SetupSteps, TheFolderAndStartupStepsTakeExactlyTheirArguments) {
    using S = TSetupStepCall::TStep;
    const struct { std::vector<std::wstring> Args; S Step; const wchar_t* Folder; /* nullptr: refused */ } rows[] = {
        {{L"-SETUP-FOLDER", L"C:\\R&D %x%\\Lumivane"}, S::Folder, L"C:\\R&D %x%\\Lumivane"},
        {{L"/setup-folder"}, S::Folder, nullptr},          {{L"-setup-folder", L""}, S::Folder, nullptr},
        {{L"-setup-folder", L"C:\\a", L"C:\\b"}, S::Folder, nullptr}, {{L"/Setup-Startup", L"Remove"}, S::RemoveStartup, L""},
        {{L"-setup-startup", L"add"}, S::RemoveStartup, nullptr}, {{L"-status", L"-setup-folder", L"C:\\a"}, S::None, L""},
    };
    for (const auto& row : rows) {
        const TSetupStepCall call = ParseSetupStep(row.Args);
        EXPECT_EQ(call.Step, row.Step) << Narrow(row.Args);
        EXPECT_EQ(call.Error.empty(), row.Folder != nullptr) << Narrow(row.Args);
        if (row.Step == S::Folder && row.Folder) { EXPECT_EQ(call.Folder, row.Folder); }
    }
}
// -while and -while-pid come first and alone; the job's arguments go to it
// on a command line that splits back into them; the copy holds for the
// process unless a policy forbids it, it cannot, or it holds the most.
TEST(WhileSwitches, AJobOrAProcessHeldByTheRunningCopy) {
    const struct { std::vector<std::wstring> Args; bool Present; uint32_t Pid; size_t Job; bool Error; } rows[] = {
        {{L"-WHILE", L"cmd", L"/c", L"exit 7"}, true, 0, 3, false}, {{L"/while-pid", L"4242"}, true, 4242, 0, false},
        {{L"-while"}, true, 0, 0, true},            {{L"-while-pid", L"0"}, true, 0, 0, true},
        {{L"-while-pid", L"12x"}, true, 0, 0, true}, {{L"-while-pid", L"4294967296"}, true, 0, 0, true},
        {{L"-while-pid", L"1", L"2"}, true, 0, 0, true}, {{L"-status", L"-while", L"x"}, false, 0, 0, false},
    };
    for (const auto& row : rows) {
        const TWhileCall call = ParseWhile(row.Args);
        EXPECT_EQ(std::tuple(call.Present, call.ProcessId, call.Job.size(), !call.Error.empty()),
                  std::tuple(row.Present, row.Pid, row.Job, row.Error)) << Narrow(row.Args);
    }
    const std::vector<std::wstring> job{L"C:\\Program Files\\a.exe", L"", L"a b", L"q\"uote", L"tail\\", L"x y\\", L"\\\""};
    EXPECT_EQ(CommandLineArguments(L"L " + JoinArguments(job)), job);
    EXPECT_EQ(JobStart(L"C:\\a b\\job.CMD", {L"x y"}, L"cmd.exe").CommandLine, L"\"cmd.exe\" /d /s /c \"\"C:\\a b\\job.CMD\" \"x y\"\"");
    EXPECT_EQ(JobStart(L"C:\\t.bat\\run.exe", {}, L"cmd.exe").Application, L"C:\\t.bat\\run.exe");
    const auto bytes = EncodeRequest({V::WhileProcess, 4242}), none = EncodeRequest({V::WhileProcess, 0});
    EXPECT_EQ(DecodeRequest(bytes.data(), bytes.size()), (TControlRequest{V::WhileProcess, 4242}));
    EXPECT_FALSE(DecodeRequest(none.data(), none.size()));
    TPolicies forbidden, twoHours;
    forbidden.Values[0] = 0, twoHours.Values[1] = 120;
    const struct { TPolicies Policies; size_t Holds; bool Held; uint64_t Answer; /* 1: a state */ } holds[] = {
        {{}, 0, true, 1}, {{}, 0, false, 0}, {{}, kMaxWhileHolds, true, kTooManyHoldsReply},
        {forbidden, 0, true, kNotAllowedReply}, {twoHours, 0, true, kNotAllowedReply},
    };
    for (const auto& row : holds) {
        TFakeCore core;
        core.config.SetPolicies(row.Policies);
        const TControlTarget target{core.dispatch, core.config, core.spi, [](TCommandId) {},
                                    [&](uint32_t id) { return id == 4242 && row.Held; }, [&] { return row.Holds; }};
        const uint64_t answer = Answer(target, TControlRequest{V::WhileProcess, 4242}, {});
        EXPECT_EQ(row.Answer == 1 ? DecodeReply(answer).has_value() : answer == row.Answer, true) << row.Holds;
    }
    // Held by what ends by itself: -status says what, with exit code 2.
    const struct { std::wstring Cause; bool ByCommand; TWhileCause While; const wchar_t* Line; } held[] = {
        {kCallCause, false, TWhileCause::Call, L"deactivated during a call ("},
        {kPresentingCause, false, TWhileCause::Presenting, L"deactivated while presenting ("},
        {L"make.exe", true, TWhileCause::Job, L"deactivated while a program runs ("}, {L"vlc.exe", false, {}, L"deactivated ("}};
    for (const auto& row : held) {
        TFakeCore core;
        core.form.SetChecked(TControlId::cbManageScreenSaver, true);
        core.config.SetTriggerCause(row.Cause, 0, row.ByCommand);
        const auto reply = DecodeReply(Answer({core.dispatch, core.config, core.spi, [](TCommandId) {}}, TControlRequest{}, {}));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->While, row.While);
        EXPECT_TRUE(StatusLine(*reply, {}, {}, {}).starts_with(row.Line)) << Narrow({row.Cause});
        EXPECT_EQ(ExitCodeOf(*reply), row.While == TWhileCause::None ? kExitDeactivated : kExitDeactivatedFor);
    }
}

}  // namespace
}  // namespace lumivane::test
