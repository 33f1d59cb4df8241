/* Runs Lumivane's quiet uninstall as a package manager does: the command its
   uninstall entry declares, as one command line, waited for. Its exit code is
   the command's; 100 when there is no entry, 101 when it cannot start. */
#include <windows.h>

int wmain(void) {
    wchar_t line[4096];
    DWORD size = sizeof(line);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivane",
                     L"QuietUninstallString", RRF_RT_REG_SZ, NULL, line, &size) != ERROR_SUCCESS)
        return 100;
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION info;
    if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &startup, &info)) return 101;
    DWORD code = 102;
    WaitForSingleObject(info.hProcess, INFINITE);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return (int)code;
}
