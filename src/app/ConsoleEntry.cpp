// Lumivane.com: the console's way in. A console finds "Lumivane" here before
// Lumivane.exe (.COM comes first in PATHEXT), and a console program is
// waited for: its exit code reaches %ERRORLEVEL% and $LASTEXITCODE, which an
// interactive prompt never does for a window program. It runs Lumivane.exe
// from its own folder with the same arguments and the console's handles,
// and hands back its exit code. Only a start with nothing to report (no
// argument, or "-quiet") returns at once: that copy runs on in the
// notification area.
#include <windows.h>

#include <string>

namespace {

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
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 4;
    std::wstring exe(path, length);
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"Lumivane.exe";
    const std::wstring arguments = Arguments();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
        const std::wstring text = L"Lumivane.exe could not be started from " + exe + L"\r\n";
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD written = 0;
        if (!WriteConsoleW(error, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr)) {
            // Redirected: UTF-8.
            char bytes[4 * MAX_PATH + 128];
            const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes,
                                                 sizeof(bytes), nullptr, nullptr);
            WriteFile(error, bytes, static_cast<DWORD>(size > 0 ? size : 0), &written, nullptr);
        }
        return 4;
    }
    DWORD code = 0;
    if (arguments.empty() || CompareStringOrdinal(arguments.c_str(), -1, L"-quiet", -1, TRUE) == CSTR_EQUAL) {
        code = 0;
    } else {
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}
