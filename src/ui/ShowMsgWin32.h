#pragma once
// The message dialog: a small top-level window with an icon, a wrapped text
// and one OK button, shown modally above every other window.
#include <windows.h>

#include <string>

#include "base/MessageDialog.h"

namespace lumivane {

extern const wchar_t* const kMessageDialogClassName;  // "TfMessage"

// Shows the dialog and returns when it has been closed (OK, Enter, Escape,
// close box, or the program being asked to end, whose request is kept).
void ShowMessageDialog(const std::wstring& caption, const std::wstring& text, int iconIndex);

class TMessageDialogWin32 final : public IMessageDialog {
public:
    void ShowMessageDialog(const std::wstring& caption, const std::wstring& text,
                           int iconIndex) override {
        lumivane::ShowMessageDialog(caption, text, iconIndex);
    }
};

}  // namespace lumivane
