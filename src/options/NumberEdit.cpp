#include "options/NumberEdit.h"

#include <climits>

namespace lumivane {

bool TryParseNumber(const std::wstring& text, int& value) {
    // A whole number in decimal, as the field's owner typed or pasted it:
    // an optional sign, then digits only, and nothing that overflows.
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    if (i == text.size()) return false;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > INT_MAX) return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

int ParseNumber(const std::wstring& text) {
    int value = 0;
    return TryParseNumber(text, value) ? value : -1;
}

namespace {
// The number in the text, 0 when there is none.
int NumberOrZero(const std::wstring& text) {
    int value = 0;
    return TryParseNumber(text, value) ? value : 0;
}
}  // namespace

void TNumberEdit::SetText(const std::wstring& text) {
    if (text == FText) return;
    FText = text;
    if (FControl) FControl->SetText(FText);
    Change();
}

void TNumberEdit::TextChangedByUser(const std::wstring& text) {
    // The control also reports the texts set through SetText: those are known.
    if (text == FText) return;
    FText = text;
    Change();
}

void TNumberEdit::Change() {
    if (OnChange) OnChange(this);
    PadText();
}

void TNumberEdit::Exit() {
    PadText();
    if (OnExit) OnExit(this);
}

void TNumberEdit::PadText() {
    if (!FPadNumber || FKeyDown) return;
    const long long number = NumberOrZero(FText);
    std::wstring digits = std::to_wstring(number < 0 ? -number : number);
    // The precision of "%.Nd": at least N digits, the sign in front of them.
    if (static_cast<int>(digits.size()) < FMaxLength)
        digits.insert(0, static_cast<size_t>(FMaxLength) - digits.size(), L'0');
    SetText(number < 0 ? L"-" + digits : digits);
}

void TNumberEdit::SetAlign(TNumberEditAlign value) {
    FAlign = value;
    if (FControl) FControl->Recreate();
}

void TNumberEdit::SetPadNumber(bool value) {
    FPadNumber = value;
    if (value) {
        PadText();
    } else {
        SetText(std::to_wstring(NumberOrZero(FText)));
    }
}

unsigned TNumberEdit::StyleBits() const {
    return kEsNumber | (FAlign == TNumberEditAlign::neRight ? kEsRight : 0u);
}

}  // namespace lumivane
