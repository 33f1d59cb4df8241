#include "ui/MainLayout.h"

#include <algorithm>

namespace lumivane {

namespace {
using C = TControlId;
// Design measures at 96 dpi.
constexpr int kMargin = 6, kGap = 4;
constexpr int kStatusGroupHeight = 134;
constexpr int kInsetLeft = 8, kInsetRight = 6, kInsetBottom = 7, kFirstRowTop = 18;
constexpr int kCheckHeight = 17, kEditHeight = 21, kHotKeyWidth = 130, kDelayWidth = 44;
constexpr int kIndent = 18, kColumnGap = 14, kTaskbarGroupMin = 180;
}  // namespace

std::wstring StripMnemonic(const std::wstring& caption) {
    std::wstring text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        text += caption[i];
    }
    return text;
}

TMainLayout::TMainLayout(const ILayoutMetrics& metrics, int toolBarHeight)
    : FMetrics(metrics), FClientWidth(S(kMainClientWidth)), FClientHeight(S(kMainClientHeight)) {
    At(C::CoolBar) = {0, 0, FClientWidth, toolBarHeight};
    At(C::ToolBar) = At(C::CoolBar);
    const int margin = S(kMargin), gap = S(kGap);
    const int top1 = toolBarHeight + gap;
    const int half = (FClientWidth - 2 * margin - gap) / 2;
    StatusGroup(C::gbScreenSaver, margin, top1, half, S(kStatusGroupHeight));
    StatusGroup(C::gbPowerOff, FClientWidth - margin - half, top1, half, S(kStatusGroupHeight));

    // The options take about two thirds of the width, more if their two
    // columns need it; the tray lists have the rest.
    const int top2 = top1 + S(kStatusGroupHeight) + gap;
    const int height2 = FClientHeight - margin - top2;
    const int inner = FClientWidth - 2 * margin - gap;
    const int columns = S(kInsetLeft) +
                        std::max(CheckBoxWidth(C::cbRestoreConfiguration), CheckBoxWidth(C::cbUpdateSettings)) +
                        S(kColumnGap) +
                        std::max(CheckBoxWidth(C::cbPreserveConfiguration), CheckBoxWidth(C::cbStartWithWindows)) +
                        S(kInsetRight);
    const int optionsWidth = std::min(std::max(inner * 2 / 3, columns), inner - S(kTaskbarGroupMin));
    // The options end below their last row; the keep-awake line follows them.
    const int optionsHeight = OptionsGroup(margin, top2, optionsWidth);
    At(C::lblKeptAwake) = {margin + S(kInsetLeft), top2 + optionsHeight + gap, optionsWidth - S(kInsetLeft),
                           FMetrics.LineHeight()};
    NotifyIconGroup(margin + optionsWidth + gap, top2, inner - optionsWidth, height2);
}

int TMainLayout::S(int designPixels) const { return designPixels * FMetrics.Dpi() / 96; }

TRect& TMainLayout::At(TControlId id) {
    return FRects.at(static_cast<size_t>(id) - static_cast<size_t>(C::gbScreenSaver));
}

const TRect& TMainLayout::Rect(TControlId id) const {
    return FRects.at(static_cast<size_t>(id) - static_cast<size_t>(C::gbScreenSaver));
}

int TMainLayout::CheckBoxWidth(TControlId id) const {
    const TControlDef* def = FindControl(id);
    return FMetrics.CheckBoxWidth() + FMetrics.TextWidth(StripMnemonic(def->Caption), false) + S(4);
}

