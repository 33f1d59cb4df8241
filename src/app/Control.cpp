#include "app/Control.h"

#include <cwchar>
#include <initializer_list>
#include <iterator>

#include "app/Application.h"

namespace lumivane {

const wchar_t* const kUsageText =
    L"Usage: Lumivane [-quiet] [-screensaver] [-poweroff]\n"
    L"       Lumivane -activate | -deactivate | -deactivate-for DURATION | -deactivate-until TIME\n"
    L"                | -restore | -toggle | -status | -exit | -recover | -help\n"
    L"       Lumivane -while PROGRAM [ARGUMENTS]  |  -while-pid ID\n"
    L"  DURATION  90 (minutes), 90m, 1h30m, 2h, 300s: from 1 minute to 24 hours\n"
    L"  TIME      17:30 or 5:30pm: today, or tomorrow when today's has passed\n"
    L"  -recover  puts back what this user's lost runs left changed, then ends; nothing while\n"
    L"            Lumivane runs\n"
    L"  -while    runs the program and keeps Lumivane deactivated until it ends; -while-pid\n"
    L"            until the process with that id ends\n"
    L"Exit codes: 0 active or done, 1 deactivated, 2 deactivated for a period, 3 not running,\n"
    L"            4 no answer (busy, or not ended after -exit), 5 refused,\n"
    L"            6 not allowed by your administrator, 7 something could not be put back,\n"
    L"            8 Lumivane runs with administrator rights, 64 bad command line\n"
    L"  -while returns the program's exit code (-while-pid 0); if the program never started:\n"
    L"            125 Lumivane failed (not running, not allowed, refused), 126 cannot run, 127 not found\n";

namespace {

enum class TArgument { None, Duration, Time };
struct TSwitch {
    const wchar_t* Name;
    TControlVerb Verb;
    TArgument Argument;
};
constexpr TSwitch kSwitches[] = {
    {L"activate", TControlVerb::Activate, TArgument::None},
    {L"deactivate", TControlVerb::Deactivate, TArgument::None},
    {L"deactivate-for", TControlVerb::DeactivateFor, TArgument::Duration},
    {L"deactivate-until", TControlVerb::DeactivateUntil, TArgument::Time},
    {L"restore", TControlVerb::Restore, TArgument::None},
    {L"toggle", TControlVerb::Toggle, TArgument::None},
    {L"status", TControlVerb::Status, TArgument::None},
    {L"exit", TControlVerb::Exit, TArgument::None},
    {L"recover", TControlVerb::Recover, TArgument::None},
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads up to `most` digits at `i`; false when there is none.
bool ReadNumber(const std::wstring& text, size_t& i, size_t most, uint64_t& value) {
    const size_t start = i;
    value = 0;
    while (i < text.size() && IsDigit(text[i]) && i - start < most) value = value * 10 + (text[i++] - L'0');
    return i > start && !(i < text.size() && IsDigit(text[i]));
}

}  // namespace

std::optional<uint64_t> ParseDurationMs(const std::wstring& text) {
    size_t i = 0;
    uint64_t value = 0;
    // A bare number counts minutes.
    if (ReadNumber(text, i, 6, value) && i == text.size()) return value * 60'000;
    constexpr uint64_t kUnitMs[] = {3'600'000, 60'000, 1'000};
    uint64_t total = 0;
    int last = -1;  // h, m and s at most once each, in that order
    for (i = 0; i < text.size();) {
        if (!ReadNumber(text, i, 6, value) || i == text.size()) return std::nullopt;
        const std::wstring unit = LowerAscii(text.substr(i++, 1));
        const int k = unit == L"h" ? 0 : unit == L"m" ? 1 : unit == L"s" ? 2 : -1;
        if (k <= last) return std::nullopt;
        last = k;
        total += value * kUnitMs[k];
    }
    return i == 0 ? std::nullopt : std::optional<uint64_t>(total);
}

std::optional<TTimeOfDay> ParseClockTime(const std::wstring& text, const TLongTimeFormat& clock) {
    size_t i = 0;
    uint64_t hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, i, 2, hour)) return std::nullopt;
    bool minutes = false;
    if (i < text.size() && text[i] == L':') {
        const size_t at = ++i;
        if (!ReadNumber(text, i, 2, minute) || i - at != 2 || minute > 59) return std::nullopt;
        minutes = true;
        if (i < text.size() && text[i] == L':') {
            const size_t s = ++i;
            if (!ReadNumber(text, i, 2, second) || i - s != 2 || second > 59) return std::nullopt;
        }
    }
    while (i < text.size() && text[i] == L' ') ++i;
    const std::wstring designator = LowerAscii(text.substr(i));
    auto is = [&](std::initializer_list<const wchar_t*> forms, const std::wstring& locale) {
        for (const wchar_t* f : forms)
            if (designator == f) return true;
        return !locale.empty() && designator == LowerAscii(locale);
    };
    if (designator.empty()) {
        // The 24-hour form needs its minutes: "17" alone says too little.
        if (!minutes || hour > 23) return std::nullopt;
    } else {
        const bool am = is({L"am", L"a.m.", L"a"}, clock.AM);
        const bool pm = !am && is({L"pm", L"p.m.", L"p"}, clock.PM);
        if ((!am && !pm) || hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return TTimeOfDay{static_cast<int>(hour), static_cast<int>(minute), static_cast<int>(second), 0};
}

uint64_t MsUntil(uint64_t nowMs, TLocalDate today, const TTimeOfDay& target,
                 const std::function<uint64_t(TLocalDate, const TTimeOfDay&)>& toWallClockMs) {
    const TTimeOfDay at{target.Hour, target.Minute, target.Second, 0};
    uint64_t end = toWallClockMs(today, at);
    if (end <= nowMs) end = toWallClockMs(NextDay(today), at);
    return end > nowMs ? end - nowMs : 0;
}

TCommandLine ParseCommandLine(const std::vector<std::wstring>& args, const TLongTimeFormat& clock) {
    TCommandLine result;
    result.Quiet = !args.empty() && LowerAscii(args.front()) == L"-quiet";
    for (size_t i = 0; i < args.size() && result.Error.empty(); ++i) {
        const std::wstring lower = LowerAscii(args[i]);
        if (lower == L"-screensaver") result.Commands.push_back(TCommandLineCommand::ScreenSaver);
        if (lower == L"-poweroff") result.Commands.push_back(TCommandLineCommand::PowerOff);
        if (lower.size() < 2 || (lower[0] != L'-' && lower[0] != L'/')) continue;  // not a switch
        const std::wstring name = lower.substr(1);
        // The start switches, "-quiet" after the first place and their forms
        // with "/" change nothing, as they never did.
        if (name == L"quiet" || name == L"screensaver" || name == L"poweroff") continue;
        if (name == L"help" || name == L"?") {
            result.Help = true;
            continue;
        }
        const TSwitch* found = nullptr;
        for (const TSwitch& s : kSwitches)
            if (name == s.Name) found = &s;
        if (!found) {
            result.Error = L"Unknown switch: " + args[i];
        } else if (result.Control) {
            result.Error = L"One command at a time: " + args[i];
        } else if (found->Argument != TArgument::None && i + 1 == args.size()) {
            result.Error = (found->Argument == TArgument::Duration ? L"A duration must follow " : L"A time must follow ") +
                           args[i];
        } else {
            result.Control = found->Verb;
            if (found->Argument == TArgument::Duration) {
                const std::wstring& value = args[++i];
                const auto ms = ParseDurationMs(value);
                if (!ms)
                    result.Error = L"Not a duration: " + value;
                else if (*ms < kMinPeriodMs || *ms > kMaxPeriodMs)
                    result.Error = L"Out of range (1 minute to 24 hours): " + value;
                else
                    result.PeriodMs = static_cast<uint32_t>(*ms);
            } else if (found->Argument == TArgument::Time) {
                const std::wstring& value = args[++i];
                result.Until = ParseClockTime(value, clock);
                if (!result.Until) result.Error = L"Not a time of day: " + value;
            }
        }
    }
    if (result.Error.empty() && result.Control && !result.Commands.empty())
        result.Error = L"-screensaver and -poweroff do not go with another command";
    return result;
}

TWhileCall ParseWhile(const std::vector<std::wstring>& args) {
    TWhileCall call;
    const std::wstring first = args.empty() ? L"" : LowerAscii(args[0]);
    call.Present = first == L"-while" || first == L"/while" || first == L"-while-pid" || first == L"/while-pid";
    if (!call.Present) return call;
    if (first.ends_with(L"-pid")) {
        size_t at = 0;
        uint64_t id = 0;
        if (args.size() != 2 || !ReadNumber(args[1], at, 10, id) || at != args[1].size() || id == 0 || id > UINT32_MAX)
            call.Error = args.size() == 2 ? L"Not a process id: " + args[1] : L"-while-pid takes one process id";
        else
            call.ProcessId = static_cast<uint32_t>(id);
    } else if (args.size() < 2 || args[1].empty()) {
        call.Error = L"A program must follow -while";
    } else {
        call.Job.assign(args.begin() + 1, args.end());
    }
    return call;
}

std::wstring JoinArguments(const std::vector<std::wstring>& args) {
    std::wstring line;
    for (const std::wstring& arg : args) {
        if (!line.empty()) line += L' ';
        if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
            line += arg;
            continue;
        }
        // Backslashes count only before a quote: doubled there, and before the closing one.
        line += L'"';
        size_t backslashes = 0;
        for (wchar_t c : arg) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, L'\\');
        line += L'"';
    }
    return line;
}

