// A portable copy of the program run from a download folder, where a
// rundll32.exe was dropped beside it: the display properties must still come
// from the system's rundll32.
#include <gtest/gtest.h>

#include "Harness.h"
#include "common/FreshOptions.h"
#include "ui/Commands.h"
#include "common/TempFolder.h"

namespace lumivane::e2e {
namespace {

using namespace std::chrono_literals;

using test::Exists;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

struct DownloadFolder : ::testing::Test {
    std::wstring Folder, Program, Planted, Mark;
    PROCESS_INFORMATION Info{};

    void SetUp() override {
        Folder = test::MakeTempFolder(L"lumivane downloads");
        ASSERT_FALSE(Folder.empty());
        Program = Folder + L"\\Lumivane.exe";
        Planted = Folder + L"\\rundll32.exe";
        Mark = Folder + L"\\planted-program-ran";
        ASSERT_TRUE(CopyFileW(LumivanePath().c_str(), Program.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((FolderOf(LumivanePath()) + L"\\lumivane_planted_program.exe").c_str(),
                              Planted.c_str(), FALSE));
        DeleteFileW(Mark.c_str());
    }
    void TearDown() override {
        if (Info.hProcess) {
            if (HWND main = FindMainWindow(Info.dwProcessId)) PostMessageW(main, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(Info.hProcess, 10000) != WAIT_OBJECT_0) {
                ADD_FAILURE() << "the copy did not end";
                TerminateProcess(Info.hProcess, 1);
                WaitForSingleObject(Info.hProcess, 5000);
            }
            CloseHandle(Info.hProcess);
            CloseHandle(Info.hThread);
        }
        DeleteFileW(Mark.c_str());
        DeleteFileW(Planted.c_str());
        DeleteFileW(Program.c_str());
        RemoveDirectoryW(Folder.c_str());
    }
    // Started from its own folder, as a double click in the download folder does.
    HWND Start() {
        std::wstring commandLine = L"\"" + Program + L"\" -quiet";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(Program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            Folder.c_str(), &startup, &Info))
            return nullptr;
        HWND main = nullptr;
        PollUntil([&] { return (main = FindMainWindow(Info.dwProcessId)) != nullptr; }, 10s);
        return main;
    }
};

TEST_F(DownloadFolder, ThePlantedProgramLeavesItsMarkWhenRun) {
    // The stand-in works from this folder: the test below would see it run.
    std::wstring commandLine = L"\"" + Planted + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(Planted.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               Folder.c_str(), &startup, &info));
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    EXPECT_TRUE(Exists(Mark));
}

TEST_F(DownloadFolder, TheDisplayPropertiesDoNotRunTheRundll32BesideTheProgram) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(TCommandId::actDisplayProperties), 0);
    // The program does not wait for what it started: give it time to appear.
    EXPECT_FALSE(PollUntil([&] { return Exists(Mark); }, 3s)) << "the planted rundll32.exe ran";
}

}  // namespace
}  // namespace lumivane::e2e
