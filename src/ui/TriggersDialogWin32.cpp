#include "ui/TriggersDialogWin32.h"
#include "win32/SystemLibrariesWin32.h"

#include <algorithm>
#include <array>
#include <string>

#include <commctrl.h>
#include <shobjidl.h>

#include "ui/ScheduleRows.h"
#include "ui/ScheduleWindowDialogWin32.h"
#include "win32/ModalDialogWin32.h"
#include "win32/OleWin32.h"

namespace lumivane {

const wchar_t* const kTriggersDialogClassName = L"TfTriggers";

namespace {

using C = TTriggersControl;

// Layout at 96 pixels per inch; scaled to the window's DPI. The call's and
// presenting's rows and the schedule's part sit under the full-screen box
// and move what follows down.
constexpr int kSourcesHeight = 48, kScheduleTop = 214 + kSourcesHeight, kScheduleHeight = 125 + kSourcesHeight;
constexpr int kClientWidth = 400, kClientHeight = 340 + kScheduleHeight;
constexpr int kButtonWidth = 78, kButtonHeight = 25;  // Add… and Remove
constexpr int kRight = kClientWidth - 12, kButtonLeft = kRight - kButtonWidth, kListRight = kButtonLeft - 10;
// Under a list that could not be read whole, two lines that say so.
constexpr int kNoticeHeight = 30;

// The file name of a program the user picks; empty when cancelled.
std::wstring PickProgram(HWND owner) {
    IFileOpenDialog* dialog = nullptr;
    if (!EnsureOle() || FAILED(late::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&dialog))))
        return {};
    const COMDLG_FILTERSPEC types[] = {{L"Programs", L"*.exe"}, {L"All files", L"*.*"}};
    dialog->SetFileTypes(ARRAYSIZE(types), types);
    dialog->SetTitle(L"Add a program");
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options)))
        dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_DONTADDTORECENT);
    std::wstring name;
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
        PWSTR path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            name = ProgramFileName(path);
            late::CoTaskMemFree(path);
        }
        item->Release();
    }
    dialog->Release();
    return name;
}

class TfTriggers final : public TModalDialogWin32 {
public:
    TfTriggers(HWND owner, const TTriggerSettings& settings, const TPolicies& policies)
        : FSettings(settings), FReadOnly(!policies.Allows(TPolicy::AllowAutomaticDeactivation)),
          FAdminSchedule(policies.Schedule), FDayNames(UserDayNames()) {
        if (!Open(owner, kTriggersDialogClassName, L"Automatic deactivation", kClientWidth, kClientHeight)) return;
        MakePrograms();
        MakeSchedule();
        MakeBoxes(policies, EffectiveTriggers(settings, policies).MinBatteryPercent);
        ShowList();
        ShowSchedule();
        // What an administrator decides shows greyed, with who decided.
        const bool keepForced = policies.Configured(TPolicy::KeepAwake);
        const bool floorForced = policies.Configured(TPolicy::MinBatteryPercent);
        if (FReadOnly)
            for (C id : {C::Programs, C::Add, C::Remove, C::Name, C::FullScreen, C::Schedule, C::ScheduleNew,
                         C::ScheduleEdit, C::ScheduleRemove, C::OnlyOnMains, C::LetDisplaySleep, C::BatteryFloor,
                         C::BatteryPercent, C::WhileCall, C::WhilePresenting})
                EnableWindow(GetDlgItem(Handle(), static_cast<int>(id)), FALSE);
        // A list that could not be read whole is kept as stored: nothing in it to change.
        for (C id : {C::Programs, C::Add, C::Remove, C::Name})
            if (FSettings.ProgramsUnread) EnableWindow(GetDlgItem(Handle(), static_cast<int>(id)), FALSE);
        for (C id : {C::Schedule, C::ScheduleNew, C::ScheduleEdit, C::ScheduleRemove})
            if (FSettings.ScheduleUnread || FAdminSchedule)
                EnableWindow(GetDlgItem(Handle(), static_cast<int>(id)), FALSE);
        // The administrator's floor shows as the one in force, a user's higher one included.
        for (C id : {C::BatteryFloor, C::BatteryPercent})
            if (floorForced) EnableWindow(GetDlgItem(Handle(), static_cast<int>(id)), FALSE);
        if (FReadOnly || keepForced || floorForced || FAdminSchedule) {
            EnableWindow(GetDlgItem(Handle(), static_cast<int>(C::KeepAwake)), !FReadOnly && !keepForced);
            constexpr int top = 306 + kScheduleHeight;
            Child(0, L"STATIC", kSetByAdministrator, SS_LEFT, {12, top, 12 + 190, top + 20}, -1);
        }
    }

