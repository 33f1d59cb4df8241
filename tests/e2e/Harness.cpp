#include "Harness.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include "common/StandInPower.h"

namespace lumivane::e2e {

namespace {
constexpr wchar_t kRecorderClass[] = L"LumivaneTestRecorder";
constexpr wchar_t kHungClass[] = L"LumivaneTestHungWindow";

ATOM RegisterTestClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    return RegisterClassW(&wc);
}
}  // namespace

TRecorder::TRecorder() {
    FReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this] { Run(); });
    WaitForSingleObject(FReady, 10000);
}

TRecorder::~TRecorder() {
    PostMessageW(FWindow, WM_CLOSE, 0, 0);
    FThread.join();
    CloseHandle(FReady);
}

void TRecorder::Run() {
    static const ATOM atom = RegisterTestClass(kRecorderClass, &TRecorder::Proc);
    (void)atom;
    // A hidden top-level window: broadcasts reach invisible ones too.
    FWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kRecorderClass, L"recorder", WS_POPUP, 0, 0, 1,
                              1, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(FReady);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

LRESULT CALLBACK TRecorder::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_SYSCOMMAND && self) {
        const WPARAM command = wParam & 0xFFF0;
        if (command == SC_SCREENSAVE || command == SC_MONITORPOWER) {
            std::lock_guard lock(self->FLock);
            self->FRequests.push_back({command, lParam, TClock::now()});
            return 0;
        }
    }
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::vector<TRequest> TRecorder::Requests() const {
    std::lock_guard lock(FLock);
    return FRequests;
}

void TRecorder::Clear() {
    std::lock_guard lock(FLock);
    FRequests.clear();
}

std::vector<TRequest> TRecorder::WaitFor(size_t count, std::chrono::milliseconds deadline) const {
    PollUntil([&] { return Requests().size() >= count; }, deadline);
    return Requests();
}

std::vector<TRequest> TRecorder::Settled() const {
    if (!SendMessageTimeoutW(FWindow, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr))
        ADD_FAILURE() << "the recorder did not answer";
    return Requests();
}

namespace {
constexpr wchar_t kRequestsProperty[] = L"LumivaneTest.Requests";

LRESULT CALLBACK HungProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYSCOMMAND && ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER)) {
        const auto count = reinterpret_cast<INT_PTR>(GetPropW(hwnd, kRequestsProperty));
        SetPropW(hwnd, kRequestsProperty, reinterpret_cast<HANDLE>(count + 1));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
}  // namespace

THungWindow::THungWindow() {
    FReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FDrained = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this] {
        static const ATOM atom = RegisterTestClass(kHungClass, &HungProc);
        (void)atom;
        FWindow = CreateWindowExW(0, kHungClass, L"hung", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetEvent(FReady);
        // Reads no message until it is told to recover.
        WaitForSingleObject(FRelease, INFINITE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        SetEvent(FDrained);
        WaitForSingleObject(FStop, INFINITE);
        RemovePropW(FWindow, kRequestsProperty);
        DestroyWindow(FWindow);
    });
    WaitForSingleObject(FReady, 10000);
}

int THungWindow::Recover() {
    SetEvent(FRelease);
    WaitForSingleObject(FDrained, 10000);
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(FWindow, kRequestsProperty)));
}

THungWindow::~THungWindow() {
    SetEvent(FRelease);
    SetEvent(FStop);
    FThread.join();
    for (HANDLE h : {FReady, FRelease, FDrained, FStop}) CloseHandle(h);
}

std::wstring LumivanePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Lumivane.exe";
}

HWND FindMainWindow(DWORD processId) {
    for (HWND h = FindWindowW(L"TfMain_lumivane", nullptr); h;
         h = FindWindowExW(nullptr, h, L"TfMain_lumivane", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == processId) return h;
    }
    return nullptr;
}

namespace {
// The stand-in is chosen per program, not per process: it stays chosen while
// any run on it is alive, and a later plain run clears what a crashed test
// left behind.
int gRunsOnStandInPower = 0;
}  // namespace

TLumivane::TLumivane(const std::wstring& arguments, bool onStandInPower)
    : FOnStandInPower(onStandInPower), FShown(arguments.empty()) {
    if (FOnStandInPower && gRunsOnStandInPower++ == 0) test::SelectStandInPower(L"Lumivane.exe", true);
    if (!FOnStandInPower && gRunsOnStandInPower == 0) test::SelectStandInPower(L"Lumivane.exe", false);
    std::wstring commandLine = L"\"" + LumivanePath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    FRun.Start = TClock::now();
    // Wine now and then refuses a start that follows a killed process at
    // once (ERROR_INTERNAL_ERROR): the rig's, not the program's; a moment later it starts.
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &FInfo))
            break;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 5) {
            ADD_FAILURE() << "cannot start Lumivane.exe, error " << GetLastError();
            break;
        }
        Sleep(200);
    }
}

