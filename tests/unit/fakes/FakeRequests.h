#pragma once
// The seams the display commands speak through, as logs: the system
// requests (each with the fake clock's time, when given one), the message
// dialog (which may run a step while it is open) and the process start.
// The tests under Wine use them too.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/MessageDialog.h"
#include "display/DisplayRequests.h"

namespace lumivane::test {

struct TRequestsLog final : ISystemRequests {
    const uint64_t* Now = nullptr;  // the clock each request is timed by, if any
    std::vector<std::string> Sent;
    std::vector<uint64_t> At;  // each request's time (0 without a clock)
    void StartScreenSaver() override { Note("screensaver"); }
    void PowerOffMonitor() override { Note("poweroff"); }
    void Clear() { Sent.clear(), At.clear(); }

private:
    void Note(const char* request) { Sent.push_back(request), At.push_back(Now ? *Now : 0); }
};

struct TDialogLog final : IMessageDialog {
    std::wstring Caption, Text;
    int Icon = -1;
    int Shown = 0;
    std::function<void()> WhileOpen;
    void ShowMessageDialog(const std::wstring& caption, const std::wstring& text, int iconIndex) override {
        ++Shown;
        Caption = caption, Text = text, Icon = iconIndex;
        if (WhileOpen) WhileOpen();
    }
};

struct TStarterLog final : IProcessStarter {
    std::vector<std::wstring> Started;  // "file|params|flags|wait|show"
    void RunProcess(const std::wstring& file, const std::wstring& params, uint32_t flags, bool wait,
                    int32_t show) override {
        Started.push_back(file + L"|" + params + L"|" + std::to_wstring(flags) + L"|" + std::to_wstring(wait) + L"|" +
                          std::to_wstring(show));
    }
};

}  // namespace lumivane::test
