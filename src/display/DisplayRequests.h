#pragma once
// What the display commands ask of the system and of the settings window:
// the window system's two requests, starting a program, and the
// continuous-mode options.
#include <cstdint>
#include <string>

namespace lumivane {

// The two requests the window system carries out for us.
class ISystemRequests {
public:
    virtual ~ISystemRequests() = default;
    virtual void StartScreenSaver() = 0;
    virtual void PowerOffMonitor() = 0;
};

// Starts another program (see RunProcess).
class IProcessStarter {
public:
    virtual ~IProcessStarter() = default;
    virtual void RunProcess(const std::wstring& FileName, const std::wstring& Parameters,
                            uint32_t StartFlags, bool Wait, int32_t ShowCommand) = 0;
};

// The continuous-mode controls of the settings window, read at each use.
class IContinuousModeOptions {
public:
    virtual ~IContinuousModeOptions() = default;
    virtual bool ContinuousMode() const = 0;        // cbContinuousMode
    virtual int32_t ContinuousModeDelay() const = 0;  // edContinuousModeDelay, seconds
};

constexpr uint32_t kStartfUseShowWindow = 1;
constexpr int32_t kSwHide = 0;

// Command line that RunProcess hands to the system.
std::wstring ProcessCommandLine(const std::wstring& FileName, const std::wstring& Parameters);
// Start-up flags that RunProcess puts in the start-up record.
uint32_t ProcessStartFlags(uint32_t StartFlags, int32_t ShowCommand);
// Starts a program without waiting, hidden.
void RunProgram(IProcessStarter& starter, const std::wstring& FileName,
                const std::wstring& Parameters);

}  // namespace lumivane
