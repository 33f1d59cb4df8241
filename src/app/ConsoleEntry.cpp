// Lumivane.com: the console's way in. A console finds "Lumivane" here before
// Lumivane.exe (.COM comes first in PATHEXT), and a console program is
// waited for: its exit code reaches %ERRORLEVEL% and $LASTEXITCODE, which an
// interactive prompt never does for a window program. It runs Lumivane.exe
// from its own folder with the same arguments and the console's handles,
// and hands back its exit code. A start with nothing to report (no
// command, only "-quiet", say) returns at once instead: that copy runs on in
// the notification area, and holds none of the console's handles.
#include <windows.h>

#include <string>
#include <vector>

#include "app/Control.h"
#include "app/SetupFolderWin32.h"
#include "app/WhileJobWin32.h"
#include "base/ProgramNames.h"
#include "options/OptionsStore.h"
#include "options/UserPathWin32.h"
#include "win32/NameCaseWin32.h"
#include "win32/RegistryWin32.h"

namespace {

std::vector<std::wstring> Args() { return lumivane::CommandLineArguments(GetCommandLineW()); }

void Say(const std::wstring& text, DWORD handle) {
    HANDLE out = GetStdHandle(handle);
    DWORD written = 0;
    if (!WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        // Redirected: UTF-8.
        const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
        std::string bytes(size > 0 ? size : 0, '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

// The setup program's step: this folder into or out of the user's path.
// Its exit codes are what the setup records in its uninstall entry:
//    0  the folder is on the path because a setup put it there (just now,
//       or an earlier one, as the entry said): recorded as added by a setup;
//    1  not a setup's: it was there already, the user's own entry, and is
//       left as it is; or it is not on the path (taken out, or not wanted);
//    3  refused: with the folder the path would be too long; nothing changed;
//    5  the path could not be read or written; nothing changed, and the
//       entry keeps what it recorded;
//   64  not a call the setup makes.
// So the setup tells "added" (0) from "already there" (1); on 3 and 5 it
// shows what is printed here.
int SetupPath(const lumivane::TSetupPathCall& call, const std::wstring& folder) {
    using lumivane::TPathOutcome;
    if (!call.Error.empty()) {
        Say(call.Error + L"\r\n", STD_ERROR_HANDLE);
        return lumivane::kExitUsage;
    }
    lumivane::TRegistryWin32 user(HKEY_CURRENT_USER, lumivane::kEnvironmentValueBytes);
    lumivane::TRegistryWin32 machine(HKEY_LOCAL_MACHINE, lumivane::kEnvironmentValueBytes);
    const lumivane::TPathResult result = lumivane::EditUserPath(
        user, machine, {.Wanted = call.Change == lumivane::TPathChange::Add, .AddedBySetup = call.AddedBySetup},
        folder, lumivane::ExpandEntryWin32);
    if (result.Changed) lumivane::AnnounceEnvironmentWin32();
    switch (result.Outcome) {
    case TPathOutcome::Ours: return 0;
    case TPathOutcome::NotOurs: return 1;
    case TPathOutcome::TooLong:
        Say(L"Lumivane was not added to your PATH: with it, the PATH programs get (the system's and yours) would "
            L"be " + std::to_wstring(result.Length) + L" characters long, and Windows allows " +
            std::to_wstring(lumivane::kProcessPathMax) + L". Remove folders you no longer need from your PATH, "
            L"then run the setup again.\r\n", STD_ERROR_HANDLE);
        return 3;
    case TPathOutcome::Failed: break;
    }
    Say(L"Your PATH (HKEY_CURRENT_USER\\Environment, Path) could not be changed: it is not text, or "
        L"cannot be read or written.\r\n", STD_ERROR_HANDLE);
    return 5;
}

// The setup programs' other steps (app/Control.h). -setup-folder ends with
//    0  the folder was made, with its own access list;
//    1  it was there, and is left as it is;
//    5  it could not be made;
//    6  it was there, made by another user: refused;
//   64  not a call the setup makes;
// on 5 and 6 the setup shows what is printed here. -setup-startup remove
// ends with 0 whether or not there was an entry of this program to remove.
int SetupStep(const lumivane::TSetupStepCall& call, const std::wstring& folder) {
    using lumivane::TSetupFolderOutcome;
    if (!call.Error.empty()) {
        Say(call.Error + L"\r\n", STD_ERROR_HANDLE);
        return lumivane::kExitUsage;
    }
    if (call.Step == lumivane::TSetupStepCall::TStep::RemoveStartup) {
        lumivane::TRegistryWin32 user;
        lumivane::RemoveRunEntryOf(user, lumivane::kApplicationTitle, folder + lumivane::kProgramFileName);
        return 0;
    }
    switch (lumivane::MakeSetupFolderWin32(call.Folder)) {
    case TSetupFolderOutcome::Made: return 0;
    case TSetupFolderOutcome::Existed: return 1;
    case TSetupFolderOutcome::Foreign:
        Say(call.Folder + L" was made by another user, who could change what is installed there. Choose another "
                          L"folder.\r\n",
            STD_ERROR_HANDLE);
        return 6;
    case TSetupFolderOutcome::Failed: break;
    }
    Say(L"The folder " + call.Folder + L" could not be made.\r\n", STD_ERROR_HANDLE);
    return 5;
}

// Whether Lumivane.exe will report back and end with these arguments: a
// command, the help, or an error. Read as the program reads them.
bool Reports() {
    const lumivane::TCommandLine parsed = lumivane::ParseCommandLine(Args());
    return parsed.Help || !parsed.Error.empty() || parsed.Control || !parsed.Commands.empty();
}

std::wstring Arguments() {
    // What follows the program's own name on the command line, as given.
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
        if (*line == L'"') quoted = !quoted;
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

}  // namespace

int wmain() {
    lumivane::UseSystemNameCase();  // the setup's path step finds its folder in any case
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 4;
    std::wstring folder(path, length);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    if (const lumivane::TSetupPathCall call = lumivane::ParseSetupPath(Args()); call.Present)
        return SetupPath(call, folder.substr(0, folder.size() - 1));
    if (const lumivane::TSetupStepCall call = lumivane::ParseSetupStep(Args()); call.Step != decltype(call.Step)::None)
        return SetupStep(call, folder);
    const std::wstring exe = folder + L"Lumivane.exe";
    // The job is started here, where it gets this console: a window program's
    // console child would get a new one.
    if (const lumivane::TWhileCall call = lumivane::ParseWhile(Args()); call.Present)
        return lumivane::RunWhileWin32(call, exe, [](const std::wstring& text) { Say(text + L"\r\n", STD_ERROR_HANDLE); });
    std::wstring commandLine = L"\"" + exe + L"\" " + Arguments();
    const bool reports = Reports();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    if (reports) {
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION info{};
    // A copy that runs on is started in its own folder, as the tray's copy
    // would be, and holds none of the console's handles.
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, reports, reports ? 0 : DETACHED_PROCESS,
                        nullptr, reports ? nullptr : folder.c_str(), &startup, &info)) {
        Say(L"Lumivane.exe could not be started from " + exe + L"\r\n", STD_ERROR_HANDLE);
        return 4;
    }
    DWORD code = 0;
    if (reports) {
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}