void EndProgram(PROCESS_INFORMATION& info, bool running) {
    if (!info.hProcess) return;
    if (running) {
        if (HWND main = FindMainWindow(info.dwProcessId)) PostMessageW(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "Lumivane did not end";
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 5000);
        }
    }
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    info = {};
}

TLumivane::~TLumivane() {
    EndProgram(FInfo, !FRun.Ended);
    if (FOnStandInPower && --gRunsOnStandInPower == 0) test::SelectStandInPower(L"Lumivane.exe", false);
}

void TLumivane::Kill() {
    const HWND main = FindMainWindow(FInfo.dwProcessId);
    const HWND icon = main ? FindWindowExW(main, nullptr, L"TNotifyIconMsgWindow", nullptr) : nullptr;
    TerminateProcess(FInfo.hProcess, 99);
    WaitForSingleObject(FInfo.hProcess, 10000);
    FRun.Ended = true;
    // The shell keeps a killed program's icon until the mouse finds it gone;
    // a test that clicks the notification area must find only the live one.
    if (icon) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = icon;
        Shell_NotifyIconW(NIM_DELETE, &data);
    }
}

TRun TLumivane::Wait(std::chrono::milliseconds deadline) {
    if (FInfo.hProcess &&
        WaitForSingleObject(FInfo.hProcess, static_cast<DWORD>(deadline.count())) ==
            WAIT_OBJECT_0) {
        FRun.End = TClock::now();
        FRun.Ended = true;
        GetExitCodeProcess(FInfo.hProcess, &FRun.ExitCode);
    }
    return FRun;
}

HWND TLumivane::MainWindow(std::chrono::milliseconds deadline) {
    return ReadyMainWindow(FInfo.dwProcessId, FShown, deadline);
}

HWND ReadyMainWindow(DWORD processId, bool shown, std::chrono::milliseconds deadline) {
    HWND main = nullptr;
    PollUntil([&] { return (main = FindMainWindow(processId)) != nullptr; }, deadline);
    if (main) {
        // Its start steps are through once it answers a status request as
        // a ready copy does: not 0, not busy (2), or once it shows a message
        // of its start, which keeps it busy. A copy answers before its window
        // shows, and the controls are made at the first showing.
        uint8_t status[12] = {'L', 'M', 'V', 'C', 1, 0, 7 /* status */, 0, 0, 0, 0, 0};
        COPYDATASTRUCT request{0x4C4D5643, sizeof(status), status};
        PollUntil([&] {
            DWORD_PTR answer = 0;
            return (SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request), SMTO_NORMAL,
                                        10000, &answer) &&
                    answer != 0 && answer != 2 && (!shown || IsWindowVisible(main))) ||
                   !VisibleWindowsOf(processId, L"TfMessage", nullptr).empty() ||
                   !VisibleWindowsOf(processId, L"#32770", nullptr).empty();
        }, std::chrono::seconds(60));
    }
    return main;
}

HWND OpenMenuOf(DWORD processId) {
    const auto menus = VisibleWindowsOf(processId, L"#32768");
    return menus.empty() ? nullptr : menus.front();
}

HWND Item(HWND main, TControlId id) { return GetDlgItem(main, static_cast<int>(id)); }

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 2000, &length);
    std::wstring text(length + 1, L'\0');
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 2000, nullptr);
    return text.c_str();
}

void RoundTrip(HWND window) {
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr))
        ADD_FAILURE() << "the window did not answer";
}

bool IsAbove(HWND upper, HWND lower) {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == upper) return true;
        if (h == lower) return false;
    }
    return false;
}

std::wstring StoredScreenSaveActive() {
    wchar_t value[16] = {};
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value,
                 &size);
    return value;
}

// Stored, not only for this process: Wine keeps an unstored change per
// process, and a program started next must find the screen saver on
// whatever an earlier run stored.
TScreenSaverOn::TScreenSaverOn() {
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &FSaved, 0);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
}

TScreenSaverOn::~TScreenSaverOn() { SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, FSaved, nullptr, SPIF_UPDATEINIFILE); }

std::vector<HWND> VisibleWindowsOf(DWORD processId, const wchar_t* cls, const wchar_t* title) {
    std::vector<HWND> found;
    for (HWND h = FindWindowW(cls, title); h; h = FindWindowExW(nullptr, h, cls, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == processId && IsWindowVisible(h)) found.push_back(h);
    }
    return found;
}

}  // namespace lumivane::e2e

// This program's PumpWaiting (common/PumpUntil.h): plain dispatch, no window of the program here.
void lumivane::test::PumpWaiting() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
