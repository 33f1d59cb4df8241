#pragma once
// The names by which the program and its windows are known to the system and
// to other copies of the program.
namespace lumivane {

inline constexpr const wchar_t* kApplicationTitle = L"Lumivane";
// The per-user key of the options, and of what a run must leave for the next.
inline constexpr const wchar_t* kOptionsKey = L"Software\\Tessaly\\Lumivane";
inline constexpr const wchar_t* kMainWindowClassName = L"TfMain_lumivane";
// The program's file: a window of the class is the copy only when its
// process runs a file of this name.
inline constexpr const wchar_t* kProgramFileName = L"Lumivane.exe";
// The registered message that wakes the running copy.
inline constexpr const wchar_t* kActivationMessageName = L"Tessaly - activate previous instance";

}  // namespace lumivane
