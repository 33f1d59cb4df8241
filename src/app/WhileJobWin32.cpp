#include "app/WhileJobWin32.h"

#include <windows.h>

#include <vector>

#include "app/MessengerWin32.h"
#include "app/RunningCopyWin32.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(32767, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

std::vector<std::wstring> Split(const std::wstring& list) {
    std::vector<std::wstring> parts;
    for (size_t at = 0; at <= list.size();) {
        const size_t end = std::min(list.find(L';', at), list.size());
        if (end > at) parts.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Extension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L'.'), folder = path.find_last_of(L"\\/");
    return dot == std::wstring::npos || (folder != std::wstring::npos && dot < folder) ? L"" : path.substr(dot);
}

BOOL WINAPI IgnoreCtrl(DWORD) { return TRUE; }

// The program asks for administrator rights in its manifest (winerror.h
// holds it only outside lean builds).
constexpr DWORD kElevationRequired = 740;

}  // namespace

std::wstring FindProgramWin32(const std::wstring& name) {
    std::vector<std::wstring> extensions{L""};
    if (Extension(name).empty()) {
        const std::wstring pathExt = Environment(L"PATHEXT");
        extensions = Split(pathExt.empty() ? L".COM;.EXE;.BAT;.CMD" : pathExt);
    }
    std::vector<std::wstring> folders{L""};
    if (name.find_first_of(L"\\/:") == std::wstring::npos) {
        folders = {L".\\"};
        for (std::wstring folder : Split(Environment(L"PATH"))) {
            if (folder.size() > 1 && folder.front() == L'"' && folder.back() == L'"') folder = folder.substr(1, folder.size() - 2);
            if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
            folders.push_back(folder);
        }
    }
    for (const std::wstring& folder : folders)
        for (const std::wstring& extension : extensions) {
            const std::wstring candidate = folder + name + extension;
            if (!IsFile(candidate)) continue;
            wchar_t full[MAX_PATH * 2];
            const DWORD length = GetFullPathNameW(candidate.c_str(), ARRAYSIZE(full), full, nullptr);
            return length && length < ARRAYSIZE(full) ? std::wstring(full, length) : candidate;
        }
    return {};
}

int RunWhileWin32(const TWhileCall& call, const std::wstring& lumivaneExe,
                  const std::function<void(const std::wstring&)>& say) {
    if (!call.Error.empty()) {
        say(call.Error);
        return kExitWhileFailed;
    }
    TUniqueKernelHandle process, thread;
    uint32_t processId = call.ProcessId;
    if (call.Job.empty()) {
        process.Reset(OpenProcess(SYNCHRONIZE, FALSE, processId));
        if (!process || WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) {
            say(L"No process with id " + std::to_wstring(processId) + L" runs.");
            return kExitWhileFailed;
        }
    } else {
        const std::wstring program = FindProgramWin32(call.Job.front());
        if (program.empty()) {
            say(call.Job.front() + L": not found.");
            return kExitWhileNotFound;
        }
        std::wstring interpreter = Environment(L"ComSpec");
        if (interpreter.empty()) interpreter = L"C:\\Windows\\System32\\cmd.exe";
        TJobStart job = JobStart(program, {call.Job.begin() + 1, call.Job.end()}, interpreter);
        std::wstring& application = job.Application;
        std::wstring& line = job.CommandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                            nullptr, &startup, &info)) {
            const DWORD error = GetLastError();
            say(error == kElevationRequired
                    ? program + L" needs administrator rights: run it from a prompt started as administrator."
                    : program + L" could not be started (error " + std::to_wstring(error) + L").");
            return kExitWhileCannotRun;
        }
        process.Reset(info.hProcess);
        thread.Reset(info.hThread);
        processId = info.dwProcessId;
    }
    // The copy holds for the process before it runs; a job it turns down never does.
    const auto failed = [&](const std::wstring& why) {
        say(why);
        if (thread) TerminateProcess(process.Get(), kExitWhileFailed);
        return kExitWhileFailed;
    };
    TMessengerWin32 messenger;
    if (FindRunningCopy().Kind == TCopyChoice::TKind::None && !messenger.StartHiddenCopy(lumivaneExe))
        return failed(L"Lumivane could not be started.");
    using R = IApplicationPlatform::TSendResult;
    const IApplicationPlatform::TSent sent = messenger.Send({TControlVerb::WhileProcess, processId});
    if (sent.Result == R::LookAlike)
        return failed(L"Lumivane is not running. A window of another program poses as it; nothing was sent to it.");
    if (sent.Result == R::NoAnswer) return failed(L"Lumivane is running but does not answer.");
    if (sent.Result == R::Answered && sent.Reply == kNotAllowedReply)
        return failed(L"The command is not allowed by your administrator.");
    if (sent.Result == R::Answered && sent.Reply == kTooManyHoldsReply)
        return failed(L"Lumivane already waits for " + std::to_wstring(kMaxWhileHolds) +
                      L" processes; try again when one has ended.");
    if (sent.Result != R::Answered || !DecodeReply(sent.Reply)) return failed(L"Lumivane did not accept the command.");
    if (!thread) return WaitForSingleObject(process.Get(), INFINITE) == WAIT_OBJECT_0 ? 0 : kExitWhileFailed;
    // Ctrl+C and Ctrl+Break go to every program of the console: the job
    // takes them as it would without us, and this start waits for its end.
    // A handler rather than ignoring them outright, which the job would inherit.
    SetConsoleCtrlHandler(IgnoreCtrl, TRUE);
    ResumeThread(thread.Get());
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = kExitWhileFailed;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

}  // namespace lumivane
