#pragma once
// A call: an app has the camera or the microphone open. Windows records each
// app's use of them in the capability access store, which the privacy
// settings read for their "recent activity": under
// ...\CapabilityAccessManager\ConsentStore\webcam and \microphone, a key per
// packaged app, and below NonPackaged a key per desktop program, named by
// its path with '#' for '\'. Each key holds LastUsedTimeStart and
// LastUsedTimeStop (file times); the stop is 0 while the app has the device
// open. The store is not documented; it has kept this form since Windows 10
// 1903. A muted microphone is still open: that is still a call.
#include <cstdint>
#include <string>
#include <vector>

namespace lumivane {

// One key of a device's store, as read.
struct TDeviceUse {
    std::wstring Key;        // below the device's key: "Microsoft.WindowsCamera_8wekyb3d8bbwe", "NonPackaged\C:#a.exe"
    uint64_t Start = 0;      // LastUsedTimeStart; 0 where missing
    bool Stopped = true;     // LastUsedTimeStop is there and not 0, or missing
};

// The apps that have a device open now: a packaged app's name, a desktop
// program's path.
std::vector<std::wstring> AppsInCall(const std::vector<TDeviceUse>& uses);

}  // namespace lumivane