void TMainLayout::StatusGroup(TControlId group, int left, int top, int width, int height) {
    At(group) = {left, top, width, height};
    const auto id = [group](int offset) {
        return static_cast<TControlId>(static_cast<int>(group) + offset);
    };
    // The controls follow their group box in the same order in both groups:
    // active caption, value, time-out caption, value, manage, hot key, Win +, field.
    const int line = FMetrics.LineHeight();
    const int x = left + S(kInsetLeft);
    const int captionWidth = std::max(FMetrics.TextWidth(FindControl(id(1))->Caption, false),
                                      FMetrics.TextWidth(FindControl(id(3))->Caption, false));
    const int valueLeft = x + captionWidth + S(3);
    const int valueWidth = left + width - S(kInsetRight) - valueLeft;
    // The state row has room for two lines: "Deactivated until" with a time
    // wraps rather than lose the time.
    int y = top + S(kFirstRowTop);
    At(id(1)) = {x, y, captionWidth, line};
    At(id(2)) = {valueLeft, y, valueWidth, 2 * line};
    y += 2 * line + S(2);
    At(id(3)) = {x, y, captionWidth, line};
    At(id(4)) = {valueLeft, y, valueWidth, line};
    y += line + S(5);
    const int checkWidth = width - S(kInsetLeft + kInsetRight);
    At(id(5)) = {x, y, std::min(CheckBoxWidth(id(5)), checkWidth), S(kCheckHeight)};
    y += S(kCheckHeight) + S(3);
    At(id(6)) = {x, y, std::min(CheckBoxWidth(id(6)), checkWidth), S(kCheckHeight)};
    y += S(kCheckHeight) + S(4);
    const int winLeft = x + S(kIndent);
    const int winWidth = CheckBoxWidth(id(7));
    const int editHeight = std::max(S(kEditHeight), line + S(8));
    At(id(7)) = {winLeft, y + (editHeight - S(kCheckHeight)) / 2, winWidth, S(kCheckHeight)};
    At(id(8)) = {winLeft + winWidth + S(2), y, S(kHotKeyWidth), editHeight};
}

int TMainLayout::OptionsGroup(int left, int top, int width) {
    const int x1 = left + S(kInsetLeft);
    const int x2 = x1 + std::max(CheckBoxWidth(C::cbRestoreConfiguration), CheckBoxWidth(C::cbUpdateSettings)) +
                   S(kColumnGap);
    const int pitch = S(kCheckHeight) + S(6);
    int y = top + S(kFirstRowTop);
    At(C::cbRestoreConfiguration) = {x1, y, CheckBoxWidth(C::cbRestoreConfiguration), S(kCheckHeight)};
    At(C::cbPreserveConfiguration) = {x2, y, CheckBoxWidth(C::cbPreserveConfiguration), S(kCheckHeight)};
    y += pitch;
    At(C::cbUpdateSettings) = {x1, y, CheckBoxWidth(C::cbUpdateSettings), S(kCheckHeight)};
    At(C::cbStartWithWindows) = {x2, y, CheckBoxWidth(C::cbStartWithWindows), S(kCheckHeight)};
    y += pitch;
    // Row 3: the box on the left, the delay field with its buttons at the
    // group's right edge, and its label right-aligned against the field.
    const int editHeight = std::max(S(kEditHeight), FMetrics.LineHeight() + S(8));
    const int boxTop = y + (editHeight - S(kCheckHeight)) / 2;
    At(C::cbContinuousMode) = {x1, boxTop, CheckBoxWidth(C::cbContinuousMode), S(kCheckHeight)};
    const int editLeft = left + width - S(kInsetRight) - S(kDelayWidth);
    At(C::edContinuousModeDelay) = {editLeft, y, S(kDelayWidth), editHeight};
    At(C::udDelay) = At(C::edContinuousModeDelay);  // attached to the field's right edge
    const int labelLeft = At(C::cbContinuousMode).Right() + S(4);
    At(C::lblContinuousModeDelay) = {labelLeft, y + (editHeight - FMetrics.LineHeight()) / 2,
                                     editLeft - S(4) - labelLeft, FMetrics.LineHeight()};
    At(C::gbOptions) = {left, top, width, y + editHeight + S(kInsetBottom) - top};
    return At(C::gbOptions).Height;
}

void TMainLayout::NotifyIconGroup(int left, int top, int width, int height) {
    At(C::gbNotifyIcon) = {left, top, width, height};
    const int x = left + S(kInsetLeft);
    const int w = width - S(kInsetLeft + kInsetRight);
    const int line = FMetrics.LineHeight();
    int y = top + S(kFirstRowTop) - S(2);
    At(C::lblTrayIconDoubleClick) = {x, y, w, line};
    y += line + S(2);
    At(C::cmbTrayIconDoubleClick) = {x, y, w, FMetrics.ListHeight()};
    y += FMetrics.ListHeight() + S(8);
    At(C::lblTrayIconClick) = {x, y, w, line};
    y += line + S(2);
    At(C::cmbTrayIconClick) = {x, y, w, FMetrics.ListHeight()};
}

}  // namespace lumivane
