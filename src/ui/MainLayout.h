#pragma once
// Where every control of the main window goes, worked out from the texts'
// measured widths at the window's scale: one layout for every DPI, so that no
// caption is clipped at 120, 144 or 192 dpi.
#include <array>
#include <string>

#include "ui/MainContents.h"

namespace lumivane {

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Measurements in pixels of the window's current scale and font.
class ILayoutMetrics {
public:
    virtual ~ILayoutMetrics() = default;
    virtual int Dpi() const = 0;
    // Width of a caption as drawn (mnemonic markers take no room).
    virtual int TextWidth(const std::wstring& text, bool bold) const = 0;
    virtual int LineHeight() const = 0;
    // The box of a check box and the gap before its caption.
    virtual int CheckBoxWidth() const = 0;
    // Height of a closed drop-down list.
    virtual int ListHeight() const = 0;
};

// The client size at 96 dpi.
constexpr int kMainClientWidth = 632, kMainClientHeight = 300;

// A caption without its mnemonic markers ("Pr&eserve" -> "Preserve", "&&" -> "&").
std::wstring StripMnemonic(const std::wstring& caption);

class TMainLayout {
public:
    // toolBarHeight: the cool bar's height in pixels, at the top of the client.
    TMainLayout(const ILayoutMetrics& metrics, int toolBarHeight);
    const TRect& Rect(TControlId id) const;
    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }

private:
    int S(int designPixels) const;  // 96-dpi pixels at this scale
    void StatusGroup(TControlId group, int left, int top, int width, int height);
    // Returns the group's height: its rows and the inset below them.
    int OptionsGroup(int left, int top, int width);
    void NotifyIconGroup(int left, int top, int width, int height);
    int CheckBoxWidth(TControlId id) const;
    TRect& At(TControlId id);

    const ILayoutMetrics& FMetrics;
    int FClientWidth, FClientHeight;
    std::array<TRect, static_cast<size_t>(TControlId::ToolBar) -
                          static_cast<size_t>(TControlId::gbScreenSaver) + 1>
        FRects{};
};

}  // namespace lumivane
