// Where libraries named without a path come from once the program has
// restricted the search, as it does first thing at start. A program of its
// own: the restriction lasts for the rest of the process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <string>

#include "app/UsualFunctionsWin32.h"
#include "win32/CommonControlsWin32.h"
#include "common/TempFolder.h"

namespace lumivane::test {
namespace {

bool Loads(const wchar_t* name) {
    HMODULE module = LoadLibraryW(name);
    if (!module) return false;
    FreeLibrary(module);
    return true;
}

// One copy of the planted library beside the test program (the portable
// copy in Downloads) and one in the current folder, under other names.
struct LibrarySearch : ::testing::Test {
    TPlantFolder Plants{L"lumivane libraries", true};
    std::wstring Source = OwnFolder() + L"\\lumivane_planted_library.dll", Current;

    void SetUp() override {
        ASSERT_TRUE(Plants.Entered);
        ASSERT_NE(Plants.Plant(Source, OwnFolder() + L"\\lumivane-planted-beside.dll"), L"");
        ASSERT_NE(Current = Plants.Plant(Source, L"lumivane-planted-current.dll"), L"");
    }
};

TEST_F(LibrarySearch, OnlyTheSystemFolderAnswersABareNameOnceRestricted) {
    // The ordinary search finds both plants: the test sees what it is about.
    ASSERT_TRUE(Loads(L"lumivane-planted-beside.dll"));
    ASSERT_TRUE(Loads(L"lumivane-planted-current.dll"));

    RestrictLibrarySearchToSystemFolder();

    EXPECT_FALSE(Loads(L"lumivane-planted-beside.dll"));
    EXPECT_FALSE(Loads(L"lumivane-planted-current.dll"));
    // What the program loads itself still comes from the system folder.
    EXPECT_TRUE(Loads(L"uxtheme.dll"));
    EXPECT_TRUE(Loads(L"powrprof.dll"));
    // A full path is the caller's own choice and stays allowed.
    EXPECT_TRUE(Loads(Current.c_str()));
}

TEST(LibrarySearchControls, TheManifestStillChoosesVersion6OfTheCommonControls) {
    // Nothing else in this program loads them: this is the program's own load.
    ASSERT_EQ(GetModuleHandleW(L"comctl32.dll"), nullptr);
    RestrictLibrarySearchToSystemFolder();
    TCommonControlsWin32 controls;
    ASSERT_TRUE(controls.Load());
    HMODULE module = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(module, nullptr);
    // Told by where it was loaded from: Wine's copy of version 6 answers
    // DllGetVersion with 5.
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::wstring path(buffer, length);
    for (wchar_t& c : path) c = static_cast<wchar_t>(towlower(c));
    EXPECT_NE(path.find(L"\\winsxs\\"), std::wstring::npos) << path;
    EXPECT_NE(path.find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos) << path;
}

}  // namespace
}  // namespace lumivane::test
