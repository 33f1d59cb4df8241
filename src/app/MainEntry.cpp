// Program entry of Lumivane.exe.
#include <windows.h>

#include <string>
#include <vector>

#include "app/ApplicationWin32.h"
#include "app/Control.h"
#include "base/BenchMarks.h"
#include "app/UsualFunctionsWin32.h"
#include "app/MessengerWin32.h"
#include "app/WhileJobWin32.h"
#include "win32/NameCaseWin32.h"

namespace {

std::vector<std::wstring> Arguments() { return lumivane::CommandLineArguments(GetCommandLineW()); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, [[maybe_unused]] LPWSTR arguments, int showCommand) {
    LUMIVANE_MARK("entry");
    // Before anything can load a library: the program is often run as a
    // portable copy straight from Downloads, where a page may have dropped a
    // DLL named like one Windows loads later on our behalf (shell, COM,
    // theme). The libraries the executable imports are bound before this
    // line runs; this guards everything loaded after it.
    lumivane::RestrictLibrarySearchToSystemFolder();
    lumivane::UseSystemNameCase();
    // Started from a shortcut or a scheduled task: the same, without a console.
    if (const lumivane::TWhileCall call = lumivane::ParseWhile(Arguments()); call.Present)
        return lumivane::RunWhileWin32(call, {}, [](const std::wstring& text) { lumivane::TMessengerWin32::Print(text, true); });
    lumivane::TApplicationWin32 application(showCommand);
    lumivane::RunApplication(application, Arguments());
    LUMIVANE_WRITE_MARKS(arguments);
    return application.ExitCode();
}
