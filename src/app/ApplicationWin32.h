#pragma once
// The application object on Win32: COM, the instance mutex, the main window
// and the message loop.
#include <windows.h>

#include <memory>
#include <string>

#include "app/Application.h"
#include "app/CompositionWin32.h"
#include "app/MessengerWin32.h"
#include "win32/UniqueHandle.h"

namespace lumivane {

class TApplicationWin32 final : public IApplicationPlatform {
public:
    explicit TApplicationWin32(int showCommand) : FShowCommand(showCommand) {}

    void InitializeCom() override;
    void SetTitle(const std::wstring& title) override { FTitle = title; }
    std::wstring Title() const override { return FTitle; }
    void RegisterActivationMessage() override;
    bool CreateInstanceMutex(const std::wstring& name) override;
    bool RunningCopyAbove() override;
    void ActivatePreviousInstance(const std::wstring& className) override;
    bool CreateMainWindow(bool forCommandsOnly, bool windowFirst) override;
    void SetNotifyIconVisible(bool visible) override;
    void ExecuteScreenSaver() override;
    void ExecutePowerOff() override;
    uint32_t TimerPowerOffInterval() const override;
    void ProcessMessages() override;
    void Pause(uint32_t milliseconds) override { Sleep(milliseconds); }
    void Terminate() override {
        FEndRequested = true;
        PostQuitMessage(0);
    }
    void RunMessageLoop(bool showMainWindow) override;
    void CloseInstanceMutex() override { FInstanceMutex.Reset(); }
    void DestroyMainWindow() override { FMain.reset(); }
    void UninitializeCom() override;
    void ClickShow() override;
    void BringMainWindowToFront() override;

    TLongTimeFormat TimeFormat() const override { return TClockWin32().LongTimeFormat(); }
    TSent SendControl(const TControlRequest& request) override { return FMessenger.Send(request); }
    bool StartHiddenCopy() override { return FMessenger.StartHiddenCopy(); }
    bool WaitForRunningCopyToEnd() override { return FMessenger.WaitForRunningCopyToEnd(); }
    std::wstring RecoverLostRuns() override { return RecoverLostRunsWithoutWindow(); }
    std::wstring LeftChanged() override { return LeftChangedByEndedRun(); }
    uint32_t MsUntil(const TTimeOfDay& time) override { return TMessengerWin32::MsUntil(time); }
    uint64_t WallClockMs() override { return TClockWin32().WallClockMs(); }
    TLocalTime LocalTimeOf(uint64_t wallClockMs) override { return TClockWin32().LocalTimeOf(wallClockMs); }
    void Print(const std::wstring& text, bool error) override { TMessengerWin32::Print(text, error); }
    void SetExitCode(int code) override { FExitCode = code; }

    int ExitCode() const { return FExitCode; }

private:
    int FShowCommand;
    std::wstring FTitle;
    bool FTerminated = false;  // the quit request has been read
    bool FEndRequested = false;  // a command-line command asked the loop to end
    int FExitCode = 0;
    UINT FActivationMessage = 0;  // the wake-up message, once registered
    TUniqueKernelHandle FInstanceMutex;
    std::unique_ptr<TLumivaneWin32> FMain;
    TMessengerWin32 FMessenger;
};

}  // namespace lumivane
