#pragma once
// The cool bar across the top of the main window, with one band holding the
// flat tool bar: image above caption, each button bound to a command.
#include <windows.h>
#include <commctrl.h>

#include <span>
#include <vector>

#include "base/CommandIds.h"

#include "ui/CommandImagesWin32.h"

namespace lumivane {

class TToolBarWin32 {
public:
    bool Create(HWND parent, UINT dpi, HFONT font, TCommandImagesWin32& images, UINT hidePause);
    // New scale: new images, font and button size; the band follows.
    void Rescale(UINT dpi, HFONT font, TCommandImagesWin32& images);
    HWND CoolBar() const { return FCoolBar; }
    HWND ToolBar() const { return FToolBar; }
    int Height() const;
    // WM_NOTIFY from the tool bar's tooltip: fills in the command's hint.
    bool HandleNotify(NMHDR* header);
    // Greys the refused commands' buttons; their hint says who decided.
    void ShowRefused(std::span<const TCommandId> refused);

private:
    void SizeButtons(UINT dpi);
    void UpdateBand();
    HWND FCoolBar = nullptr;
    HWND FToolBar = nullptr;
    std::vector<TCommandId> FRefused;
};

}  // namespace lumivane
