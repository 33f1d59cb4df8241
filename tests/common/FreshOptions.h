#pragma once
// Every test of a program that runs Lumivane's windows starts from no stored
// options and no Run entry, as at a first start: the program saves its
// options at every end, and one test's choices must not reach the next.
// The options key as a user or a lost run left it, written and read here.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>

namespace lumivane::test {

inline constexpr wchar_t kStoredOptionsKey[] = L"Software\\Tessaly\\Lumivane";

// A DWORD value of the options key, if there is one.
inline std::optional<DWORD> StoredOption(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kStoredOptionsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}
inline bool HasStoredValue(const std::wstring& name) {
    return RegGetValueW(HKEY_CURRENT_USER, kStoredOptionsKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}
inline void StoreOption(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kStoredOptionsKey, name, REG_DWORD, &value, sizeof(value));
}
inline void StoreOption(const std::wstring& name, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kStoredOptionsKey, name.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The restore journal of this desktop session, by its value's name.
inline std::wstring JournalName() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return L"Restore journal " + std::to_wstring(session);
}
// The names of a key's values (the options key's by default).
inline std::set<std::wstring> StoredValueNames(const wchar_t* key = kStoredOptionsKey) {
    std::set<std::wstring> names;
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0, length = 256; RegEnumValueW(h, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, length = 256)
        names.insert(name);
    RegCloseKey(h);
    return names;
}
// A restore journal of any session is stored.
inline bool AnyJournal() {
    const std::set<std::wstring> names = StoredValueNames();
    return std::any_of(names.begin(), names.end(),
                       [](const std::wstring& name) { return name.starts_with(L"Restore journal"); });
}

inline void ForgetStoredOptions() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoredOptionsKey);
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
