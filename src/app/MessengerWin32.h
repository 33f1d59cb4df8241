#pragma once
// A second start's side of driving the running copy: finding the copy of
// this session, handing it a request, and the console the start came from.
// It makes no window and reads no options.
#include <windows.h>

#include <string>

#include "app/Application.h"
#include "app/RunningCopyWin32.h"

namespace lumivane {

class TMessengerWin32 {
public:
    IApplicationPlatform::TSent Send(const TControlRequest& request);
    // `program`: Lumivane.exe's path; none: this program's own.
    bool StartHiddenCopy(const std::wstring& program = {});
    bool WaitForRunningCopyToEnd();
    static uint32_t MsUntil(const TTimeOfDay& time);
    static void Print(const std::wstring& text, bool error);

    // How long an answer is waited for, and a copy still starting.
    static constexpr DWORD kAnswerMs = 5000, kStartMs = 10000;

private:
    DWORD FCopy = 0;  // the process that answered last
};

}  // namespace lumivane
