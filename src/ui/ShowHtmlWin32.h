#pragma once
// The help viewer, class "TfShowHtml": one window holding nothing but the
// system's web browser control, showing a local HTML file. At most one
// exists; asking again only brings it forward.
#include <windows.h>

#include <string>

#include "base/ErrorBox.h"

namespace lumivane {

extern const wchar_t* const kShowHtmlClassName;  // "TfShowHtml"

// Shows the file; a missing file is reported through `errors`. Modeless:
// returns once the viewer is shown, and the viewer frees itself when closed.
// A viewer that cannot be set up or cannot navigate is freed silently.
void ShowHtmlFile(const std::wstring& title, const std::wstring& fileName, HWND mainForm, HICON icon,
                  bool modeless, IErrorBox& errors);

// The open viewer's window, or null.
HWND HelpViewerWindow();

// "Couldn't find the file %s".
std::wstring MissingFileText(const std::wstring& fileName);

}  // namespace lumivane
