#pragma once
// Platform sides of the status: the local clock with the user's long time
// format, and the eight state pictures of the notification icon.
#include <windows.h>

#include "status/StatusPresentation.h"
#include "sources/TimeFormat.h"
#include "resource.h"

namespace lumivane {

class TClockWin32 final : public IClock {
public:
    TTimeOfDay Now() const override;
    TLongTimeFormat LongTimeFormat() const override;
    uint64_t WallClockMs() const override;
    TLocalTime LocalTimeOf(uint64_t wallClockMs) const override;
};

// ImageListIcons: two sets of four state pictures at the small-icon size of
// the given DPI, drawn for a dark or a light taskbar. Each picture is loaded
// when it is first shown: a start needs one of the eight, not all of them.
class TStateIconsWin32 final : public IStateIcons {
public:
    TStateIconsWin32(UINT dpi, bool lightTaskbar);
    ~TStateIconsWin32() override;
    TStateIconsWin32(const TStateIconsWin32&) = delete;
    TStateIconsWin32& operator=(const TStateIconsWin32&) = delete;

    THandle StateIcon(int index) override;
    // Pictures loaded so far: each at most once.
    int Loaded() const { return FLoaded; }
    bool LightTaskbar() const { return FFirst == IDI_TRAY_LIGHT0; }

private:
    int FSize;
    int FFirst;  // the resource of picture 0
    HICON FImageListIcons[8] = {};
    int FLoaded = 0;
};

// The system's visual-styles library can be loaded.
bool VisualStylesAvailable();
// The taskbar is drawn light (Windows 11's default); no value says dark.
bool TaskbarIsLight();
// The scale of the notification area, for the icon's pictures.
UINT NotificationAreaDpi();

}  // namespace lumivane
