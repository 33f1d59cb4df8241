#include <gtest/gtest.h>

#include "config/Triggers.h"

namespace lumivane::test {
namespace {

TEST(ProgramNames, AreComparedWithoutCaseAndWithoutPath) {
    const struct {
        const wchar_t *Image, *Listed;
        bool Same;
    } rows[] = {
        {L"C:\\Program Files\\Microsoft Office\\root\\Office16\\POWERPNT.EXE", L"powerpnt.exe", true},
        {L"C:\\Tools\\My Player.exe", L"  My Player.exe ", true},
        {L"D:/portable/vlc.exe", L"C:\\elsewhere\\VLC.EXE", true},
        {L"C:\\Tools\\My Player.exe", L"Player.exe", false},
        {L"C:\\Tools\\vlc.exe.bak", L"vlc.exe", false},
        {L"C:\\Tools\\", L"", false},
    };
    for (const auto& row : rows) EXPECT_EQ(SameProgram(row.Image, row.Listed), row.Same) << row.Listed;
    EXPECT_EQ(CleanProgramList({L" a.exe", L"", L"C:\\x\\A.EXE", L"b c.exe", std::wstring(256, L'n'),
                                std::wstring(255, L'k')}),
              (std::vector<std::wstring>{L"a.exe", L"b c.exe", std::wstring(255, L'k')}));
    std::vector<std::wstring> many;
    for (int i = 0; i < 300; ++i) many.push_back(std::to_wstring(i) + L".exe");
    EXPECT_EQ(CleanProgramList(many).size(), kProgramsMax);
}

// Which trigger holds, in every mix of a listed program, a full-screen
// window and the power source; on battery with "Only on mains" none does.
TEST(TriggerCause, ProgramsFirstThenFullScreenAndNothingOnBatteryWhenOnlyOnMains) {
    const TTriggerSettings listed{{L"vlc.exe", L"mstsc.exe"}, true, true, true};
    const std::map<uint32_t, std::wstring> mstsc{{7, L"mstsc.exe"}}, unlisted{{8, L"notepad.exe"}};
    const struct {
        std::map<uint32_t, std::wstring> Programs;
        bool FullScreen, OnMains, FullScreenBox;
        std::wstring Cause;
    } rows[] = {
        {{}, false, true, true, L""},
        {mstsc, false, true, true, L"mstsc.exe"},
        {mstsc, true, true, true, L"mstsc.exe"},
        {{}, true, true, true, kFullScreenCause},
        {{}, true, true, false, L""},
        {unlisted, false, true, true, L""},
        {mstsc, true, false, true, L""},
    };
    for (const auto& row : rows) {
        TTriggerSettings settings = listed;
        settings.FullScreen = row.FullScreenBox;
        EXPECT_EQ(TriggerCause(settings, {row.Programs, row.FullScreen, row.OnMains}), row.Cause);
    }
}

}  // namespace
}  // namespace lumivane::test
