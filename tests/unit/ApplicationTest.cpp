#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/Application.h"
#include "app/RunningCopy.h"

namespace lumivane::test {
namespace {

TEST(CommandLine, QuietOnlyFirstCommandsEverywhereInOrder) {
    using C = TCommandLineCommand;
    struct TCase {
        std::vector<std::wstring> Args;
        bool Quiet;
        std::vector<C> Commands;
    } cases[] = {
        {{}, false, {}},
        {{L"-quiet"}, true, {}},
        {{L"-QUIET"}, true, {}},
        {{L"-QuIeT", L"-poweroff"}, true, {C::PowerOff}},
        {{L"x", L"-quiet"}, false, {}},
        {{L"-quiet "}, false, {}},
        {{L"/quiet"}, false, {}},
        {{L"-screensaver"}, false, {C::ScreenSaver}},
        {{L"-SCREENSAVER", L"-PowerOff"}, false, {C::ScreenSaver, C::PowerOff}},
        {{L"-poweroff", L"-screensaver"}, false, {C::PowerOff, C::ScreenSaver}},
        {{L"-poweroff", L"junk", L"-poweroff"}, false, {C::PowerOff, C::PowerOff}},
        {{L"-quiet", L"-screensaver"}, true, {C::ScreenSaver}},
        // Only A to Z are lower-cased: other letters keep their case.
        {{L"-scr\u00c9ensaver"}, false, {}},
    };
    for (const auto& c : cases) {
        const TCommandLine parsed = ParseCommandLine(c.Args);
        std::wstring joined;
        for (const auto& a : c.Args) joined += a + L" ";
        EXPECT_EQ(parsed.Quiet, c.Quiet) << std::string(joined.begin(), joined.end());
        EXPECT_EQ(parsed.Commands, c.Commands) << std::string(joined.begin(), joined.end());
    }
}

TEST(CommandLine, NamesOfTheInstanceObjects) {
    EXPECT_EQ(InstanceMutexName(kApplicationTitle), L"Lumivane - Tessaly");
    EXPECT_STREQ(kMainWindowClassName, L"TfMain_lumivane");
    EXPECT_STREQ(kActivationMessageName, L"Tessaly - activate previous instance");
}

// Records the shell's steps as text.
struct TPlatformLog final : IApplicationPlatform {
    std::vector<std::string> Steps;
    bool MutexExists = false, Above = false;
    std::wstring NotBack;  // what a recovery or an ended copy could not put back
    std::wstring TitleValue;
    uint32_t Interval = 300;
    void Add(std::string s) { Steps.push_back(std::move(s)); }
    static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

    void InitializeCom() override { Add("com"); }
    void SetTitle(const std::wstring& t) override { TitleValue = t; Add("title " + Narrow(t)); }
    std::wstring Title() const override { return TitleValue; }
    void RegisterActivationMessage() override { Add("register"); }
    bool CreateInstanceMutex(const std::wstring& n) override {
        Add("mutex " + Narrow(n));
        return MutexExists;
    }
    bool RunningCopyAbove() override { return Above; }
    void ActivatePreviousInstance(const std::wstring& c) override { Add("wake " + Narrow(c)); }
    bool WindowCreated = true;
    bool CreateMainWindow(bool forCommandsOnly, bool windowFirst) override {
        Add(forCommandsOnly ? "create for commands" : windowFirst ? "create, window first" : "create");
        return WindowCreated;
    }
    void SetNotifyIconVisible(bool v) override { Add(v ? "icon on" : "icon off"); }
    void ExecuteScreenSaver() override { Add("screensaver"); }
    void ExecutePowerOff() override { Add("poweroff"); }
    uint32_t TimerPowerOffInterval() const override { return Interval; }
    void ProcessMessages() override { Add("process"); }
    void Pause(uint32_t ms) override { Add("pause " + std::to_string(ms)); }
    void Terminate() override { Add("terminate"); }
    void RunMessageLoop(bool show) override { Add(show ? "loop shown" : "loop hidden"); }
    void CloseInstanceMutex() override { Add("close mutex"); }
    void DestroyMainWindow() override { Add("destroy"); }
    void UninitializeCom() override { Add("uncom"); }
    void ClickShow() override { Add("show"); }
    void BringMainWindowToFront() override { Add("front"); }

