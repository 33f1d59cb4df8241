// A portable copy of the program run from a download folder, where a
// rundll32.exe was dropped beside it: the display properties must still come
// from the system's rundll32, and must come.
#include <gtest/gtest.h>

#include <map>

#include "Harness.h"
#include "base/CommandIds.h"
#include "common/TempFolder.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// The copy runs in a job of the test's: every program it starts is reported
// to the job's port as it starts and as it ends, however briefly it runs.
struct DownloadFolder : ::testing::Test {
    test::TPlantFolder Plants{L"lumivane downloads"};
    std::wstring Program;
    PROCESS_INFORMATION Info{};
    HANDLE Job = CreateJobObjectW(nullptr, nullptr), Port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);

    void SetUp() override {
        ASSERT_NE(Program = Plants.Plant(LumivanePath(), L"Lumivane.exe"), L"");
        ASSERT_NE(Plants.Plant(FolderOf(LumivanePath()) + L"\\lumivane_planted_program.exe", L"rundll32.exe"), L"");
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{Job, Port};
        ASSERT_TRUE(SetInformationJobObject(Job, JobObjectAssociateCompletionPortInformation, &port, sizeof(port)));
    }
    void TearDown() override {
        EndProgram(Info);
        CloseHandle(Job);
        CloseHandle(Port);
    }
    // Started from its own folder, as a double click in the download folder does.
    HWND Start() {
        std::wstring commandLine = L"\"" + Program + L"\" -quiet";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(Program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                            Plants.Folder.c_str(), &startup, &Info))
            return nullptr;
        AssignProcessToJobObject(Job, Info.hProcess);
        ResumeThread(Info.hThread);
        HWND main = nullptr;
        PollUntil([&] { return (main = FindMainWindow(Info.dwProcessId)) != nullptr; }, 30s);
        return main;
    }
    // The program file of the next process of the job to end: each one is
    // held open from its start, so that it can still be asked once it ended.
    std::wstring NextToEnd() {
        std::map<DWORD, HANDLE> started;
        DWORD message = 0, size = MAX_PATH;
        ULONG_PTR key = 0;
        LPOVERLAPPED news = nullptr;
        wchar_t image[MAX_PATH] = {};
        while (GetQueuedCompletionStatus(Port, &message, &key, &news, 60000)) {
            const auto pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(news));
            HANDLE& process = started[pid];
            if (!process) process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
            if (message == JOB_OBJECT_MSG_EXIT_PROCESS && pid != Info.dwProcessId) {
                if (!process || !QueryFullProcessImageNameW(process, 0, image, &size)) wcscpy(image, L"(gone)");
                break;
            }
        }
        for (auto& [pid, process] : started)
            if (process) CloseHandle(process);
        return image;
    }
};

TEST_F(DownloadFolder, TheDisplayPropertiesStartTheSystemsRundll32AndNotTheOneBesideTheProgram) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actDisplayProperties), 0);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring ended = NextToEnd();
    EXPECT_EQ(_wcsicmp(ended.c_str(), (std::wstring(system) + L"\\rundll32.exe").c_str()), 0)
        << "started and ended: " << std::string(ended.begin(), ended.end());
}

}  // namespace
}  // namespace lumivane::e2e