TJobStart JobStart(const std::wstring& program, const std::vector<std::wstring>& arguments,
                   const std::wstring& interpreter) {
    const std::wstring line = JoinArguments({program}) + (arguments.empty() ? L"" : L" " + JoinArguments(arguments));
    const size_t dot = program.find_last_of(L"."), folder = program.find_last_of(L"\\/");
    const std::wstring extension =
        dot == std::wstring::npos || (folder != std::wstring::npos && dot < folder) ? L"" : LowerAscii(program.substr(dot));
    if (extension != L".cmd" && extension != L".bat") return {program, line};
    // /s: the interpreter takes the line between the first and the last quote as it stands.
    return {interpreter, L"\"" + interpreter + L"\" /d /s /c \"" + line + L"\""};
}

TSetupPathCall ParseSetupPath(const std::vector<std::wstring>& args) {
    TSetupPathCall call;
    call.Present = !args.empty() && (LowerAscii(args[0]) == L"-setup-path" || LowerAscii(args[0]) == L"/setup-path");
    if (!call.Present) return call;
    const std::wstring action = args.size() == 2 || args.size() == 3 ? LowerAscii(args[1]) : L"";
    const std::wstring record = args.size() == 3 ? args[2] : L"";
    if ((action == L"add" || action == L"remove") && (record.empty() || record == L"0" || record == L"1")) {
        call.Change = action == L"add" ? TPathChange::Add : TPathChange::Remove;
        call.AddedBySetup = record == L"1";
    } else {
        call.Error = L"-setup-path is the setup program's step: Lumivane -setup-path add | remove [1 | 0], nothing more";
    }
    return call;
}

