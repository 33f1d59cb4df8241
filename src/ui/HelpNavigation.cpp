#include "ui/HelpNavigation.h"

#include <optional>
#include <string_view>

namespace lumivane {

namespace {

constexpr auto npos = std::wstring_view::npos;

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsAsciiLetterOrDigit(wchar_t c) { return IsAsciiLetter(c) || (c >= L'0' && c <= L'9'); }

// Windows compares names without case; only ASCII is folded here, so that a
// name that differs beyond it is refused rather than guessed at.
wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool StartsWithNoCase(std::wstring_view text, std::wstring_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i)
        if (FoldAscii(text[i]) != lowerPrefix[i]) return false;
    return true;
}

// The address reaches the browser's or mail program's command line as it is:
// only what an address may carry unescaped, so that no blank or quote can
// end the argument there and start another.
bool IsOutside(std::wstring_view address) {
    for (wchar_t c : address)
        if (!IsAsciiLetterOrDigit(c) && std::wstring_view(L"-._~:/?#[]@!$&'()*+,;=%").find(c) == npos) return false;
    for (std::wstring_view web : {std::wstring_view(L"http://"), std::wstring_view(L"https://")})
        if (StartsWithNoCase(address, web))
            return address.size() > web.size() && IsAsciiLetterOrDigit(address[web.size()]);
    return StartsWithNoCase(address, L"mailto:") && address.size() > 7;
}

// An anchor of the page, as its own headings name them; with anything more
// a browser might read it as part of the file's name.
bool IsAnchor(std::wstring_view name) {
    for (wchar_t c : name)
        if (!IsAsciiLetterOrDigit(c) && c != L'-' && c != L'_') return false;
    return true;
}

bool IsDrivePath(std::wstring_view path) {
    return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Appends UTF-8 as this platform's wide characters; false for anything that
// is not strict UTF-8, overlong forms included (%C0%AE would be a dot).
bool AppendUtf8(std::wstring& out, const std::string& bytes) {
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t length =
            lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (!length || i + length > bytes.size()) return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next >> 6) != 2) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < kLeast[length]) return false;
        if constexpr (sizeof(wchar_t) == 2) {
            if (code > 0xFFFF) {
                out.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
                code = 0xDC00 + ((code - 0x10000) & 0x3FF);
            }
        }
        out.push_back(static_cast<wchar_t>(code));
        i += length;
    }
    return true;
}

// A file address's path with its escapes undone; a run of escapes is UTF-8.
std::optional<std::wstring> Unescape(std::wstring_view text) {
    std::wstring out;
    std::string run;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%') {
            const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
            const int low = high < 0 ? -1 : HexValue(text[i + 2]);
            if (low < 0) return std::nullopt;
            run.push_back(static_cast<char>(high * 16 + low));
            i += 2;
            continue;
        }
        if (!AppendUtf8(out, run)) return std::nullopt;
        run.clear();
        out.push_back(text[i]);
    }
    if (!AppendUtf8(out, run)) return std::nullopt;
    return out;
}

// The file an address names, as a Windows path folded for comparison, its
// anchor taken off: file:///C:/x, file://C:\x, file://server/share/x or a
// path as it is. Nothing for a file address of another form; any other
// address comes back as it is and names no file the page could have.
std::optional<std::wstring> LocalFile(std::wstring_view address) {
    std::wstring path(address);
    if (StartsWithNoCase(address, L"file://")) {
        std::wstring_view rest = address.substr(7);
        const size_t hash = rest.find(L'#');
        if (hash != npos && !IsAnchor(rest.substr(hash + 1))) return std::nullopt;
        rest = rest.substr(0, hash);
        const bool drive = !rest.empty() && rest[0] == L'/';
        if (drive) rest.remove_prefix(1);
        const auto unescaped = Unescape(rest);
        if (!unescaped || (drive && !IsDrivePath(*unescaped))) return std::nullopt;
        path = IsDrivePath(*unescaped) ? *unescaped : L"\\\\" + *unescaped;
    }
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : FoldAscii(c);
    return path;
}

}  // namespace

THelpNavigation JudgeHelpNavigation(const std::wstring& page, const std::wstring& address) {
    if (IsOutside(address)) return THelpNavigation::OpenOutside;
    // Only the same name, letter for letter: "..", "." or a query string name
    // the page too in some reading, and are refused with everything else.
    const auto own = LocalFile(page);
    const auto asked = LocalFile(address);
    return own && asked && *own == *asked ? THelpNavigation::Allow : THelpNavigation::Refuse;
}

}  // namespace lumivane
