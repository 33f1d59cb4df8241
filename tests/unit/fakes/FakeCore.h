#pragma once
// The program's core as the window has it, on fakes: the form model, the
// managed configuration, the display commands and the command dispatch,
// with logs of the system requests and of the window's own commands.
#include <set>
#include <string>
#include <vector>

#include "base/ErrorBox.h"
#include "common/ExpectedTexts.h"
#include "commands/CommandDispatch.h"
#include "commands/DisplayCommands.h"
#include "fakes/FakeHost.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeRequests.h"
#include "fakes/FakeSystemParameters.h"
#include "fakes/FakeTimerService.h"
#include "options/MainForm.h"
#include "options/OptionsStore.h"

namespace lumivane::test {

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

// The managed configuration and the display commands wired as the
// composition wires them, on fake timers, clock and pump. A fixture derives
// from its seams first, so that they are whole before they are handed in.
struct TWiredCore {
    TFakeTimerService timers;
    TFakeClock clock;
    TStatusCounter status;
    TFakePump pump;
    TManagedConfiguration config;
    TDisplayCommands commands;
    TWiredCore(ISystemParameters& spi, IConfigurationOptions& options, IContinuousModeOptions& continuous,
               ISystemRequests& requests, IMessageDialog& dialog, IProcessStarter& starter, IPowerOffPlan& plan)
        : config{{spi, options, timers, clock, status, pump, plan}},
          commands{{spi, requests, dialog, starter, continuous, status, timers, plan}, config} {}
};

struct TFakeSeams {
    TFakeSystemParameters spi;
    TMainForm form;
    TRequestsLog requests;
    TDialogLog dialog;
    TStarterLog starter;
    TNoPowerPlan noPlan;
};

struct TFakeCore : TFakeSeams, TWiredCore {
    TWindowCommandsLog window;
    TCommandDispatch dispatch{config, commands, window};
    TErrorsLog errors;

    // The creation step with the given configuration at start.
    explicit TFakeCore(const TDisplayPowerConfiguration& atStart = {{true, 600}, {false, 0}})
        : TWiredCore(spi, form, form, requests, dialog, starter, noPlan) {
        spi.SetConfiguration(atStart);
        config.FormCreate();
    }
};

// The options store on the fake core and a registry in memory.
struct TStoreOnFakes : TFakeCore {
    TFakeRegistry registry;
    bool highColor = false;
    bool visualStyles = false;
    int listChanges = 0;
    std::set<std::wstring> files;  // the files that exist
    TOptionsStore store{{registry, form, config, errors, highColor, [this] { return visualStyles; },
                         [] { return std::wstring(L"C:\\Program Files\\Lumiv\u00e9ne\\Lumivane.exe"); }, L"Lumivane",
                         [this](const std::wstring& path) { return files.count(path) > 0; }}};
    const std::wstring key = kExpectedOptionsKey;

    // By default the screen saver is off at start and the power-off is on.
    explicit TStoreOnFakes(const TDisplayPowerConfiguration& atStart = {{false, 600}, {true, 1200}})
        : TFakeCore(atStart) {
        form.cmbTrayIconDoubleClickChange = [this] { ++listChanges; };
    }
    std::set<std::wstring> StoredNames() {
        std::set<std::wstring> names;
        for (const auto& [name, value] : registry.Keys[key]) names.insert(name);
        return names;
    }
};

}  // namespace lumivane::test
