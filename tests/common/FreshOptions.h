#pragma once
// Every test of a program that runs Lumivane's windows starts from no stored
// options and no Run entry, as at a first start: the program saves its
// options at every end, and one test's choices must not reach the next.
#include <gtest/gtest.h>
#include <windows.h>

namespace lumivane::test {

inline void ForgetStoredOptions() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Lumivane");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE,
                      &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Lumivane");
        RegCloseKey(run);
    }
}

class TFreshOptionsListener final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ForgetStoredOptions(); }
    void OnTestProgramEnd(const ::testing::UnitTest&) override { ForgetStoredOptions(); }
};

// Include in one file of the test program.
inline const bool kFreshOptionsInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshOptionsListener);
    return true;
}();

}  // namespace lumivane::test
