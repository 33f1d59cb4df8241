#include "sources/Triggers.h"

#include <algorithm>

#include "base/NameCase.h"

namespace lumivane {

const wchar_t* const kFullScreenCause = L"a program is full screen";
const wchar_t* const kScheduleCause = L"scheduled";
const wchar_t* const kCallCause = L"a call";
const wchar_t* const kPresentingCause = L"presenting";

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view FileNamePart(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) path.remove_prefix(slash + 1);
    while (!path.empty() && IsBlank(path.front())) path.remove_prefix(1);
    while (!path.empty() && IsBlank(path.back())) path.remove_suffix(1);
    return path;
}

// As a program is started by name: without a dot the name is an ".exe".
std::wstring WithExtension(std::wstring_view name) {
    std::wstring full(name);
    if (full.find(L'.') == std::wstring::npos) full += L".exe";
    return full;
}

}  // namespace

std::wstring ProgramFileName(std::wstring_view pathOrName) { return std::wstring(FileNamePart(pathOrName)); }

bool SameProgram(std::wstring_view image, std::wstring_view listed) {
    const std::wstring_view name = FileNamePart(listed), file = FileNamePart(image);
    return !name.empty() && (SameName(file, name) || SameName(file, WithExtension(name)));
}

TProgramMatcher::TProgramMatcher(const std::vector<std::wstring>& listed) {
    for (const auto& name : listed) {
        const std::wstring_view file = FileNamePart(name);
        if (file.empty()) continue;
        std::wstring folded;
        UpperCaseName(file, folded);
        FNames.insert(folded);
        UpperCaseName(WithExtension(file), folded);
        FNames.insert(std::move(folded));
    }
}

std::map<uint32_t, std::wstring> TProgramMatcher::Match(const std::vector<TRunningProcess>& running) const {
    std::map<uint32_t, std::wstring> matched;
    if (FNames.empty()) return matched;
    std::wstring folded;
    for (const auto& process : running) {
        const std::wstring_view name = FileNamePart(process.Name);
        UpperCaseName(name, folded);
        if (FNames.count(folded)) matched.emplace(process.Id, std::wstring(name));
    }
    return matched;
}

std::vector<std::wstring> CleanProgramList(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> list;
    for (const auto& entry : names) {
        const std::wstring name = ProgramFileName(entry);
        if (name.empty() || name.size() > kProgramNameMax) continue;
        // "notepad" and "notepad.exe" are one program: the first as typed stays.
        if (std::any_of(list.begin(), list.end(),
                        [&](const auto& kept) { return SameName(WithExtension(kept), WithExtension(name)); }))
            continue;
        if (list.size() == kProgramsMax) break;
        list.push_back(name);
    }
    return list;
}

std::optional<std::vector<std::wstring>> DecodeMultiString(const std::vector<uint8_t>& bytes) {
    if (bytes.size() % 2) return std::nullopt;
    std::vector<std::wstring> strings;
    std::wstring current;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8);
        if (c != 0) {
            current += c;
            continue;
        }
        if (current.empty()) return strings;  // the list's own end
        strings.push_back(std::move(current));
        current.clear();
    }
    // Without the list's closing zero the strings still count; a string
    // without its own does not.
    if (!current.empty()) return std::nullopt;
    return strings;
}

std::vector<uint8_t> EncodeMultiString(const std::vector<std::wstring>& strings) {
    std::vector<uint8_t> bytes;
    auto put = [&bytes](wchar_t c) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    };
    for (const auto& s : strings) {
        for (wchar_t c : s) put(c);
        put(0);
    }
    put(0);
    return bytes;
}

std::wstring TriggerCause(const TTriggerSettings& settings, const TTriggerObservations& seen) {
    // The user's own command for a job holds whatever the boxes say.
    if (!seen.Jobs.empty()) return seen.Jobs.begin()->second;
    if (settings.OnlyOnMains && !seen.OnMains) return {};
    // The listed program with the lowest process id.
    for (const auto& program : seen.Programs)
        if (std::any_of(settings.Programs.begin(), settings.Programs.end(),
                        [&](const auto& listed) { return SameProgram(program.second, listed); }))
            return program.second;
    if (settings.FullScreen && seen.FullScreen) return kFullScreenCause;
    if (settings.WhileCall && seen.InCall) return kCallCause;
    if (Presenting(settings.WhilePresenting, seen.Displays)) return kPresentingCause;
    if (seen.Scheduled) return kScheduleCause;
    return {};
}

std::wstring CauseText(const std::wstring& cause, size_t nameMax) {
    if (cause == kCallCause) return L"during " + cause;
    if (cause == kFullScreenCause || cause == kScheduleCause || cause == kPresentingCause) return L"while " + cause;
    if (cause.size() <= nameMax || nameMax == 0) return L"while " + cause + L" runs";
    return L"while " + cause.substr(0, nameMax - 1) + L"\u2026 runs";
}

}  // namespace lumivane
