#pragma once
// The hints of one window's controls: a single tooltip control for all of
// them. A hint also shows over a disabled control, which gets no mouse input
// of its own: a second tool covers its rectangle on the parent window.
#include <windows.h>

#include <string>
#include <vector>

namespace lumivane {

class TToolTipsWin32 {
public:
    TToolTipsWin32() = default;
    ~TToolTipsWin32() { Destroy(); }
    // Before its owner window goes.
    void Destroy();
    TToolTipsWin32(const TToolTipsWin32&) = delete;
    TToolTipsWin32& operator=(const TToolTipsWin32&) = delete;

    // `hidePause`: how long a hint stays up, in ms.
    bool Create(HWND owner, UINT hidePause);
    // `hint` breaks its lines at carriage returns.
    void Add(HWND control, const std::wstring& hint);
    // The control was made anew (same hint), or moved.
    void Replace(HWND oldControl, HWND newControl);
    // The control's hint becomes `hint`.
    void SetHint(HWND control, const std::wstring& hint);
    void ControlsMoved();
    HWND Handle() const { return FTip; }

private:
    struct TTool {
        HWND Control;
        std::wstring Text;
        UINT_PTR AreaId;  // the tool over the control's rectangle on the owner
    };
    void AddTools(TTool& tool);
    void RemoveTools(const TTool& tool);
    HWND FOwner = nullptr;
    HWND FTip = nullptr;
    std::vector<TTool> FTools;
    UINT_PTR FNextAreaId = 1;
};

}  // namespace lumivane
