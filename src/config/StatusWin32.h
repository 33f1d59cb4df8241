#pragma once
// Platform sides of the status: the local clock with the user's long time
// format, and the eight state pictures of the notification icon.
#include <windows.h>

#include "config/StatusPresentation.h"
#include "config/TimeFormat.h"

namespace lumivane {

class TClockWin32 final : public IClock {
public:
    TTimeOfDay Now() const override;
    TLongTimeFormat LongTimeFormat() const override;
    uint64_t WallClockMs() const override;
};

// ImageListIcons: two sets of four state pictures at the small-icon size of
// the given DPI. Each picture is loaded when it is first shown: a start
// needs one of the eight, not all of them.
class TStateIconsWin32 final : public IStateIcons {
public:
    explicit TStateIconsWin32(UINT dpi);
    ~TStateIconsWin32() override;
    TStateIconsWin32(const TStateIconsWin32&) = delete;
    TStateIconsWin32& operator=(const TStateIconsWin32&) = delete;

    THandle StateIcon(int index) override;
    // Pictures loaded so far: each at most once.
    int Loaded() const { return FLoaded; }

private:
    int FSize;
    HICON FImageListIcons[8] = {};
    int FLoaded = 0;
};

// The system's visual-styles library can be loaded.
bool VisualStylesAvailable();
// The scale of the notification area, for the icon's pictures.
UINT NotificationAreaDpi();

}  // namespace lumivane
