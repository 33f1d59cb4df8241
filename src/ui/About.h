#pragma once
// What the about box says: the version handed over by the caller, the author
// line, the contact addresses and its fixed texts.
#include <cstdint>
#include <string>
#include <vector>

namespace lumivane {

struct TVersion {
    uint16_t Major = 0;
    uint16_t Minor = 0;  // shown with at least two digits
    std::wstring Suffix;
    std::wstring Years;  // for the author line
};

// AppVersion: the program's version, from the one number in res/version.h.
TVersion AppVersion();

// "Version %d.%.2d%s": 1, 61 and no suffix give "Version 1.61"; 1, 5 give "Version 1.05".
std::wstring VersionText(const TVersion& version);
// The author line with the year range in it.
std::wstring AuthorText(const TVersion& version);

// The project's addresses; an empty one is not shown at all, so that a build
// without them never shows an address that leads nowhere.
struct TAboutAddresses {
    std::wstring Email;
    std::wstring WebSite;
};
// AppAddresses: the ones this build was configured with (the CMake cache's
// LUMIVANE_CONTACT and LUMIVANE_HOMEPAGE), empty by default.
TAboutAddresses AppAddresses();

// One line of the box's address block: a labelled link, or a plain sentence.
struct TAboutLine {
    const wchar_t* Label;  // nullptr: a plain sentence
    std::wstring Text;
    bool Mail;  // the link is an e-mail address
};
// A line for each address there is; the invitation to write only with an e-mail address.
std::vector<TAboutLine> AddressLines(const TAboutAddresses& addresses);
// "mailto:" and the address: what the e-mail field hands to the shell.
std::wstring MailToAddress(const std::wstring& email);

extern const wchar_t* const kAboutCaption;          // "About"
extern const wchar_t* const kSendEMailText;         // lblSendEMail
extern const wchar_t* const kAboutParagraphs[4];    // the four fixed paragraphs

}  // namespace lumivane
