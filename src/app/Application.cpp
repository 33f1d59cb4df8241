#include "app/Application.h"

#include <algorithm>

namespace lumivane {

std::wstring InstanceMutexName(const std::wstring& title) { return title + L" - Tessaly"; }

const wchar_t* const kHigherCopyText = L"Lumivane is running with administrator rights; end it from its own menu.";

std::wstring LowerAscii(std::wstring text) {
    for (auto& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
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

// The requests a command line hands to the running copy, in order.
std::vector<TControlRequest> RequestsOf(const TCommandLine& commandLine, IApplicationPlatform& p) {
    std::vector<TControlRequest> requests;
    for (const auto command : commandLine.Commands)
        requests.push_back({command == TCommandLineCommand::ScreenSaver ? TControlVerb::ScreenSaver
                                                                         : TControlVerb::PowerOff,
                            0});
    if (const auto verb = commandLine.Control) {
        uint32_t ms = 0;
        if (verb == TControlVerb::DeactivateFor) ms = commandLine.PeriodMs;
        if (verb == TControlVerb::DeactivateUntil) ms = std::max<uint32_t>(1, p.MsUntil(*commandLine.Until));
        requests.push_back({*verb, ms});
    }
    return requests;
}

// Hands the requests to the running copy, one after the other, and tells
// the shell how it went.
void Forward(IApplicationPlatform& p, const std::vector<TControlRequest>& requests) {
    using R = IApplicationPlatform::TSendResult;
    int code = kExitActive;
    for (const TControlRequest& request : requests) {
        const auto sent = p.SendControl(request);
        if (sent.Result == R::Answered && sent.Reply == kNotAllowedReply) {
            p.Print(L"The command is not allowed by your administrator.", true);
            p.SetExitCode(kExitNotAllowed);
            return;
        }
        if (sent.Result == R::LookAlike) {
            p.Print(L"Lumivane is not running. A window of another program poses as it; nothing was sent to it.", true);
            p.SetExitCode(kExitNotRunning);
            return;
        }
        const auto reply = sent.Result == R::Answered ? DecodeReply(sent.Reply) : std::nullopt;
        if (!reply) {
            const bool refused = sent.Result != R::NoAnswer;
            p.Print(refused ? L"Lumivane did not accept the command." : L"Lumivane is running but does not answer.",
                    true);
            p.SetExitCode(refused ? kExitRefused : kExitNoAnswer);
            return;
        }
        switch (request.Verb) {
        case TControlVerb::Exit:
            if (!p.WaitForRunningCopyToEnd()) {
                p.Print(L"Lumivane took the command but has not ended.", true);
                code = kExitNoAnswer;
            } else if (const std::wstring left = p.LeftChanged(); !left.empty()) {
                p.Print(left, true);
                code = kExitNotPutBack;
            }
            break;
        case TControlVerb::ScreenSaver:
        case TControlVerb::PowerOff: break;
        case TControlVerb::Status: code = ExitCodeOf(*reply); [[fallthrough]];
        default:
            p.Print(StatusLine(*reply, p.TimeFormat(), p.LocalTimeOf(reply->UntilMs), p.LocalTimeOf(p.WallClockMs()).Date),
                    false);
        }
    }
    p.SetExitCode(code);
}

}  // namespace

void RunApplication(IApplicationPlatform& p, const std::vector<std::wstring>& args) {
    const TCommandLine commandLine = ParseCommandLine(args, p.TimeFormat());
    if (commandLine.Help) {
        p.Print(kUsageText, false);
        return;
    }
    if (!commandLine.Error.empty()) {
        // Nothing runs and nothing changes.
        p.Print(commandLine.Error + L"\n" + kUsageText, true);
        p.SetExitCode(kExitUsage);
        return;
    }
    p.SetTitle(kApplicationTitle);
    p.RegisterActivationMessage();
    const std::optional<TControlVerb> control = commandLine.Control;
    const bool running = p.CreateInstanceMutex(InstanceMutexName(p.Title()));
    if (running && p.RunningCopyAbove()) {
        // Nothing this process sends reaches it, and its journal is its own:
        // nothing starts or changes.
        p.CloseInstanceMutex();
        p.Print(kHigherCopyText, true);
        p.SetExitCode(kExitHigherCopy);
        return;
    }
    if (control == TControlVerb::Recover) {
        // The running copy owns its journal and puts it back itself; the
        // mutex keeps a copy from starting while the journals are read.
        const std::wstring left = running ? std::wstring() : p.RecoverLostRuns();
        p.CloseInstanceMutex();
        if (!left.empty()) {
            p.Print(left, true);
            p.SetExitCode(kExitNotPutBack);
        }
        return;
    }
    if (running) {
        // Another copy runs: it takes the command, or, without one, is woken.
        // This process ends without a window; the handle goes with it.
        if (control || !commandLine.Commands.empty())
            Forward(p, RequestsOf(commandLine, p));
        else
            p.ActivatePreviousInstance(kMainWindowClassName);
        return;
    }
    if (control) {
        // No copy runs. There is nothing to ask or end; any other command
        // starts one in the notification area and hands it over.
        p.CloseInstanceMutex();
        if (control == TControlVerb::Status || control == TControlVerb::Exit) {
            p.Print(L"not running", false);
            p.SetExitCode(kExitNotRunning);
        } else if (!p.StartHiddenCopy()) {
            p.Print(L"Lumivane could not be started.", true);
            p.SetExitCode(kExitNoAnswer);
        } else {
            Forward(p, RequestsOf(commandLine, p));
        }
        return;
    }
    p.InitializeCom();
    // Without its window the program has no way to be ended: it ends now
    // instead of waiting for a message that will never come.
    if (p.CreateMainWindow(!commandLine.Commands.empty(), !commandLine.Quiet)) {
        for (const auto command : commandLine.Commands) RunCommand(p, command);
        p.RunMessageLoop(!commandLine.Quiet);
    }
    p.CloseInstanceMutex();
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
