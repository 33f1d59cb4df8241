#pragma once
// The program's own message dialog, as the core asks for it.
#include <string>

namespace lumivane {

// Shows the modal message dialog; returns when it has been closed.
class IMessageDialog {
public:
    virtual ~IMessageDialog() = default;
    virtual void ShowMessageDialog(const std::wstring& caption, const std::wstring& text,
                                   int iconIndex) = 0;
};

// Line breaks of the program's texts are single carriage returns; a static
// control and a message box want CR LF.
std::wstring WithWindowsLineBreaks(const std::wstring& text);

}  // namespace lumivane
