#include "app/Application.h"

namespace lumivane {


std::wstring InstanceMutexName(const std::wstring& title) { return title + L" - Tessaly"; }

std::wstring LowerAscii(std::wstring text) {
    for (auto& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

TCommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    TCommandLine result;
    result.Quiet = !args.empty() && LowerAscii(args.front()) == L"-quiet";
    for (const auto& arg : args) {
        const std::wstring lower = LowerAscii(arg);
        if (lower == L"-screensaver") result.Commands.push_back(TCommandLineCommand::ScreenSaver);
        if (lower == L"-poweroff") result.Commands.push_back(TCommandLineCommand::PowerOff);
    }
    return result;
}

namespace {

void RunCommand(IApplicationPlatform& p, TCommandLineCommand command) {
    p.SetNotifyIconVisible(false);
    if (command == TCommandLineCommand::ScreenSaver) {
        p.ExecuteScreenSaver();
    } else {
        p.ExecutePowerOff();
        // Let the one-shot power-off timer fall due and send its second
        // request before the program ends.
        p.ProcessMessages();
        p.Pause(2 * p.TimerPowerOffInterval());
        p.ProcessMessages();
    }
    p.Terminate();
}

}  // namespace

void RunApplication(IApplicationPlatform& p, const std::vector<std::wstring>& args) {
    p.InitializeCom();
    p.SetTitle(kApplicationTitle);
    p.RegisterActivationMessage();
    if (p.CreateInstanceMutex(InstanceMutexName(p.Title()))) {
        // Another instance runs: wake it and end; the handle goes with the process.
        p.ActivatePreviousInstance(kMainWindowClassName);
    } else {
        const TCommandLine commandLine = ParseCommandLine(args);
        // Without its window the program has no way to be ended: it ends now
        // instead of waiting for a message that will never come.
        if (p.CreateMainWindow()) {
            for (const auto command : commandLine.Commands) RunCommand(p, command);
            p.RunMessageLoop(!commandLine.Quiet);
        }
        p.CloseInstanceMutex();
    }
    p.DestroyMainWindow();
    p.UninitializeCom();
}

void OnActivationMessage(IApplicationPlatform& p) {
    // Hiding and showing the icon puts it back into a notification area that
    // may have lost it.
    p.SetNotifyIconVisible(false);
    p.SetNotifyIconVisible(true);
    p.ClickShow();
    p.BringMainWindowToFront();
}

TShowStep ShowStepFor(bool visible, bool minimised) {
    if (!visible) return TShowStep::FromTray;
    return minimised ? TShowStep::Restore : TShowStep::None;
}

}  // namespace lumivane