    std::optional<TTriggerSettings> Ask() {
        if (!Handle() || !FList) return std::nullopt;
        RunModal(IsWindowEnabled(FList) ? FList : GetDlgItem(Handle(), IDOK));
        return FChosen;
    }

private:
    void MakePrograms() {
        Child(0, L"STATIC", L"&Deactivate while any of these programs runs:", SS_LEFT, {12, 12, kRight, 28}, -1);
        const int listBottom = FSettings.ProgramsUnread ? 140 - kNoticeHeight - 4 : 140;
        FList = child(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                      WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, {12, 30, kListRight, listBottom},
                      C::Programs);
        child(0, L"BUTTON", L"&Add\u2026", BS_PUSHBUTTON | WS_TABSTOP,
              {kButtonLeft, 30, kRight, 30 + kButtonHeight}, C::Add);
        FRemove = child(0, L"BUTTON", L"&Remove", BS_PUSHBUTTON | WS_TABSTOP,
                        {kButtonLeft, 61, kRight, 61 + kButtonHeight}, C::Remove);
        Child(0, L"STATIC", L"Program &name:", SS_LEFT, {12, 152, 96, 168}, -1);
        FName = child(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, {98, 148, kListRight, 171},
                      C::Name);
        SendMessageW(FName, EM_LIMITTEXT, kProgramNameMax, 0);
        SendMessageW(FName, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Type a file name, then Enter"));
        // After the list and its field, so that readers still name the list by its label.
        if (FSettings.ProgramsUnread)
            Child(0, L"STATIC", L"The stored program list could not be read whole; it is kept as it is.", SS_LEFT,
                  {12, 140 - kNoticeHeight, kListRight, 140}, -1);
    }

    // The weekly schedule: its windows as rows, and buttons as the programs have.
    void MakeSchedule() {
        constexpr int top = kScheduleTop, listTop = top + 18, listBottom = listTop + 87;
        // Under the administrator's schedule the user's own is neither shown nor told about.
        const bool unread = FSettings.ScheduleUnread && !FAdminSchedule;
        Child(0, L"STATIC", L"&Schedule:", SS_LEFT, {12, top, kRight, top + 16}, -1);
        FSchedule = child(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                          WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          {12, listTop, kListRight, unread ? listBottom - kNoticeHeight - 4 : listBottom},
                          C::Schedule);
        const struct {
            C Id;
            const wchar_t* Caption;
            HWND* Button;
        } buttons[] = {{C::ScheduleNew, L"Ne&w\u2026", &FScheduleNew},
                       {C::ScheduleEdit, L"&Edit\u2026", &FScheduleEdit},
                       {C::ScheduleRemove, L"Remo&ve", &FScheduleRemove}};
        int buttonTop = listTop;
        for (const auto& button : buttons) {
            *button.Button = child(0, L"BUTTON", button.Caption, BS_PUSHBUTTON | WS_TABSTOP,
                                   {kButtonLeft, buttonTop, kRight, buttonTop + kButtonHeight}, button.Id);
            buttonTop += kButtonHeight + 6;
        }
        if (unread)
            Child(0, L"STATIC", L"The stored schedule could not be read whole; it is kept as it is.", SS_LEFT,
                  {12, listBottom - kNoticeHeight, kListRight, listBottom}, -1);
    }

    void MakeBoxes(const TPolicies& policies, uint32_t floor) {
        constexpr int down = kScheduleHeight;
        const struct {
            C Id;
            const wchar_t* Caption;
            bool Checked;
            int Top;
        } boxes[] = {
            {C::FullScreen, L"Deactivate while a program is &full screen or presenting", FSettings.FullScreen, 184},
            {C::WhileCall, L"Deactivate during a &call (camera or microphone in use)", FSettings.WhileCall, 206},
            {C::OnlyOnMains, L"Only on &mains power", FSettings.OnlyOnMains, 206 + down},
            {C::KeepAwake, L"&Keep the computer awake during timed and automatic deactivation",
             policies.Forced(TPolicy::KeepAwake, FSettings.KeepAwake), 228 + down},
            {C::LetDisplaySleep, L"&Let the display turn off while the computer is locked",
             FSettings.LetDisplaySleepWhenLocked, 250 + down},
        };
        for (const auto& box : boxes) {
            HWND h = child(0, L"BUTTON", box.Caption, BS_AUTOCHECKBOX | WS_TABSTOP,
                           {12, box.Top, kRight, box.Top + 17}, box.Id);
            SendMessageW(h, BM_SETCHECK, box.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        // Presenting: which displays count. A desktop computer has no
        // built-in display, so "any external display" is for laptops.
        Child(0, L"STATIC", L"Deactivate while &presenting:", SS_LEFT, {12, 231, 176, 247}, -1);
        HWND presenting = child(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL,
                                {178, 228, kRight, 228 + 120}, C::WhilePresenting);
        for (const wchar_t* mode : {L"Never", L"On a duplicated desktop", L"On any external display (laptops)"})
            SendMessageW(presenting, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
        SendMessageW(presenting, CB_SETCURSEL, static_cast<WPARAM>(FSettings.WhilePresenting), 0);
        // The battery floor: a box and its number, 20 % to start with.
        HWND box = child(0, L"BUTTON", L"Stop keeping the computer awake &below", BS_AUTOCHECKBOX | WS_TABSTOP,
                         {12, 272 + down, 248, 289 + down}, C::BatteryFloor);
        SendMessageW(box, BM_SETCHECK, floor ? BST_CHECKED : BST_UNCHECKED, 0);
        // The unit before the number in the order of the controls: where no
        // name can be given, readers take it from the text right before.
        Child(0, L"STATIC", L"% battery", SS_LEFT, {296, 273 + down, kRight, 289 + down}, -1);
        FPercent = child(WS_EX_CLIENTEDGE, L"EDIT", std::to_wstring(floor ? floor : 20).c_str(),
                         WS_TABSTOP | ES_NUMBER | ES_RIGHT, {250, 270 + down, 290, 291 + down}, C::BatteryPercent);
        Name(FPercent, L"Stop keeping the computer awake below (% battery)");
        SendMessageW(FPercent, EM_LIMITTEXT, 2, 0);
        EnableWindow(FPercent, floor != 0);
    }

    void Command(int id, int code) override {
        switch (id) {
        case IDOK: Accept(); return;
        case IDCANCEL: Close(); return;
        case static_cast<int>(C::Add):
            if (const std::wstring name = PickProgram(Handle()); !name.empty()) Add(name);
            // Back to this dialog, where some systems activate another window.
            SetForegroundWindow(Handle());
            return;
        case static_cast<int>(C::Remove): {
            const auto index = SendMessageW(FList, LB_GETCURSEL, 0, 0);
            if (index < 0 || static_cast<size_t>(index) >= FSettings.Programs.size()) return;
            FSettings.Programs.erase(FSettings.Programs.begin() + index);
            ShowList(std::min<LRESULT>(index, static_cast<LRESULT>(FSettings.Programs.size()) - 1));
            return;
        }
        case static_cast<int>(C::BatteryFloor): EnableWindow(FPercent, Checked(C::BatteryFloor)); return;
        case static_cast<int>(C::Programs):
            if (code == LBN_SELCHANGE) EnableWindow(FRemove, SendMessageW(FList, LB_GETCURSEL, 0, 0) >= 0);
            return;
        default: ScheduleCommand(id, code); return;
        }
    }

    void Accept() {
        // Enter in the name field adds the name; OK itself closes.
        if (GetFocus() == FName && GetWindowTextLengthW(FName) > 0) {
            Add(Text(FName));
            SetWindowTextW(FName, L"");
            return;
        }
        // Read-only, nothing is saved; a forced box keeps the user's own value.
        if (!FReadOnly) {
            FSettings.FullScreen = Checked(C::FullScreen);
            FSettings.WhileCall = Checked(C::WhileCall);
            const auto mode = SendMessageW(GetDlgItem(Handle(), static_cast<int>(C::WhilePresenting)), CB_GETCURSEL, 0, 0);
            FSettings.WhilePresenting = static_cast<TPresentingMode>(std::clamp<LRESULT>(mode, 0, kPresentingModeMax));
            FSettings.OnlyOnMains = Checked(C::OnlyOnMains);
            if (IsWindowEnabled(GetDlgItem(Handle(), static_cast<int>(C::KeepAwake))))
                FSettings.KeepAwake = Checked(C::KeepAwake);
            FSettings.LetDisplaySleepWhenLocked = Checked(C::LetDisplaySleep);
            // A number out of range is brought within it.
            const uint32_t percent = static_cast<uint32_t>(std::max(0, _wtoi(Text(FPercent).c_str())));
            if (IsWindowEnabled(GetDlgItem(Handle(), static_cast<int>(C::BatteryFloor))))
                FSettings.MinBatteryPercent =
                    Checked(C::BatteryFloor) ? std::clamp(percent, kBatteryFloorMin, kBatteryFloorMax) : 0;
            FChosen = FSettings;
        }
        Close();
    }

    // The schedule's rows are its stored strings, one for one: an edited row
    // is stored in the canonical form, and one the user leaves alone as it was.
    void ScheduleCommand(int id, int code) {
        auto& stored = FSettings.Schedule;
        const auto index = SendMessageW(FSchedule, LB_GETCURSEL, 0, 0);
        const bool selected = index >= 0 && static_cast<size_t>(index) < stored.size();
        if (id == static_cast<int>(C::ScheduleNew) && stored.size() < kScheduleMax) {
            if (const auto window = AskScheduleWindow(Handle(), kScheduleWindowToStart)) {
                stored.push_back(FormatScheduleWindow(*window));
                ShowSchedule(static_cast<LRESULT>(stored.size()) - 1);
            }
        } else if ((id == static_cast<int>(C::ScheduleEdit) ||
                    (id == static_cast<int>(C::Schedule) && code == LBN_DBLCLK && !ScheduleLocked())) &&
                   selected) {
            const auto initial = ParseScheduleWindow(stored[index]).value_or(kScheduleWindowToStart);
            if (const auto window = AskScheduleWindow(Handle(), initial)) {
                stored[index] = FormatScheduleWindow(*window);
                ShowSchedule(index);
            }
        } else if (id == static_cast<int>(C::ScheduleRemove) && selected) {
            stored.erase(stored.begin() + index);
            ShowSchedule(std::min<LRESULT>(index, static_cast<LRESULT>(stored.size()) - 1));
            // The last row gone, the greyed button would hold the keyboard's focus.
            if (!IsWindowEnabled(FScheduleRemove)) SetFocus(FSchedule);
            return;
        } else {
            if (id == static_cast<int>(C::Schedule) && code == LBN_SELCHANGE) EnableScheduleButtons();
            return;
        }
        // Back from the editor: this dialog, where some systems activate another window.
        SetForegroundWindow(Handle());
        SetFocus(FSchedule);
    }

    void ShowSchedule(LRESULT selected = -1) {
        SendMessageW(FSchedule, LB_RESETCONTENT, 0, 0);
        for (const auto& row : ScheduleRows(FAdminSchedule.value_or(FSettings.Schedule), FDayNames, UserShortTime))
            SendMessageW(FSchedule, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        SendMessageW(FSchedule, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        EnableScheduleButtons();
    }

    // No more windows than the program keeps: New… rests at kScheduleMax.
    void EnableScheduleButtons() {
        const bool selected = SendMessageW(FSchedule, LB_GETCURSEL, 0, 0) >= 0;
        EnableWindow(FScheduleNew, !ScheduleLocked() && FSettings.Schedule.size() < kScheduleMax);
        EnableWindow(FScheduleEdit, !ScheduleLocked() && selected);
        EnableWindow(FScheduleRemove, !ScheduleLocked() && selected);
    }
    // The administrator's schedule is shown in place of the user's, never edited.
    bool ScheduleLocked() const { return FReadOnly || FAdminSchedule; }

    // A name already listed (without case) is only selected.
    void Add(const std::wstring& name) {
        const std::wstring file = ProgramFileName(name);
        if (file.empty()) return;
        auto programs = FSettings.Programs;
        programs.push_back(file);
        programs = CleanProgramList(programs);
        size_t at = 0;
        while (at < programs.size() && !SameProgram(file, programs[at])) ++at;
        FSettings.Programs = programs;
        ShowList(at < programs.size() ? static_cast<LRESULT>(at) : -1);
    }

    void ShowList(LRESULT selected = -1) {
        SendMessageW(FList, LB_RESETCONTENT, 0, 0);
        for (const auto& name : FSettings.Programs)
            SendMessageW(FList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageW(FList, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        EnableWindow(FRemove, selected >= 0);
    }

    bool Checked(C id) const {
        return SendMessageW(GetDlgItem(Handle(), static_cast<int>(id)), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static std::wstring Text(HWND h) {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    HWND child(DWORD exStyle, const wchar_t* cls, const wchar_t* caption, DWORD style, RECT r, C id) {
        return Child(exStyle, cls, caption, style, r, static_cast<int>(id));
    }

    TTriggerSettings FSettings;
    const bool FReadOnly;
    const std::optional<std::vector<std::wstring>> FAdminSchedule;
    const std::array<std::wstring, 7> FDayNames;
    HWND FList = nullptr, FRemove = nullptr, FName = nullptr, FPercent = nullptr;
    HWND FSchedule = nullptr, FScheduleNew = nullptr, FScheduleEdit = nullptr, FScheduleRemove = nullptr;
    std::optional<TTriggerSettings> FChosen;
};

}  // namespace

std::optional<TTriggerSettings> AskTriggers(HWND owner, const TTriggerSettings& settings,
                                            const TPolicies& policies) {
    TfTriggers dialog(owner, settings, policies);
    return dialog.Ask();
}

}  // namespace lumivane
