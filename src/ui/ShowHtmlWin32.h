#pragma once
// The help viewer, class "TfShowHtml": one window holding nothing but the
// system's web browser control, showing a local HTML file. At most one
// exists; asking again only brings it forward.
#include <windows.h>

#include <string>

#include "base/ErrorBox.h"

namespace lumivane {

extern const wchar_t* const kShowHtmlClassName;  // "TfShowHtml"

class TfShowHtml;

// HelpViewer: the one viewer of its owner, if open.
class THelpViewerWin32 {
public:
    THelpViewerWin32() = default;
    THelpViewerWin32(const THelpViewerWin32&) = delete;
    THelpViewerWin32& operator=(const THelpViewerWin32&) = delete;
    // An open viewer goes with its owner.
    ~THelpViewerWin32() { Close(); }

    // Shows the file; a missing file is reported through `errors`. Modeless:
    // returns once the viewer is shown, and the viewer frees itself when
    // closed. A viewer that cannot be set up or cannot navigate is freed
    // silently. With a viewer open, only brings it forward.
    void Show(const std::wstring& title, const std::wstring& fileName, HWND mainForm, HICON icon, bool modeless,
              IErrorBox& errors);
    // The open viewer's window, or null.
    HWND Window() const;
    void Close();

private:
    friend class TfShowHtml;
    TfShowHtml* FViewer = nullptr;
};

// "Couldn't find the file %s".
std::wstring MissingFileText(const std::wstring& fileName);

}  // namespace lumivane