TSetupStepCall ParseSetupStep(const std::vector<std::wstring>& args) {
    using S = TSetupStepCall::TStep;
    TSetupStepCall call;
    const std::wstring name = args.empty() ? L"" : LowerAscii(args[0]);
    if (name == L"-setup-folder" || name == L"/setup-folder") {
        call.Step = S::Folder;
        if (args.size() == 2 && !args[1].empty()) call.Folder = args[1];
        else call.Error = L"-setup-folder is the setup program's step: Lumivane -setup-folder FOLDER, nothing more";
    } else if (name == L"-setup-startup" || name == L"/setup-startup") {
        call.Step = S::RemoveStartup;
        if (args.size() != 2 || LowerAscii(args[1]) != L"remove")
            call.Error = L"-setup-startup is the setup program's step: Lumivane -setup-startup remove, nothing more";
    }
    return call;
}

std::wstring SetupFolderDescriptor(const std::wstring& userSid) {
    // "P": nothing inherited from the parent; OICI: the files and folders
    // made inside get the same entries.
    return L"O:" + userSid + L"D:P(A;OICI;FA;;;" + userSid + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
}

bool TrustedSetupFolderOwner(const std::wstring& owner, const std::wstring& userSid) {
    return !owner.empty() && (owner == userSid || owner == L"S-1-5-18" || owner == L"S-1-5-32-544");
}

