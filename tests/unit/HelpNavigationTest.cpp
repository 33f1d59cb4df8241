#include <gtest/gtest.h>

#include "ui/HelpNavigation.h"

namespace lumivane::test {
namespace {

using enum THelpNavigation;

TEST(HelpNavigation, ThePageAndItsAnchorsStayWebAndMailGoOutsideAllElseIsRefused) {
    const std::wstring page = L"C:\\Lumivane\\Help.html";
    const struct {
        std::wstring Page, Address;
        THelpNavigation Verdict;
    } rows[] = {
        {page, L"file:///C:/Lumivane/Help.html", Allow},
        {page, L"file:///c:/LUMIVANE/help.HTML#hotkeys", Allow},
        {page, L"file://C:\\Lumivane\\Help.html#", Allow},
        {page, L"C:/Lumivane/Help.html", Allow},
        {page, L"file:///C:/Lumivane/Help%2ehtml", Allow},
        {L"C:\\Users\\J\u00fcrgen\\My files\\Help.html", L"file:///C:/Users/J%C3%BCrgen/My%20files/Help.html", Allow},
        {L"C:\\Users\\J\u00fcrgen\\My files\\Help.html", L"file:///C:/Users/J\u00fcrgen/My files/Help.html", Allow},
        {L"C:\\Users\\J\u00fcrgen\\Help.html", L"file:///C:/Users/J%DCrgen/Help.html", Refuse},
        {L"C:\\Users\\J\u00fcrgen\\Help.html", L"file:///C:/Users/J%C3%7Crgen/Help.html", Refuse},
        {L"\\\\server\\share\\Help.html", L"file://server/share/Help.html#tray", Allow},
        {L"\\\\server\\share\\Help.html", L"file:///server/share/Help.html", Refuse},
        {page, L"file:///C:/Lumivane/Other.html", Refuse},
        {page, L"file:///C:/Lumivane/Help.html?x=1", Refuse},
        {page, L"file:///C:/Lumivane/sub/../Help.html", Refuse},
        {page, L"file:///C:/Lumivane/Help.html#x.hta", Refuse},
        {page, L"file:///C:/Lumivane/Help.html%23x", Refuse},
        {page, L"file:///C:/Lumivane/Help%C0%AEhtml", Refuse},
        {L"C:\\x\u0080\\Help.html", L"file:///C:/x%80/Help.html", Refuse},  // a lone continuation byte
        {L"Z:\\Help.html", L"file:///Z:/Help.html", Allow},
        {L"C:\\100%\\Help.html", L"file:///C:/100%25/Help.html", Allow},
        {L"C:\\100%\\Help.html", L"file:///C:/100%/Help.html", Refuse},
        {page, L"file://attacker/share/Help.html", Refuse},
        {page, L"javascript:location='file:///C:/Lumivane/Help.html'", Refuse},
        {page, L"res://ieframe.dll/navcancl.htm", Refuse},
        {page, L"https://lumivane.test/guide?a=1#b", OpenOutside},
        {page, L"HTTP://lumivane.test/", OpenOutside},
        {page, L"mailto:team@lumivane.test", OpenOutside},
        {page, L"https:///evil", Refuse},
        {page, L"http:\\\\evil\\share", Refuse},
        {page, L"https://lumivane.test/\" --new-window file:///C:/x.hta", Refuse},
        {page, L"mailto:", Refuse},
    };
    for (const auto& row : rows)
        EXPECT_EQ(JudgeHelpNavigation(row.Page, row.Address), row.Verdict)
            << std::string(row.Address.begin(), row.Address.end());
}

}  // namespace
}  // namespace lumivane::test
