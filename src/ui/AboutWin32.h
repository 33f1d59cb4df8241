#pragma once
// The about box, class "TfAbout": the program's icon, title, version, author
// line, its fixed texts, and the project's addresses where the build has
// them, which open the mail program and the browser. Modal; owned by the main window, or on its own while the
// main window is hidden.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/About.h"

namespace lumivane {

extern const wchar_t* const kAboutClassName;  // "TfAbout"

// Hands an address to the shell ("open"); replaceable for the tests.
using TShellOpen = std::function<void(const std::wstring& address)>;
void ShellOpen(const std::wstring& address);

// Shows the about box and returns when it has been closed.
void ShowAbout(HWND mainForm, bool noParent, const TVersion& version, const TAboutAddresses& addresses,
               const TShellOpen& open = ShellOpen);

}  // namespace lumivane
