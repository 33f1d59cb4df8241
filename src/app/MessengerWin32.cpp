#include "app/MessengerWin32.h"

#include <algorithm>

#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {

DWORD Left(ULONGLONG end) {
    const ULONGLONG now = GetTickCount64();
    return now < end ? static_cast<DWORD>(end - now) : 0;
}

// The running copy's window, once its start is done and its message loop
// waits for input: a copy still starting has none, or does not take requests
// yet. A window of the class that is not the copy is passed over.
TFoundCopy FindCopy(ULONGLONG end, DWORD processId = 0) {
    for (;;) {
        const TFoundCopy found = FindRunningCopy(processId);
        if (found.Window) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found.Window, &owner);
            TUniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, owner));
            if (process) WaitForInputIdle(process.Get(), Left(end));
            return found;
        }
        if (!Left(end)) return found;
        Sleep(20);
    }
}

// The program's own folder: a copy it starts holds no other folder open.
std::wstring ProgramFolder(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

uint64_t WallClockMs(const SYSTEMTIME& utc) {
    FILETIME ft{};
    SystemTimeToFileTime(&utc, &ft);
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000;
}

bool Usable(HANDLE h) { return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN; }

}  // namespace

IApplicationPlatform::TSent TMessengerWin32::Send(const TControlRequest& request) {
    using R = IApplicationPlatform::TSendResult;
    // One limit for finding the copy and for its answer, a busy one's
    // included.
    const ULONGLONG end = GetTickCount64() + kAnswerMs;
    auto bytes = EncodeRequest(request);
    COPYDATASTRUCT data{kControlTag, static_cast<DWORD>(bytes.size()), bytes.data()};
    for (;;) {
        const TFoundCopy found = FindCopy(end);
        if (found.Kind == TCopyChoice::TKind::LookAlike) return {R::LookAlike, 0};
        HWND copy = found.Window;
        if (!copy) return {R::NoAnswer, 0};
        GetWindowThreadProcessId(copy, &FCopy);
        DWORD_PTR answer = 0;
        // Never waits for ever: a copy that hangs gives no answer within the limit.
        if (!SendMessageTimeoutW(copy, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                 std::max<DWORD>(Left(end), 1), &answer))
            // A copy of a higher integrity level turns a lower sender away.
            return {GetLastError() == ERROR_ACCESS_DENIED ? R::Refused : R::NoAnswer, 0};
        if (answer != kBusyReply) return {answer ? R::Answered : R::Refused, static_cast<uint64_t>(answer)};
        if (!Left(end)) return {R::NoAnswer, 0};
        Sleep(std::min<DWORD>(Left(end), 50));
    }
}

bool TMessengerWin32::StartHiddenCopy(const std::wstring& program) {
    wchar_t own[MAX_PATH];
    const DWORD length = program.empty() ? GetModuleFileNameW(nullptr, own, MAX_PATH) : 1;
    if (length == 0 || length == MAX_PATH) return false;
    const wchar_t* path = program.empty() ? own : program.c_str();
    std::wstring commandLine = L"\"" + std::wstring(path) + L"\" -quiet";
    // The copy runs on after this start has ended: it must not hold the
    // console or the pipe this start writes to, or a script reading it
    // would wait for the copy's end. No handle of ours goes with it.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION info{};
    const std::wstring folder = ProgramFolder(path);
    if (!CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, folder.c_str(),
                        &startup, &info))
        return false;
    TUniqueKernelHandle process(info.hProcess), thread(info.hThread);
    return FindCopy(GetTickCount64() + kStartMs, info.dwProcessId).Window != nullptr;
}

bool TMessengerWin32::WaitForRunningCopyToEnd() {
    // A process that cannot be opened any more has ended.
    TUniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, FCopy));
    return !process || WaitForSingleObject(process.Get(), kStartMs) == WAIT_OBJECT_0;
}

uint32_t TMessengerWin32::MsUntil(const TTimeOfDay& time) {
    SYSTEMTIME local{}, utcNow{};
    GetLocalTime(&local);
    GetSystemTime(&utcNow);
    // The time zone's rules for the day in question: a period across a
    // change of the clock ends when the clock shows the time.
    auto toWallClock = [](TLocalDate date, const TTimeOfDay& t) -> uint64_t {
        SYSTEMTIME at{static_cast<WORD>(date.Year), static_cast<WORD>(date.Month), 0, static_cast<WORD>(date.Day),
                      static_cast<WORD>(t.Hour), static_cast<WORD>(t.Minute), static_cast<WORD>(t.Second), 0};
        SYSTEMTIME utc{};
        return TzSpecificLocalTimeToSystemTime(nullptr, &at, &utc) ? WallClockMs(utc) : 0;
    };
    const uint64_t ms = lumivane::MsUntil(WallClockMs(utcNow), {local.wYear, local.wMonth, local.wDay}, time, toWallClock);
    return static_cast<uint32_t>(std::min<uint64_t>(ms, kMaxUntilMs));
}

namespace {

// The places a start can write to, as Windows answers; PrintTo chooses.
class TConsoleOutputWin32 final : public IConsoleOutput {
public:
    bool UseStdHandle(bool error) override {
        FOut = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        return Usable(FOut);
    }
    bool UseParentConsole() override {
        // Refused as "access denied" when this process has a console already:
        // that one is written to.
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return false;
        FConsole.Reset(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        FOut = FConsole.Get();
        return Usable(FOut);
    }
    void Write(const std::wstring& lines) override {
        DWORD mode = 0, written = 0;
        if (GetConsoleMode(FOut, &mode)) {
            WriteConsoleW(FOut, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
            return;
        }
        // A file or a pipe: UTF-8.
        const int length = static_cast<int>(lines.size());
        const int size = WideCharToMultiByte(CP_UTF8, 0, lines.data(), length, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, lines.data(), length, bytes.data(), size, nullptr, nullptr);
        WriteFile(FOut, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    void Box(const std::wstring& text, bool error) override {
        MessageBoxW(nullptr, text.c_str(), kApplicationTitle, MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    }

private:
    HANDLE FOut = nullptr;
    TUniqueKernelHandle FConsole;
};

}  // namespace

void TMessengerWin32::Print(const std::wstring& text, bool error) {
    TConsoleOutputWin32 output;
    PrintTo(output, text, error);
}

}  // namespace lumivane
