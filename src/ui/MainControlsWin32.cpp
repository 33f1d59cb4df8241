// The main window's controls: made from the contents table at the first
// showing, laid out by the computed layout at every scale, and kept in step
// with the form model.
#include "ui/MainWin32.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/MenusWin32.h"
#include "win32/CommonControlsWin32.h"

namespace lumivane {

namespace {
constexpr int kListDropHeight = 160;  // 96-dpi pixels of the open list
constexpr size_t SlotIndex(TControlId id) {
    return static_cast<size_t>(id) - static_cast<size_t>(TControlId::gbScreenSaver);
}
}  // namespace

// Text measured in the window's fonts at its current scale.
class TfMain_lumivane::TMetrics final : public ILayoutMetrics {
public:
    explicit TMetrics(const TfMain_lumivane& window) : FWindow(window), FDc(GetDC(window.Handle())) {
        FOld = SelectObject(FDc, window.FFont.Get());
        TEXTMETRICW tm{};
        GetTextMetricsW(FDc, &tm);
        FLine = tm.tmHeight;
    }
    ~TMetrics() override {
        SelectObject(FDc, FOld);
        ReleaseDC(FWindow.Handle(), FDc);
    }
    int Dpi() const override { return static_cast<int>(FWindow.FDpi); }
    int TextWidth(const std::wstring& text, bool bold) const override {
        SelectObject(FDc, bold ? FWindow.FBoldFont.Get() : FWindow.FFont.Get());
        SIZE size{};
        GetTextExtentPoint32W(FDc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight() const override { return FLine; }
    int CheckBoxWidth() const override {
        return GetSystemMetricsForDpi(SM_CXMENUCHECK, FWindow.FDpi) + FWindow.Scale(4);
    }
    int ListHeight() const override { return FLine + FWindow.Scale(8); }

private:
    const TfMain_lumivane& FWindow;
    HDC FDc;
    HGDIOBJ FOld;
    int FLine = 13;
};

HWND& TfMain_lumivane::Slot(TControlId id) { return FControls[SlotIndex(id)]; }

HWND TfMain_lumivane::Control(TControlId id) const {
    if (id == TControlId::None || SlotIndex(id) >= std::size(FControls)) return nullptr;
    return FControls[SlotIndex(id)];
}

void TfMain_lumivane::CreateControls() {
    if (FControlsCreated) return;
    FControlsCreated = true;
    FCommonControls.Load();
    FFont.Reset(CreateTahomaFont(FDpi));
    FBoldFont.Reset(CreateTahomaFont(FDpi, FW_BOLD));
    FToolBar.Create(Handle(), FDpi, FFont.Get(), *FImages, kHintHidePause);
    Slot(TControlId::CoolBar) = FToolBar.CoolBar();
    Slot(TControlId::ToolBar) = FToolBar.ToolBar();
    FToolTips.Create(Handle(), kHintHidePause);
    // Made in the table's order: that is the tab order, and a label comes
    // right before the control its mnemonic focuses.
    const TMetrics metrics(*this);
    const TMainLayout layout(metrics, FToolBar.Height());
    for (const TControlDef& def : MainControls()) {
        HWND control = CreateControl(def, layout.Rect(def.Id));
        Slot(def.Id) = control;
        if (def.Hint) FToolTips.Add(control, def.Hint);
        FAccessibleNames.Queue(control, AccessibleName(def.Id));
    }
    // The names are given once the window has painted: a zero timer comes
    // after the paint.
    SetTimer(Handle(), kAccessibleNamesTimer, 0, nullptr);
    ShowRefusedNow();
    FDelayEdit.OnRecreated = [this](HWND oldEdit, HWND newEdit) {
        Slot(TControlId::edContinuousModeDelay) = newEdit;
        FToolTips.Replace(oldEdit, newEdit);
        // The buttons attach to the new field where the layout puts it.
        LayOut();
        if (FLastFocus == oldEdit) FLastFocus = newEdit;
    };
}

HWND TfMain_lumivane::CreateControl(const TControlDef& def, const TRect& r) {
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
    int height = r.Height;
    switch (def.Kind) {
    case TControlKind::Group: cls = L"BUTTON"; style |= BS_GROUPBOX | WS_GROUP; break;
    case TControlKind::Label:
        style |= def.Id == TControlId::lblContinuousModeDelay ? SS_RIGHT : SS_LEFT;
        break;
    case TControlKind::ValueLabel: style |= SS_LEFT | SS_NOPREFIX; break;
    case TControlKind::CheckBox: cls = L"BUTTON"; style |= BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP; break;
    case TControlKind::HotKey: cls = HOTKEY_CLASSW; style |= WS_TABSTOP | WS_GROUP; break;
    case TControlKind::UpDown:
        cls = UPDOWN_CLASSW;
        style |= UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
        break;
    case TControlKind::List:
        cls = WC_COMBOBOXW;
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        height += Scale(kListDropHeight);
        break;
    case TControlKind::NumberEdit: {
        const RECT bounds{r.Left, r.Top, r.Right(), r.Bottom()};
        FDelayEdit.Create(Handle(), static_cast<int>(def.Id), bounds, FFont.Get());
        EnableWindow(FDelayEdit.Handle(), FDeps.Form.Enabled(def.Id));
        return FDelayEdit.Handle();
    }
    }
    if (!FDeps.Form.Enabled(def.Id)) style |= WS_DISABLED;
    const std::wstring caption = def.Caption ? def.Caption : L"";
    HWND h = CreateWindowExW(exStyle, cls, caption.c_str(), style, r.Left, r.Top, r.Width, height, Handle(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.Id)), ModuleInstance(), nullptr);
    if (!h) return nullptr;
    SendMessageW(h, WM_SETFONT,
                 reinterpret_cast<WPARAM>(def.Kind == TControlKind::ValueLabel ? FBoldFont.Get() : FFont.Get()),
                 FALSE);
    TMainForm& form = FDeps.Form;
    switch (def.Kind) {
    case TControlKind::CheckBox: SendMessageW(h, BM_SETCHECK, form.Checked(def.Id) ? BST_CHECKED : BST_UNCHECKED, 0); break;
    case TControlKind::HotKey:
        SendMessageW(h, HKM_SETRULES, form.HotKeyRules(def.Id).InvalidKeys,
                     MAKELPARAM(form.HotKeyRules(def.Id).Modifiers, 0));
        SendMessageW(h, HKM_SETHOTKEY, ShortCutToHotKeyValue(form.HotKey(def.Id)), 0);
        break;
    case TControlKind::UpDown:
        SendMessageW(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(def.Partner)), 0);
        SendMessageW(h, UDM_SETRANGE32, TMainForm::udDelayMin, TMainForm::udDelayMax);
        SendMessageW(h, UDM_SETPOS32, 0, form.edContinuousModeDelay.Number());
        break;
    case TControlKind::List: {
        const auto items =
            def.Id == TControlId::cmbTrayIconDoubleClick ? TrayDoubleClickItems() : TrayClickItems();
        for (const wchar_t* item : items) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(form.ItemIndex(def.Id)), 0);
        break;
    }
    default: break;
    }
    return h;
}

