#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Application.h"

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
    bool MutexExists = false;
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
    void ActivatePreviousInstance(const std::wstring& c) override { Add("wake " + Narrow(c)); }
    bool WindowCreated = true;
    bool CreateMainWindow() override {
        Add("create");
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
};

using Steps = std::vector<std::string>;
const Steps kHead{"com", "title Lumivane", "register", "mutex Lumivane - Tessaly", "create"};
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
        {{}, Join({kHead, {"loop shown"}, kTail})},
        {{L"-QUIET"}, Join({kHead, {"loop hidden"}, kTail})},
        {{L"-screensaver"}, Join({kHead, kScreenSaver, {"loop shown"}, kTail})},
        {{L"-quiet", L"-screensaver"}, Join({kHead, kScreenSaver, {"loop hidden"}, kTail})},
        {{L"-poweroff"}, Join({kHead, kPowerOff, {"loop shown"}, kTail})},
        {{L"-screensaver", L"-poweroff"},
         Join({kHead, kScreenSaver, kPowerOff, {"loop shown"}, kTail})},
        {{L"-screensaver", L"-screensaver"},
         Join({kHead, kScreenSaver, kScreenSaver, {"loop shown"}, kTail})},
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
    EXPECT_EQ(log.Steps, Join({kHead, kTail}));
}

TEST(StartUp, PauseIsTwiceThePowerOffTimerInterval) {
    TPlatformLog log;
    log.Interval = 450;
    RunApplication(log, {L"-poweroff"});
    EXPECT_NE(std::find(log.Steps.begin(), log.Steps.end(), "pause 900"), log.Steps.end());
}

TEST(StartUp, SecondInstanceOnlyWakesTheFirst) {
    TPlatformLog log;
    log.MutexExists = true;
    RunApplication(log, {L"-screensaver", L"-poweroff"});
    EXPECT_EQ(log.Steps, (Steps{"com", "title Lumivane", "register", "mutex Lumivane - Tessaly",
                                "wake TfMain_lumivane", "destroy", "uncom"}));
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
