#pragma once
// The program's core as the window has it, on fakes: the form model, the
// managed configuration, the display commands and the command dispatch,
// with logs of the system requests and of the window's own commands.
#include <string>
#include <vector>

#include "base/ErrorBox.h"
#include "display/DisplayCommands.h"
#include "fakes/FakeHost.h"
#include "fakes/FakeSystemParameters.h"
#include "fakes/FakeTimerService.h"
#include "ui/MainForm.h"

namespace lumivane::test {

struct TRequestsLog final : ISystemRequests {
    std::vector<std::string> Sent;
    void StartScreenSaver() override { Sent.push_back("screensaver"); }
    void PowerOffMonitor() override { Sent.push_back("poweroff"); }
};
struct TNoDialog final : IMessageDialog {
    void ShowMessageDialog(const std::wstring&, const std::wstring&, int) override {}
};
struct TStarterCount final : IProcessStarter {
    int Started = 0;
    void RunProcess(const std::wstring&, const std::wstring&, uint32_t, bool, int32_t) override { ++Started; }
};
struct TWindowCommandsLog final : IWindowCommands {
    std::vector<std::string> Calls;
    void mnShowPClick() override { Calls.push_back("show"); }
    void mnCloseClick() override { Calls.push_back("close"); }
    void actExitExecute() override { Calls.push_back("exit"); }
    void actSaveExecute() override { Calls.push_back("save"); }
    void mnViewHelpClick() override { Calls.push_back("help"); }
    void actAboutExecute() override { Calls.push_back("about"); }
    void actDeactivateUntilExecute() override { Calls.push_back("until"); }
    void actAutomaticDeactivationExecute() override { Calls.push_back("automatic"); }
};
struct TErrorsLog final : IErrorBox {
    std::vector<std::wstring> Shown;
    void ShowError(const std::wstring& text) override { Shown.push_back(text); }
};

struct TFakeCore {
    TFakeSystemParameters spi;
    TFakeTimerService timers;
    TMainForm form;
    TFakeClock clock;
    TStatusCounter status;
    TFakePump pump;
    TRequestsLog requests;
    TNoDialog dialog;
    TStarterCount starter;
    TNoPowerPlan noPlan;
    TManagedConfiguration config{{spi, form, timers, clock, status, pump, noPlan}};
    TDisplayCommands commands{{spi, requests, dialog, starter, form, status, timers, noPlan}, config};
    TWindowCommandsLog window;
    TCommandDispatch dispatch{config, commands, window};
    TErrorsLog errors;

    // The creation step with the given configuration at start.
    explicit TFakeCore(const TDisplayPowerConfiguration& atStart = {{true, 600}, {false, 0}}) {
        spi.SetConfiguration(atStart);
        config.FormCreate();
    }
};

}  // namespace lumivane::test
