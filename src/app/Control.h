#pragma once
// Driving the running copy from the command line and from scripts: the
// switches, the request a second start hands to the running copy, the answer
// it gets back, and what is printed and returned to the shell.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sources/TimeFormat.h"
#include "options/UserPath.h"

namespace lumivane {

// What a second start asks of the running copy.
enum class TControlVerb : uint16_t {
    Activate = 1,
    Deactivate,
    DeactivateFor,
    DeactivateUntil,
    Restore,
    Toggle,
    Status,
    Exit,
    ScreenSaver,
    PowerOff,
    // Never sent: the start that reads it does the work itself, and only
    // while no copy of this session runs.
    Recover,
    // Deactivated while a process runs (-while, -while-pid): its id in Ms.
    WhileProcess,
};

struct TControlRequest {
    TControlVerb Verb = TControlVerb::Status;
    uint32_t Ms = 0;  // the period, for DeactivateFor and DeactivateUntil; the process, for WhileProcess
    bool operator==(const TControlRequest&) const = default;
};

// A period on the command line: one minute to a day.
constexpr uint32_t kMinPeriodMs = 60'000, kMaxPeriodMs = 86'400'000;
// "Until" a clock time at most a day ahead, and an hour more across a
// change of the clock.
constexpr uint32_t kMaxUntilMs = kMaxPeriodMs + 3'600'000;

// What the shell gets back.
enum TExitCode : int {
    kExitActive = 0,  // also: a command carried out
    kExitDeactivated = 1,
    kExitDeactivatedFor = 2,
    kExitNotRunning = 3,
    kExitNoAnswer = 4,  // the running copy did not answer (or end, after -exit) in time
    kExitRefused = 5,   // the running copy turned the command down
    kExitNotAllowed = 6,  // an administrator's policy does not allow it
    kExitNotPutBack = 7,  // -exit, -recover: something stays changed; the message says what
    kExitHigherCopy = 8,  // the running copy has administrator rights: it cannot be reached
    kExitUsage = 64,
    // -while and -while-pid, as env and timeout say it: once the job runs,
    // its own code is returned; these only when it never started.
    kExitWhileFailed = 125,    // Lumivane itself: no copy, not allowed, refused
    kExitWhileCannotRun = 126,  // the program was found but could not be started
    kExitWhileNotFound = 127,
};

enum class TCommandLineCommand { ScreenSaver, PowerOff };

struct TCommandLine {
    bool Quiet = false;                         // "-quiet" as the first argument
    std::vector<TCommandLineCommand> Commands;  // in argument order, repeats kept
    std::optional<TControlVerb> Control;        // one control switch at most
    uint32_t PeriodMs = 0;                      // with -deactivate-for
    std::optional<TTimeOfDay> Until;            // with -deactivate-until
    bool Help = false;
    std::wstring Error;  // bad input: what is wrong; nothing is to run
};

// The arguments after the program's name, split as Windows splits a
// command line for a program's argv: blanks part them; quotes group them and
// are dropped; 2n backslashes before a quote give n and the quote acts, 2n+1
// give n and a literal quote; other backslashes are kept; a third quote in a
// row gives a literal one. The name itself ends at its closing quote, or at
// the first blank when it is not quoted. Ours, because the system's splitter
// lives in the shell's library, which a start need not load otherwise.
std::vector<std::wstring> CommandLineArguments(std::wstring_view commandLine);

// The start switches keep their first rules: "-quiet" as the first argument
// only, "-screensaver" and "-poweroff" anywhere, with "-" only; any other
// argument that is not a switch is ignored. The control switches take "-" or
// "/"; an unknown switch is an error. `clock` gives the user's morning and
// afternoon designators, taken besides "am" and "pm".
TCommandLine ParseCommandLine(const std::vector<std::wstring>& args, const TLongTimeFormat& clock = {});

// "-setup-path add" and "-setup-path remove", then what the setup's
// uninstall entry records ("1": a setup added the folder; "0" or "": not,
// or an older setup's entry), and nothing more: the setup program's step on
// the folder of the Lumivane.com it runs, never in the usage. Not `Present`
// when `args` do not start with the switch; `Error` says what is wrong with
// a call that does.
struct TSetupPathCall {
    bool Present = false;
    TPathChange Change = TPathChange::Add;
    bool AddedBySetup = false;
    std::wstring Error;
};
TSetupPathCall ParseSetupPath(const std::vector<std::wstring>& args);

// "-while PROGRAM [ARGUMENTS...]": deactivated while the program, started
// by this call, runs; "-while-pid ID": while a process that runs already
// does. Either comes first and alone. Not `Present` otherwise; `Error`
// says what is wrong with a call that does.
struct TWhileCall {
    bool Present = false;
    std::vector<std::wstring> Job;  // the program and its arguments
    uint32_t ProcessId = 0;         // with -while-pid
    std::wstring Error;
};
TWhileCall ParseWhile(const std::vector<std::wstring>& args);
// Arguments as one command line that splits back into them (the C
// runtime's rules, which CommandLineArguments reads).
std::wstring JoinArguments(const std::vector<std::wstring>& args);
// What -while starts for a program found at `program`: the program itself,
// or, for a batch file (which CreateProcess does not run), the command
// interpreter `interpreter` with /d /s /c.
struct TJobStart {
    std::wstring Application, CommandLine;
};
TJobStart JobStart(const std::wstring& program, const std::vector<std::wstring>& arguments,
                   const std::wstring& interpreter);
// The most processes held at once: the copy waits for all of them with its
// messages, in one wait of at most 64 handles.
constexpr size_t kMaxWhileHolds = 32;

// The setup programs' other steps, never in the usage either:
// "-setup-folder FOLDER" makes the folder a setup is about to fill, before
// anything goes in, so that a folder the user picked under one that every
// user may write to (C:\, say) does not hand them the program that starts
// at log-on; "-setup-startup remove" takes this user's start-up entry away
// at an uninstall, when it starts the Lumivane.exe beside this program.
struct TSetupStepCall {
    enum class TStep { None, Folder, RemoveStartup } Step = TStep::None;
    std::wstring Folder;
    std::wstring Error;
};
TSetupStepCall ParseSetupStep(const std::vector<std::wstring>& args);
// The folder's access list, protected from what its parent grants: the
// user (also its owner), SYSTEM and Administrators, and nobody else; files
// made in it inherit it. `userSid` in its text form.
std::wstring SetupFolderDescriptor(const std::wstring& userSid);
// Whether a folder that is there already may be filled: its owner (SID
// text) is the user, SYSTEM or Administrators, who may change it anyway.
bool TrustedSetupFolderOwner(const std::wstring& owner, const std::wstring& userSid);

// "90" (minutes), "90m", "1h30m", "2h", "45s": the length in ms, unchecked
// against the limits; empty when malformed.
std::optional<uint64_t> ParseDurationMs(const std::wstring& text);
// "17:30", "17:30:15", "5:30pm", "5 PM", with the given designators too.
std::optional<TTimeOfDay> ParseClockTime(const std::wstring& text, const TLongTimeFormat& clock = {});

// How long from `nowMs` (the wall clock) until the local clock next shows
// `target`: today, or tomorrow when today's has passed. `toWallClockMs`
// turns a local date and time into the wall clock, the clock's changes
// included, so that a period across one is exact.
uint64_t MsUntil(uint64_t nowMs, TLocalDate today, const TTimeOfDay& target,
                 const std::function<uint64_t(TLocalDate, const TTimeOfDay&)>& toWallClockMs);

// The request as the running copy receives it (WM_COPYDATA, tagged
// kControlTag): a fixed, versioned layout, checked whole on the way in.
constexpr uintptr_t kControlTag = 0x4C4D5643;  // "LMVC"
constexpr size_t kControlRequestSize = 12;
std::array<uint8_t, kControlRequestSize> EncodeRequest(const TControlRequest& request);
std::optional<TControlRequest> DecodeRequest(const void* data, size_t size);

// DeactivatedWhile: held by something that ends by itself, with no end
// known: a call, presenting, a -while job.
enum class TControlState : uint8_t { Active = 0, Deactivated = 1, DeactivatedFor = 2, DeactivatedWhile = 3 };
enum class TWhileCause : uint8_t { None = 0, Call = 1, Presenting = 2, Job = 3 };
struct TControlReply {
    TControlState State = TControlState::Active;
    bool ScreenSaverActive = false, PowerOffActive = false;
    uint64_t UntilMs = 0;  // the end of a period, on the wall clock (ms)
    // Off because its time-out is "never" (a plan at never), not by its flag.
    bool ScreenSaverNever = false, PowerOffNever = false;
    TWhileCause While = TWhileCause::None;  // with DeactivatedWhile, in place of the end
    bool operator==(const TControlReply&) const = default;
};
// The answer travels as the message's result: never 0, which is what a
// refused or lost request gives, nor kBusyReply.
uint64_t EncodeReply(const TControlReply& reply);
// A copy that cannot take a request yet (starting, showing a message at its
// start, inside a command that reads messages): the sender asks again.
constexpr uint64_t kBusyReply = 2;
// An administrator's policy does not allow the request: nothing changed.
constexpr uint64_t kNotAllowedReply = 4;
// -while: the copy holds kMaxWhileHolds processes already.
constexpr uint64_t kTooManyHoldsReply = 6;
std::optional<TControlReply> DecodeReply(uint64_t value);

// "deactivated until 5:30:00 PM (screen saver: disabled, monitor power-off: never)":
// plain and stable, for scripts; each item is enabled, disabled or never. The end is written as the window writes it
// (`end` in the user's long time format), with " tomorrow" when it falls on
// the day after `today` and " on 2026-03-02" when on any other day.
std::wstring StatusLine(const TControlReply& reply, const TLongTimeFormat& format, const TLocalTime& end,
                        const TLocalDate& today);
int ExitCodeOf(const TControlReply& reply);

extern const wchar_t* const kUsageText;

// Where a start's words can go, as the system answers; PrintTo decides.
class IConsoleOutput {
public:
    virtual ~IConsoleOutput() = default;
    // The handle the caller gave for output or errors, when it can be written.
    virtual bool UseStdHandle(bool error) = 0;
    // The console of the process that started this one, attached and opened.
    virtual bool UseParentConsole() = 0;
    // Whole lines, to the handle or console in use.
    virtual void Write(const std::wstring& lines) = 0;
    virtual void Box(const std::wstring& text, bool error) = 0;
};
// A redirected handle first, else the starter's console, else (an error or
// the usage only) a box; each line ends in CR LF, as consoles and scripts read it.
void PrintTo(IConsoleOutput& output, const std::wstring& text, bool error);

}  // namespace lumivane
