#include "ui/About.h"

#include "addresses.h"
#include "version.h"

namespace lumivane {

const wchar_t* const kAboutCaption = L"About";
const wchar_t* const kSendEMailText = L"If you have any suggestion, find a bug, etc., send me an e-mail.";
const wchar_t* const kAboutParagraphs[4] = {
    L"Lumivane takes charge of the screen saver and the monitor power-off from the notification area.",
    // One paragraph over two lines.
    (L"Switch them off for a presentation, a film or a long job, and Lumivane puts your own settings back "
     L"when you are done."),
    L"Your options are kept in your user profile; nothing is sent anywhere.",
    L"Closing the window keeps Lumivane in the notification area; Exit ends it.",
};

TVersion AppVersion() { return {LUMIVANE_VERSION_MAJOR, LUMIVANE_VERSION_MINOR, L"", L"2025\u20132026"}; }

std::wstring VersionText(const TVersion& version) {
    std::wstring minor = std::to_wstring(version.Minor);
    if (minor.size() < 2) minor.insert(0, 2 - minor.size(), L'0');
    return L"Version " + std::to_wstring(version.Major) + L"." + minor + version.Suffix;
}

std::wstring AuthorText(const TVersion& version) { return L"\u00A9 " + version.Years + L" Tessaly"; }

TAboutAddresses AppAddresses() { return {LUMIVANE_CONTACT, LUMIVANE_HOME_URL}; }

std::vector<TAboutLine> AddressLines(const TAboutAddresses& addresses) {
    std::vector<TAboutLine> lines;
    if (!addresses.Email.empty()) lines.push_back({L"E-mail:", addresses.Email, true});
    if (!addresses.WebSite.empty()) lines.push_back({L"Web site:", addresses.WebSite, false});
    if (!addresses.Email.empty()) lines.push_back({nullptr, kSendEMailText, false});
    return lines;
}

std::wstring MailToAddress(const std::wstring& email) { return L"mailto:" + email; }

}  // namespace lumivane
