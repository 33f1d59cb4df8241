#include "base/MessageDialog.h"

namespace lumivane {

std::wstring WithWindowsLineBreaks(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) result += L'\n';
    }
    return result;
}

}  // namespace lumivane
