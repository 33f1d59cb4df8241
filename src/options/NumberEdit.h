#pragma once
// TNumberEdit: a single-line field for non-negative whole numbers. The rules
// live here; the platform edit control only shows the text and reports what
// the user did (INumberEditControl).
#include <functional>
#include <string>

namespace lumivane {

enum class TNumberEditAlign { neLeft = 0, neRight = 1 };

// The edit control behind a TNumberEdit.
class INumberEditControl {
public:
    virtual ~INumberEditControl() = default;
    virtual void SetText(const std::wstring& text) = 0;
    // The style changed: the control is made anew with the same text.
    virtual void Recreate() = 0;
};

// Reads a whole decimal number (an optional sign, then digits only).
bool TryParseNumber(const std::wstring& text, int& value);
// The text as a whole number; -1 when it is empty or not a whole number.
int ParseNumber(const std::wstring& text);

class TNumberEdit {
public:
    using TNotifyEvent = std::function<void(TNumberEdit*)>;

    explicit TNumberEdit(int maxLength = 0) : FMaxLength(maxLength) {}
    TNumberEdit(const TNumberEdit&) = delete;
    TNumberEdit& operator=(const TNumberEdit&) = delete;

    // The control that shows it (nullptr: none yet).
    void Attach(INumberEditControl* control) { FControl = control; }

    const std::wstring& Text() const { return FText; }
    // Setting a different text runs the change handling; the same text, nothing.
    void SetText(const std::wstring& text);
    int Number() const { return ParseNumber(FText); }
    void SetNumber(int value) { SetText(std::to_wstring(value)); }
    TNumberEditAlign Align() const { return FAlign; }
    void SetAlign(TNumberEditAlign value);
    bool PadNumber() const { return FPadNumber; }
    void SetPadNumber(bool value);
    int MaxLength() const { return FMaxLength; }

    // The edit's window style bits: ES_NUMBER, and ES_RIGHT when right-aligned.
    static constexpr unsigned kEsRight = 0x0002, kEsNumber = 0x2000;
    unsigned StyleBits() const;

    // What the control reports.
    void TextChangedByUser(const std::wstring& text);
    void KeyDown() { FKeyDown = true; }
    void KeyUp() { FKeyDown = false; }
    void Exit();

    TNotifyEvent OnChange;  // before the leading zeros are put in
    TNotifyEvent OnExit;    // after

private:
    void Change();
    void PadText();

    INumberEditControl* FControl = nullptr;
    std::wstring FText;
    int FMaxLength;
    TNumberEditAlign FAlign = TNumberEditAlign::neRight;
    bool FPadNumber = false;
    bool FKeyDown = false;
};

}  // namespace lumivane
