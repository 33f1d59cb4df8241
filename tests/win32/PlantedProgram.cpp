// Stand-in for a program planted under a system program's name: it leaves a
// mark beside itself, so that a test can tell whether it was the one started,
// and writes its current folder into it.
// Started with -wait last, it is a console job instead: no window, no mark,
// it runs until it is ended.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    while (argc > 1 && lstrcmpA(argv[argc - 1], "-wait") == 0) Sleep(INFINITE);
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring mark(path, length);
    mark.resize(mark.find_last_of(L'\\') + 1);
    mark += L"planted-program-ran";
    HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    char current[MAX_PATH];
    DWORD written = 0;
    WriteFile(file, current, GetCurrentDirectoryA(MAX_PATH, current), &written, nullptr);
    CloseHandle(file);
    return 0;
}
