// Program entry of Lumivane.exe.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/ApplicationWin32.h"

namespace {

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int showCommand) {
    lumivane::TApplicationWin32 application(showCommand);
    lumivane::RunApplication(application, Arguments());
    return application.ExitCode();
}
