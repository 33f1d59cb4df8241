#pragma once
// Where the help viewer lets its page go. The page is a file beside the
// program, which anyone can replace with a page of their own: it may move
// within itself, send a web or mail address to the user's own programs, and
// nothing more.
#include <string>

namespace lumivane {

enum class THelpNavigation {
    Allow,        // the page itself, or one of its anchors
    OpenOutside,  // a web or mail address: the shell opens it, the viewer stays
    Refuse,       // anything else: cancelled, nothing opened
};

// The verdict on `address`, asked for by the page whose file is `page` (a
// Windows path, as the viewer opened it). Anything unusual is refused.
THelpNavigation JudgeHelpNavigation(const std::wstring& page, const std::wstring& address);

}  // namespace lumivane
