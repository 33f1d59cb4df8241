#include "sources/CallWin32.h"

#include <string>

namespace lumivane {

namespace {

constexpr const wchar_t* kStore = L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\";
constexpr const wchar_t* kDevices[] = {L"webcam", L"microphone"};

uint64_t Time(HKEY key, const wchar_t* name, bool& found) {
    uint64_t value = 0;
    DWORD size = sizeof(value);
    found = RegGetValueW(key, nullptr, name, RRF_RT_REG_QWORD, nullptr, &value, &size) == ERROR_SUCCESS;
    return value;
}

// The records of the keys right below `key`, named `prefix` + their name;
// NonPackaged's one level further down.
void ReadRecords(HKEY key, const std::wstring& prefix, std::vector<TDeviceUse>& uses) {
    wchar_t name[MAX_PATH];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        const LSTATUS status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;  // longer than any path: no record of ours
        if (status != ERROR_SUCCESS) break;
        HKEY app = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &app) != ERROR_SUCCESS) continue;
        if (prefix.empty() && lstrcmpiW(name, L"NonPackaged") == 0) {
            ReadRecords(app, L"NonPackaged\\", uses);
        } else {
            bool started = false, stopped = false;
            const uint64_t start = Time(app, L"LastUsedTimeStart", started);
            const uint64_t stop = Time(app, L"LastUsedTimeStop", stopped);
            uses.push_back({prefix + name, start, !stopped || stop != 0});
        }
        RegCloseKey(app);
    }
}

}  // namespace

std::vector<TDeviceUse> ReadDeviceUse() {
    std::vector<TDeviceUse> uses;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const wchar_t* device : kDevices) {
            HKEY key = nullptr;
            if (RegOpenKeyExW(root, (std::wstring(kStore) + device).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
                continue;
            ReadRecords(key, L"", uses);
            RegCloseKey(key);
        }
    return uses;
}

void WatchDeviceUse(TKeyWatchWin32& watch, HWND window, UINT message) {
    static const std::wstring paths[] = {std::wstring(kStore) + kDevices[0], std::wstring(kStore) + kDevices[1]};
    watch.Start(window, message,
                {{HKEY_CURRENT_USER, paths[0].c_str(), true},
                 {HKEY_CURRENT_USER, paths[1].c_str(), true},
                 {HKEY_LOCAL_MACHINE, paths[0].c_str(), true},
                 {HKEY_LOCAL_MACHINE, paths[1].c_str(), true}});
}

}  // namespace lumivane
