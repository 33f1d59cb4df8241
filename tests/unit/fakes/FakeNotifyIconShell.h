#pragma once
// The notification area's shell, as a log.
#include <string>
#include <utility>
#include <vector>

#include "tray/NotifyIcon.h"

namespace lumivane::test {

// Records every shell call; icons are numbers whose copies are counted.
struct TShellLog final : INotifyIconShell {
    std::vector<std::string> Calls;
    std::vector<TNotifyIconRecord> Records;
    int Copies = 0, Destroys = 0;
    int RefuseAdds = 0;  // the shell is still starting: so many adds fail
    THandle NextIcon = 1000;
    bool TakesVersion4 = true;
    int VersionCalls = 0;
    TMenuEnd MenuEnd = TMenuEnd::Chosen;

    int Sent(TNotifyIconMessage m) const { return Counts[static_cast<int>(m)]; }
    int Counts[5] = {};

    bool NotifyIcon(TNotifyIconMessage m, const TNotifyIconRecord& r) override {
        ++Counts[static_cast<int>(m)];
        if (m == TNotifyIconMessage::SetVersion) {
            ++VersionCalls;
            return Held && r.Version == 4 && TakesVersion4;
        }
        static const char* names[] = {"add", "modify", "delete", "focus"};
        Calls.push_back(std::string(names[static_cast<int>(m)]) + " wnd=" + std::to_string(r.Wnd));
        Records.push_back(r);
        // As the shell does: no second add of an icon it holds, no modify of one it does not.
        if (m == TNotifyIconMessage::Add) return !(RefuseAdds-- > 0 || Held) && (Held = true);
        if (m == TNotifyIconMessage::Delete) return std::exchange(Held, false);
        return Held;
    }
    bool Held = false;
    THandle CopyIcon(THandle) override {
        ++Copies;
        return ++NextIcon;
    }
    void DestroyIcon(THandle) override { ++Destroys; }
    void GetCursorPos(int& x, int& y) override {
        x = 10;
        y = 20;
        Calls.push_back("cursor");
    }
    void SetForegroundWindow(THandle w) override { Calls.push_back("foreground " + std::to_string(w)); }
    void ProcessMessages() override { Calls.push_back("process"); }
    TMenuEnd TrackPopupMenu(THandle menu, int x, int y) override {
        Calls.push_back("menu " + std::to_string(menu) + " at " + std::to_string(x) + "," +
                        std::to_string(y));
        return MenuEnd;
    }
    void MessageBeep() override { Calls.push_back("beep"); }
};

}  // namespace lumivane::test
