#pragma once
// The stand-in power library (tests/standin): Wine 8's own lacks the plan
// functions, so tests that run the program on a power plan install this one
// and set or read its plans here. Its state is in the prefix's registry, so
// that a test and the program it started see the same plans.
#include <windows.h>

#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

namespace lumivane::test {

// Where the stand-in keeps its plans, switches and counters (HKCU).
inline constexpr wchar_t kStandInKey[] = L"Software\\Lumivane test\\Power";
// Active when no other plan was made active, as on a fresh system.
inline constexpr GUID kBalancedPlan = {0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};
// Windows' own display time-outs of a plan nobody changed (seconds).
inline constexpr DWORD kStandInDefaultAc = 600, kStandInDefaultDc = 300;

struct TPlanValues {
    DWORD Ac, Dc;  // seconds, 0 = never
    friend bool operator==(const TPlanValues&, const TPlanValues&) = default;
    friend std::ostream& operator<<(std::ostream& out, const TPlanValues& v) {
        return out << "{AC " << v.Ac << ", DC " << v.Dc << "}";
    }
};

// "{381B4222-F694-...}", as the value names and "Active" spell a plan.
inline std::wstring BracedGuid(const GUID& g) {
    wchar_t text[39];
    std::swprintf(text, 39, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(g.Data1),
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
    return text;
}

// Either letter case; false when the text is no braced GUID.
inline bool ParseBracedGuid(const wchar_t* text, GUID& g) {
    unsigned long d1 = 0;
    unsigned d2 = 0, d3 = 0, d4[8] = {};
    if (std::swscanf(text, L"{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &d4[0], &d4[1], &d4[2], &d4[3],
                     &d4[4], &d4[5], &d4[6], &d4[7]) != 11)
        return false;
    g = {d1, static_cast<unsigned short>(d2), static_cast<unsigned short>(d3), {}};
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<unsigned char>(d4[i]);
    return true;
}

// A number of the stand-in's key, or `fallback` where there is none.
inline DWORD StandInDword(const wchar_t* name, DWORD fallback) {
    DWORD value = 0, size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, kStandInKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
                   ERROR_SUCCESS
               ? value
               : fallback;
}

inline void SetStandInDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kStandInKey, name, REG_DWORD, &value, sizeof(value));
}

// The balanced plan where none was made active.
inline GUID StandInActivePlan() {
    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    GUID plan = kBalancedPlan;
    if (RegGetValueW(HKEY_CURRENT_USER, kStandInKey, L"Active", RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS)
        ParseBracedGuid(text, plan);
    return plan;
}

inline void SetStandInActivePlan(const GUID& plan) {
    const std::wstring text = BracedGuid(plan);
    RegSetKeyValueW(HKEY_CURRENT_USER, kStandInKey, L"Active", REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// "<braced GUID> AC" or "... DC": one value per plan and power source.
inline std::wstring StandInValueName(const GUID& plan, bool ac) { return BracedGuid(plan) + (ac ? L" AC" : L" DC"); }

// A plan's values, Windows' defaults where it has none of its own.
inline TPlanValues StandInPlan(const GUID& plan) {
    return {StandInDword(StandInValueName(plan, true).c_str(), kStandInDefaultAc),
            StandInDword(StandInValueName(plan, false).c_str(), kStandInDefaultDc)};
}
inline TPlanValues StandInPlan() { return StandInPlan(StandInActivePlan()); }

inline void SetStandInPlan(const GUID& plan, TPlanValues values) {
    SetStandInDword(StandInValueName(plan, true).c_str(), values.Ac);
    SetStandInDword(StandInValueName(plan, false).c_str(), values.Dc);
}
inline void SetStandInPlan(TPlanValues values) { SetStandInPlan(StandInActivePlan(), values); }

// "Refuse writes" (1 = access denied, 2 = accepted and ignored, as under a
// policy), "Fail" (1 = every function fails), "Policy" (1 = the access check
// refuses).
inline void SetStandInSwitch(const wchar_t* name, DWORD value) { SetStandInDword(name, value); }
// "Writes" (stored), "Applies", "Reads": calls the library answered.
inline DWORD StandInCounter(const wchar_t* name) { return StandInDword(name, 0); }

// Balanced plan active, every value at its default, no switch, no count.
inline void ResetStandInPower() { RegDeleteTreeW(HKEY_CURRENT_USER, kStandInKey); }

// The whole file; empty when it cannot be read.
inline std::vector<char> FileBytes(const std::wstring& path) {
    std::vector<char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    CloseHandle(file);
    return bytes;
}

// The stand-in may replace a library only in a Wine prefix.
inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Puts the stand-in, built beside the test program, into system32 and
// resets its state. Only processes whose DLL overrides say powrprof=n
// (LUMIVANE_DLLOVERRIDES of the test launcher, or SelectStandInPower) load
// it; the others keep Wine's builtin library. Never on Windows, whose own
// library it would replace.
inline bool InstallStandInPower() {
    if (!UnderWine()) return false;
    ResetStandInPower();
    wchar_t program[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (n == 0 || n == MAX_PATH) return false;
    std::wstring source(program, n);
    source.resize(source.find_last_of(L"\\/") + 1);
    source += L"powrprof.dll";
    wchar_t system[MAX_PATH] = {};
    const UINT m = GetSystemDirectoryW(system, MAX_PATH);
    if (m == 0 || m >= MAX_PATH) return false;
    const std::wstring target = std::wstring(system, m) + L"\\powrprof.dll";
    // A process that has the library loaded (this one, or a program still
    // ending) keeps the file from being replaced: an equal copy is enough.
    const std::vector<char> wanted = FileBytes(source);
    if (wanted.empty()) return false;
    return FileBytes(target) == wanted || CopyFileW(source.c_str(), target.c_str(), FALSE);
}

// Makes every process of `program` (a file name: "Lumivane.exe") that is
// started while this is on load the stand-in, through Wine's per-program DLL
// overrides. An environment block cannot do it: Wine sets a child's
// WINEDLLOVERRIDES from the Unix environment of the process that starts it,
// whatever block CreateProcessW was given.
inline void SelectStandInPower(const wchar_t* program, bool on) {
    const std::wstring key = std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
    constexpr wchar_t kNative[] = L"native";
    if (on)
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"powrprof", REG_SZ, kNative, sizeof(kNative));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"powrprof");
}

}  // namespace lumivane::test
