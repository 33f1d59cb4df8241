#pragma once
// An error for the user: a modal message box captioned "Error" with the
// error icon and an OK button.
#include <string>

namespace lumivane {

class IErrorBox {
public:
    virtual ~IErrorBox() = default;
    virtual void ShowError(const std::wstring& text) = 0;
};

}  // namespace lumivane