    TLongTimeFormat TimeFormat() const override { return {L"HH:mm:ss", L"AM", L"PM"}; }
    // The running copy's answers, in turn; none left: no answer.
    std::vector<TSent> Answers;
    TSent SendControl(const TControlRequest& r) override {
        Add("send " + std::to_string(static_cast<int>(r.Verb)) + " " + std::to_string(r.Ms));
        if (Answers.empty()) return {};
        const TSent next = Answers.front();
        Answers.erase(Answers.begin());
        return next;
    }
    bool Starts = true;
    bool StartHiddenCopy() override {
        Add("start hidden");
        return Starts;
    }
    bool Ends = true;
    bool WaitForRunningCopyToEnd() override { Add("wait end"); return Ends; }
    std::wstring RecoverLostRuns() override { Add("recover"); return NotBack; }
    std::wstring LeftChanged() override { return NotBack; }
    uint32_t MsUntil(const TTimeOfDay& t) override { return static_cast<uint32_t>(t.Hour * 1000 + t.Minute); }
    uint64_t WallClockMs() override { return 0; }
    TLocalTime LocalTimeOf(uint64_t ms) override { return {{}, {static_cast<int>(ms / 3'600'000), 30, 0, 0}}; }
    void Print(const std::wstring& text, bool error) override {
        Add((error ? "error " : "print ") + Narrow(text.substr(0, text.find(L'\n'))));
    }
    int Code = 0;
    void SetExitCode(int code) override { Code = code; }
};

using Steps = std::vector<std::string>;
const Steps kHead{"title Lumivane", "register", "mutex Lumivane - Tessaly", "com", "create"};
const Steps kShownHead{"title Lumivane", "register", "mutex Lumivane - Tessaly", "com", "create, window first"};
const Steps kCommandHead{"title Lumivane", "register", "mutex Lumivane - Tessaly", "com", "create for commands"};
const Steps kTail{"close mutex", "destroy", "uncom"};
const Steps kScreenSaver{"icon off", "screensaver", "terminate"};
const Steps kPowerOff{"icon off", "poweroff", "process", "pause 600", "process", "terminate"};

Steps Join(std::initializer_list<Steps> parts) {
    Steps all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(StartUp, StepsInOrderForEachCommandLine) {
    struct TCase {
        std::vector<std::wstring> Args;
        Steps Expected;
    } cases[] = {
        {{}, Join({kShownHead, {"loop shown"}, kTail})},
        {{L"-QUIET"}, Join({kHead, {"loop hidden"}, kTail})},
        {{L"-screensaver"}, Join({kCommandHead, kScreenSaver, {"loop shown"}, kTail})},
        {{L"-quiet", L"-screensaver"}, Join({kCommandHead, kScreenSaver, {"loop hidden"}, kTail})},
        {{L"-poweroff"}, Join({kCommandHead, kPowerOff, {"loop shown"}, kTail})},
        {{L"-screensaver", L"-poweroff"},
         Join({kCommandHead, kScreenSaver, kPowerOff, {"loop shown"}, kTail})},
        {{L"-screensaver", L"-screensaver"},
         Join({kCommandHead, kScreenSaver, kScreenSaver, {"loop shown"}, kTail})},
    };
    for (const auto& c : cases) {
        TPlatformLog log;
        RunApplication(log, c.Args);
        EXPECT_EQ(log.Steps, c.Expected) << c.Args.size() << " args";
    }
}

TEST(StartUp, AFailedWindowCreationEndsTheProgramWithoutRunningCommandsOrTheLoop) {
    TPlatformLog log;
    log.WindowCreated = false;
    RunApplication(log, {L"-screensaver"});
    EXPECT_EQ(log.Steps, Join({kCommandHead, kTail}));
}

// A second start wakes the running copy, or hands it its command and tells
// the shell the outcome; with no copy running, a control command starts one
// hidden first, and "-status" and "-exit" only say so.
TEST(StartUp, ASecondStartWakesTheRunningCopyOrHandsItTheCommand) {
    using R = IApplicationPlatform::TSendResult;
    const uint64_t deactivated = EncodeReply({TControlState::Deactivated, false, false, 0});
    const uint64_t forPeriod = EncodeReply({TControlState::DeactivatedFor, false, true, 19 * 3'600'000});
    const Steps head{"title Lumivane", "register", "mutex Lumivane - Tessaly"};
    struct TCase {
        bool Running;
        std::vector<std::wstring> Args;
        std::vector<IApplicationPlatform::TSent> Answers;
        Steps Expected;
        int Code;
        bool Ends = true;  // the copy has ended when -exit's wait is over
        bool Above = false;  // the copy runs with administrator rights
        const wchar_t* NotBack = L"";
    } cases[] = {
        {true, {}, {}, {"wake TfMain_lumivane"}, 0},
        {true, {L"-status"}, {{R::Answered, deactivated}},
         {"send 7 0", "print deactivated (screen saver: disabled, monitor power-off: disabled)"}, 1},
        {true, {L"/Deactivate-For", L"1h30m"}, {{R::Answered, forPeriod}},
         {"send 3 5400000", "print deactivated until 19:30:00 (screen saver: disabled, monitor power-off: enabled)"}, 0},
        {true, {L"-deactivate-until", L"5:30pm"}, {{R::Answered, forPeriod}}, {"send 4 17030", "print deactivated until 19:30:00 (screen saver: disabled, monitor power-off: enabled)"}, 0},
        {true, {L"-exit"}, {{R::Answered, deactivated}}, {"send 8 0", "wait end"}, 0},
        {true, {L"-exit"}, {{R::Answered, deactivated}}, {"send 8 0", "wait end", "error Lumivane took the command but has not ended."}, 4, false},
        {true, {L"-recover"}, {}, {"close mutex"}, 0},  // the running copy's journal is its own
        {false, {L"/recover"}, {}, {"recover", "close mutex"}, 0},
        {false, {L"-recover"}, {}, {"recover", "close mutex", "error refused"}, 7, true, false, L"refused"},
        {true, {L"-exit"}, {{R::Answered, deactivated}}, {"send 8 0", "wait end", "error refused"}, 7, true, false,
         L"refused"},
        {true, {}, {}, {"close mutex", "error Lumivane is running with administrator rights; end it from its own menu."},
         8, true, true},
        {true, {L"-recover"}, {}, {"close mutex", "error Lumivane is running with administrator rights; end it from its own menu."},
         8, true, true},
        {true, {L"-screensaver", L"-poweroff"}, {{R::Answered, deactivated}, {R::Answered, deactivated}},
         {"send 9 0", "send 10 0"}, 0},
        {true, {L"-activate"}, {}, {"send 1 0", "error Lumivane is running but does not answer."}, 4},
        {true, {L"-toggle"}, {{R::Refused, 0}}, {"send 6 0", "error Lumivane did not accept the command."}, 5},
        {true, {L"-deactivate"}, {{R::LookAlike, 0}},
         {"send 2 0", "error Lumivane is not running. A window of another program poses as it; nothing was sent to it."}, 3},
        {true, {L"-toggle"}, {{R::Answered, 6}}, {"send 6 0", "error Lumivane did not accept the command."}, 5},
        {false, {L"-status"}, {}, {"close mutex", "print not running"}, 3},
        {false, {L"-restore"}, {{R::Answered, deactivated}},
         {"close mutex", "start hidden", "send 5 0", "print deactivated (screen saver: disabled, monitor power-off: disabled)"}, 0},
    };
    for (const auto& c : cases) {
        TPlatformLog log;
        log.MutexExists = c.Running;
        log.Answers = c.Answers;
        log.Ends = c.Ends;
        log.Above = c.Above;
        log.NotBack = c.NotBack;
        RunApplication(log, c.Args);
        EXPECT_EQ(log.Steps, Join({head, c.Expected})) << c.Args.size() << " args, running " << c.Running;
        EXPECT_EQ(log.Code, c.Code) << log.Steps.back();
    }
    // Bad input changes nothing, and the help changes nothing either.
    for (const auto& [args, expected, code] :
         {std::tuple{std::vector<std::wstring>{L"-deactivate-for", L"0"}, "error Out of range (1 minute to 24 hours): 0", 64},
          std::tuple{std::vector<std::wstring>{L"-quiet", L"/?"}, "print Usage: Lumivane [-quiet] [-screensaver] [-poweroff]", 0}}) {
        TPlatformLog log;
        RunApplication(log, args);
        EXPECT_EQ(log.Steps, Steps{expected});
        EXPECT_EQ(log.Code, code);
    }
    TPlatformLog log;
    log.Starts = false;
    RunApplication(log, {L"-activate"});
    EXPECT_EQ(log.Steps, Join({head, {"close mutex", "start hidden", "error Lumivane could not be started."}}));
    EXPECT_EQ(log.Code, 4);
}

// Any program may register the copy's window class and sit above it.
TEST(StartUp, OnlyThisUsersLumivaneInThisSessionAtTheSendersLevelOrAboveIsTheCopy) {
    using K = TCopyChoice::TKind;
    constexpr uint32_t kMedium = 0x2000, kLow = 0x1000, kHigh = 0x3000;
    const TCandidate copy{true, true, true, false, kMedium};
    const struct { const char* Case; std::vector<TCandidate> Windows; TCopyChoice Expected; } rows[] = {  // topmost first
        {"the copy alone", {copy}, {K::Copy, 0}},
        {"a look-alike of another image on top", {{true, true, false, false, kMedium}, copy}, {K::Copy, 1}},
        {"another user's Lumivane on top", {{false, true, true, false, kMedium}, copy}, {K::Copy, 1}},
        {"another session's", {{true, false, true, false, kMedium}}, {K::LookAlike, 0}},
        {"a low-integrity Lumivane.exe from elsewhere", {{true, true, true, false, kLow}}, {K::LookAlike, 0}},
        {"the program beside this one, below an elevated sender", {{true, true, true, true, kLow}}, {K::Copy, 0}},
        {"a level that cannot be read", {{true, true, true, true, std::nullopt}}, {K::LookAlike, 0}},
        {"the copy with administrator rights", {{true, true, true, false, kHigh}}, {K::Above, 0}},
        {"a copy at the sender's level wins over one above", {{true, true, true, false, kHigh}, copy}, {K::Copy, 1}},
        {"no window", {}, {K::None, 0}},
    };
    for (const auto& r : rows) EXPECT_EQ(ChooseCopy(r.Windows, kMedium), r.Expected) << r.Case;
}

TEST(StartUp, WakeUpReaddsTheIconShowsAndBringsToFront) {
    TPlatformLog log;
    OnActivationMessage(log);
    EXPECT_EQ(log.Steps, (Steps{"icon off", "icon on", "show", "front"}));
}

TEST(StartUp, ShowRestoresAMinimisedWindowAndBringsAHiddenOneFromTheTray) {
    const struct {
        bool Visible, Minimised;
        TShowStep Step;
    } rows[] = {
        {true, false, TShowStep::None},
        {true, true, TShowStep::Restore},  // the wake-up of a second start used to do nothing here
        {false, false, TShowStep::FromTray},
        {false, true, TShowStep::FromTray},  // hidden while minimised: the tray's way restores it too
    };
    for (const auto& r : rows) EXPECT_EQ(ShowStepFor(r.Visible, r.Minimised), r.Step) << r.Visible << r.Minimised;
}

}  // namespace
}  // namespace lumivane::test