namespace {
constexpr uint8_t kMagic[4] = {'L', 'M', 'V', 'C'};
constexpr uint16_t kVersion = 1;

void Put(uint8_t* at, uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) at[k] = static_cast<uint8_t>(value >> (8 * k));
}
uint32_t Get(const uint8_t* at, int bytes) {
    uint32_t value = 0;
    for (int k = 0; k < bytes; ++k) value |= static_cast<uint32_t>(at[k]) << (8 * k);
    return value;
}
}  // namespace

std::array<uint8_t, kControlRequestSize> EncodeRequest(const TControlRequest& request) {
    std::array<uint8_t, kControlRequestSize> bytes{};
    for (int k = 0; k < 4; ++k) bytes[k] = kMagic[k];
    Put(&bytes[4], kVersion, 2);
    Put(&bytes[6], static_cast<uint16_t>(request.Verb), 2);
    Put(&bytes[8], request.Ms, 4);
    return bytes;
}

std::optional<TControlRequest> DecodeRequest(const void* data, size_t size) {
    if (!data || size != kControlRequestSize) return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int k = 0; k < 4; ++k)
        if (bytes[k] != kMagic[k]) return std::nullopt;
    if (Get(&bytes[4], 2) != kVersion) return std::nullopt;
    const uint32_t verb = Get(&bytes[6], 2), ms = Get(&bytes[8], 4);
    if (verb < static_cast<uint32_t>(TControlVerb::Activate) ||
        (verb > static_cast<uint32_t>(TControlVerb::PowerOff) && verb != static_cast<uint32_t>(TControlVerb::WhileProcess)))
        return std::nullopt;
    const TControlRequest request{static_cast<TControlVerb>(verb), ms};
    switch (request.Verb) {
    case TControlVerb::DeactivateFor:
        if (ms < kMinPeriodMs || ms > kMaxPeriodMs) return std::nullopt;
        break;
    case TControlVerb::DeactivateUntil:
        if (ms == 0 || ms > kMaxUntilMs) return std::nullopt;
        break;
    case TControlVerb::WhileProcess:
        if (ms == 0) return std::nullopt;  // the system's idle process
        break;
    default:
        if (ms != 0) return std::nullopt;
    }
    return request;
}

uint64_t EncodeReply(const TControlReply& reply) {
    return 1 | static_cast<uint64_t>(reply.State) << 1 | static_cast<uint64_t>(reply.ScreenSaverActive) << 3 |
           static_cast<uint64_t>(reply.PowerOffActive) << 4 | static_cast<uint64_t>(reply.ScreenSaverNever) << 5 |
           static_cast<uint64_t>(reply.PowerOffNever) << 6 |
           (reply.State == TControlState::DeactivatedWhile ? static_cast<uint64_t>(reply.While) : reply.UntilMs / 1000)
               << 8;
}

std::optional<TControlReply> DecodeReply(uint64_t value) {
    const uint64_t state = (value >> 1) & 3;
    // The end is whole seconds of the wall clock: a count that cannot be
    // said in ms is no answer of ours.
    if (!(value & 1) || (value & 0x80) || (value >> 8) > UINT64_MAX / 1000) return std::nullopt;
    const auto bit = [value](int at) { return ((value >> at) & 1) != 0; };
    // Held by a call, presenting or a job: what holds, in place of the end.
    const bool held = state == static_cast<uint64_t>(TControlState::DeactivatedWhile);
    const uint64_t why = value >> 8;
    if (held && (why < 1 || why > static_cast<uint64_t>(TWhileCause::Job))) return std::nullopt;
    return TControlReply{static_cast<TControlState>(state), bit(3),      bit(4),
                         held ? 0 : why * 1000,             bit(5),      bit(6),
                         held ? static_cast<TWhileCause>(why) : TWhileCause::None};
}

