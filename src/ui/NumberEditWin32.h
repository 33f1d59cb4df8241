#pragma once
// The edit control of a TNumberEdit: an EDIT with ES_NUMBER, so the system
// refuses typed characters other than digits, and ES_RIGHT when right-aligned.
#include <windows.h>

#include <functional>

#include "options/NumberEdit.h"

namespace lumivane {

class TNumberEditWin32 final : public INumberEditControl {
public:
    explicit TNumberEditWin32(TNumberEdit& model) : FModel(model) {}
    ~TNumberEditWin32() override;
    TNumberEditWin32(const TNumberEditWin32&) = delete;
    TNumberEditWin32& operator=(const TNumberEditWin32&) = delete;

    bool Create(HWND parent, int id, const RECT& bounds, HFONT font);
    HWND Handle() const { return FHandle; }
    // The parent got EN_CHANGE from this control.
    void Changed();
    // Runs after the control was made anew, with the old and the new handle.
    std::function<void(HWND, HWND)> OnRecreated;

    // INumberEditControl
    void SetText(const std::wstring& text) override;
    void Recreate() override;

private:
    HWND CreateWindowAt(HWND parent, int id, const RECT& bounds, DWORD extraStyle, const std::wstring& text);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    TNumberEdit& FModel;
    HWND FHandle = nullptr;
    WNDPROC FDefault = nullptr;
    bool FRecreating = false;  // the old window's loss of focus is no exit
};

}  // namespace lumivane