void TfMain_lumivane::LayOut() {
    const TMetrics metrics(*this);
    const TMainLayout layout(metrics, FToolBar.Height());
    for (const TControlDef& def : MainControls()) {
        HWND h = Control(def.Id);
        if (!h) continue;
        if (def.Kind == TControlKind::UpDown) {
            // Sits at its buddy's right edge again.
            SendMessageW(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(def.Partner)), 0);
            continue;
        }
        const TRect& r = layout.Rect(def.Id);
        const int height = r.Height + (def.Kind == TControlKind::List ? Scale(kListDropHeight) : 0);
        SetWindowPos(h, nullptr, r.Left, r.Top, r.Width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FToolTips.ControlsMoved();
}

void TfMain_lumivane::Rescale(UINT dpi, const RECT* suggested) {
    FDpi = dpi;
    // The new pictures go to the menus before the old ones are freed.
    auto images = std::make_unique<TCommandImagesWin32>(dpi, FCommonControls);
    if (FMenuImagesSet) {
        SetMenuImages(FMainMenu.Get(), MainMenu(), *images, MenusThemed());
        SetMenuImages(FNotifyMenu.Get(), NotifyMenu(), *images, MenusThemed());
    }
    if (FControlsCreated) {
        // The controls take the new fonts before the old ones are deleted.
        TUniqueHfont font(CreateTahomaFont(FDpi)), bold(CreateTahomaFont(FDpi, FW_BOLD));
        FToolBar.Rescale(dpi, font.Get(), *images);
        for (const TControlDef& def : MainControls())
            if (HWND h = Control(def.Id))
                SendMessageW(h, WM_SETFONT,
                             reinterpret_cast<WPARAM>(def.Kind == TControlKind::ValueLabel ? bold.Get() : font.Get()),
                             FALSE);
        FFont = std::move(font);
        FBoldFont = std::move(bold);
    }
    FImages = std::move(images);
    // The client keeps its design size at the new scale, where the system
    // suggests the window should go.
    RECT frame{0, 0, Scale(kMainClientWidth), Scale(kMainClientHeight)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)), TRUE,
                             static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE)), dpi);
    const int left = suggested ? suggested->left : 0, top = suggested ? suggested->top : 0;
    SetWindowPos(Handle(), nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
    if (FControlsCreated) {
        SendMessageW(FToolBar.CoolBar(), WM_SIZE, 0, 0);
        LayOut();
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void TfMain_lumivane::ControlCommand(TControlId id, WORD code, HWND control) {
    const TControlDef* def = FindControl(id);
    if (!def) return;
    TMainForm& form = FDeps.Form;
    switch (def->Kind) {
    case TControlKind::CheckBox:
        if (code == BN_CLICKED) form.SetChecked(id, SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    case TControlKind::NumberEdit:
        if (code == EN_CHANGE) FDelayEdit.Changed();
        break;
    case TControlKind::HotKey:
        if (code == EN_CHANGE)
            form.HotKeyChangedByUser(
                id, HotKeyValueToShortCut(static_cast<uint16_t>(SendMessageW(control, HKM_GETHOTKEY, 0, 0))));
        break;
    case TControlKind::List:
        if (code == CBN_SELCHANGE)
            form.ItemIndexChangedByUser(id, static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        break;
    default: break;
    }
}

void TfMain_lumivane::ShowChecked(TControlId id, bool checked) {
    if (HWND h = Control(id)) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TfMain_lumivane::ShowEnabled(TControlId id, bool enabled) {
    if (HWND h = Control(id)) EnableWindow(h, enabled);
}

void TfMain_lumivane::ShowHotKey(TControlId id, TShortCut value) {
    if (HWND h = Control(id)) SendMessageW(h, HKM_SETHOTKEY, ShortCutToHotKeyValue(value), 0);
}

void TfMain_lumivane::ShowHotKeyRules(TControlId id, THotKeyRules rules) {
    if (HWND h = Control(id)) SendMessageW(h, HKM_SETRULES, rules.InvalidKeys, MAKELPARAM(rules.Modifiers, 0));
}

void TfMain_lumivane::ShowItemIndex(TControlId id, int index) {
    if (HWND h = Control(id)) SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TfMain_lumivane::ShowStatus(const TStatusTexts& status) {
    FShownStatus = status;
    const TControlId labels[] = {TControlId::lblScreenSaverActive, TControlId::lblScreenSaverTimeout,
                                 TControlId::lblPowerOffActive, TControlId::lblPowerOffTimeout,
                                 TControlId::lblKeptAwake};
    const std::wstring* texts[] = {&status.ScreenSaverActive, &status.ScreenSaverTimeout, &status.PowerOffActive,
                                   &status.PowerOffTimeout, &status.KeptAwake};
    for (size_t i = 0; i < std::size(labels); ++i) {
        HWND label = Control(labels[i]);
        if (!label) return;  // the controls come with the first showing
        // A time that does not fit wraps as a whole: "Deactivated until" on
        // the first line, the time on the second.
        std::wstring text = *texts[i];
        if (const size_t until = text.find(L"until "); until != std::wstring::npos)
            std::replace(text.begin() + static_cast<std::ptrdiff_t>(until + 6), text.end(), L' ', L'\u00A0');
        // Unchanged text is not set again: no repaint twice a second.
        if (WindowText(label) != text) SetWindowTextW(label, text.c_str());
    }
}

}  // namespace lumivane
