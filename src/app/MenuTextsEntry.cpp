// lumivane_menu_texts: prints the notification menu's items as the program
// draws them (without the mnemonics' ampersands; a separator as "-"), one a
// line in UTF-8. The pictures in docs/ record these lines beside them, and a
// test compares them, so that a renamed item cannot leave an old picture behind.
#include <cstdio>
#include <string>

#include "ui/MainContents.h"

namespace {

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {  // the captions hold no characters beyond the BMP
        const auto u = static_cast<unsigned>(c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// "&&" draws one ampersand, a single one underlines the next letter.
std::wstring AsDrawn(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

}  // namespace

int main() {
    const lumivane::TMenuDef& menu = lumivane::NotifyMenu();
    for (const lumivane::TMenuItemDef& item : menu.Items) {
        if (item.Depth != 0) continue;  // the pictures show the submenu closed
        const bool separator = item.Kind == lumivane::TMenuItemKind::Separator;
        const std::string line = separator ? "-" : Utf8(AsDrawn(lumivane::MenuItemText(item, menu.ShowShortCuts)));
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