std::wstring StatusLine(const TControlReply& reply, const TLongTimeFormat& format, const TLocalTime& end,
                        const TLocalDate& today) {
    auto word = [](bool on, bool never) { return on ? L"enabled" : never ? L"never" : L"disabled"; };
    std::wstring head = reply.State == TControlState::Active ? L"active" : L"deactivated";
    if (reply.State == TControlState::DeactivatedWhile)
        head += reply.While == TWhileCause::Call         ? L" during a call"
                : reply.While == TWhileCause::Presenting ? L" while presenting"
                                                         : L" while a program runs";
    if (reply.State == TControlState::DeactivatedFor) {
        head += L" until " + FormatTime(format, end.Time);
        // The day in a form that reads the same in every locale: scripts parse it.
        if (end.Date == NextDay(today)) {
            head += L" tomorrow";
        } else if (!(end.Date == today)) {
            wchar_t date[16];
            std::swprintf(date, std::size(date), L" on %04d-%02d-%02d", end.Date.Year, end.Date.Month, end.Date.Day);
            head += date;
        }
    }
    return head + L" (screen saver: " + word(reply.ScreenSaverActive, reply.ScreenSaverNever) +
           L", monitor power-off: " + word(reply.PowerOffActive, reply.PowerOffNever) + L")";
}

int ExitCodeOf(const TControlReply& reply) {
    switch (reply.State) {
    case TControlState::Deactivated: return kExitDeactivated;
    case TControlState::DeactivatedFor:
    case TControlState::DeactivatedWhile: return kExitDeactivatedFor;
    case TControlState::Active: break;
    }
    return kExitActive;
}

void PrintTo(IConsoleOutput& output, const std::wstring& text, bool error) {
    // A program of the window subsystem has no console of its own: its
    // output goes where the caller redirected it, else to the console it
    // was started from.
    if (!output.UseStdHandle(error) && !output.UseParentConsole()) {
        // Started from a shortcut or the Run box: what went wrong, or the
        // usage asked for, in a box; a status line goes nowhere.
        if (error || text == kUsageText) output.Box(text, error);
        return;
    }
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    if (lines.empty() || lines.back() != L'\n') lines += L"\r\n";
    output.Write(lines);
}

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Past the program's name and the blanks after it.
size_t AfterProgramName(std::wstring_view line) {
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring_view::npos ? line.size() : at + 1;
    } else {
        while (at < line.size() && !IsBlank(line[at])) ++at;
    }
    while (at < line.size() && IsBlank(line[at])) ++at;
    return at;
}

}  // namespace

std::vector<std::wstring> CommandLineArguments(std::wstring_view line) {
    std::vector<std::wstring> args;
    std::wstring word;
    bool inWord = false;
    int quotes = 0;  // 1: inside quotes
    for (size_t at = AfterProgramName(line); at < line.size();) {
        if (IsBlank(line[at]) && quotes == 0) {
            if (inWord) args.push_back(std::move(word));
            word.clear();
            inWord = false;
            quotes = 0;
            ++at;
            continue;
        }
        inWord = true;
        size_t slashes = 0;
        while (at < line.size() && line[at] == L'\\') ++slashes, ++at;
        if (at == line.size() || line[at] != L'"') {
            word.append(slashes, L'\\');
            if (slashes == 0) word += line[at++];
            continue;
        }
        word.append(slashes / 2, L'\\');
        ++at;
        if (slashes % 2 == 1) {
            word += L'"';
            continue;
        }
        ++quotes;
        for (; at < line.size() && line[at] == L'"'; ++at)
            if (++quotes == 3) word += L'"', quotes = 0;
        if (quotes == 2) quotes = 0;
    }
    if (inWord) args.push_back(std::move(word));
    return args;
}

}  // namespace lumivane
