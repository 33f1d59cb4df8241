// The restore journal's text: what a lost run, an earlier version or a hand
// edit left in the registry is read whole or not at all.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "config/RestoreJournal.h"

namespace lumivane {

namespace {

// Journal v2's permanence: any change of the run, and the run's last plan
// change; v3 keeps the second with each plan.
constexpr uint64_t kAnyPermanent = 1, kPlanPermanent = 2;

std::wstring Text(const TDisplayPowerConfiguration& c) {
    return std::to_wstring(c.ScreenSaverSetting.Active ? 1 : 0) + L',' + std::to_wstring(c.ScreenSaverSetting.Timeout) +
           L',' + std::to_wstring(c.PowerOffSetting.Active ? 1 : 0) + L',' + std::to_wstring(c.PowerOffSetting.Timeout);
}

std::wstring Hex(const TPlanId& plan) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (const uint8_t b : plan) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

// Splits exactly: two separators in a row give an empty part.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// An unsigned decimal number of digits only, at most `max`.
bool Number(const std::wstring& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        const auto digit = static_cast<uint64_t>(c - L'0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return value <= max;
}

// `count` numbers separated by commas, each at most its maximum.
template <size_t N>
bool Numbers(const std::wstring& text, const uint64_t (&max)[N], uint64_t (&values)[N]) {
    const std::vector<std::wstring> parts = Split(text, L',');
    if (parts.size() != N) return false;
    for (size_t i = 0; i < N; ++i)
        if (!Number(parts[i], max[i], values[i])) return false;
    return true;
}

bool ReadConfiguration(const std::wstring& text, TDisplayPowerConfiguration& c) {
    uint64_t v[4] = {};
    if (!Numbers(text, {1, INT32_MAX, 1, INT32_MAX}, v)) return false;
    c = {{v[0] == 1, static_cast<int32_t>(v[1])}, {v[2] == 1, static_cast<int32_t>(v[3])}};
    return true;
}

bool ReadPlanValues(const std::wstring& text, TPlanSnapshot& snapshot) {
    uint64_t v[2] = {};
    if (!Numbers(text, {UINT32_MAX, UINT32_MAX}, v)) return false;
    snapshot.Ac = static_cast<uint32_t>(v[0]);
    snapshot.Dc = static_cast<uint32_t>(v[1]);
    return true;
}

bool ReadPlanId(const std::wstring& text, TPlanId& plan) {
    if (text.size() != 2 * plan.size()) return false;
    auto nibble = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
    };
    for (size_t i = 0; i < plan.size(); ++i) {
        const int high = nibble(text[2 * i]), low = nibble(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        plan[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

}  // namespace

std::wstring EncodeJournal(const TJournal& j) {
    // The v2 form while at most one plan is involved, as earlier versions
    // wrote and read it; v3 for several; v4 while a first write is under
    // way, which only a version that knows what that means may recover.
    const bool pending = std::any_of(j.Plans.begin(), j.Plans.end(), [](const TPlanChange& c) { return c.Pending; });
    const bool several = j.Plans.size() > 1 || pending;
    const bool planPermanent = !several && j.Plans.size() == 1 && j.Plans[0].Permanent;
    const uint64_t permanent = (j.Permanent ? kAnyPermanent : 0) | (planPermanent ? kPlanPermanent : 0);
    std::wstring text = std::wstring(pending ? L"v4 " : several ? L"v3 " : L"v2 ") + std::to_wstring(j.ProcessId) +
                        L' ' + std::to_wstring(j.ProcessStart) + L' ' + std::to_wstring(permanent) + L' ' +
                        Text(j.Initial) + L' ' + Text(j.Last);
    for (const TPlanChange& c : j.Plans) {
        text += L' ' + Hex(c.Initial.Plan) + L' ' + std::to_wstring(c.Initial.Ac) + L',' +
                std::to_wstring(c.Initial.Dc) + L' ' + std::to_wstring(c.Last.Ac) + L',' + std::to_wstring(c.Last.Dc);
        if (several) text += c.Pending ? L" 2" : c.Permanent ? L" 1" : L" 0";
    }
    return text;
}

std::optional<TJournal> DecodeJournal(const std::wstring& text) {
    // v1: version, pid, start, permanent, initial, last.
    // v2: the same, then optionally the plan, its user's values and the run's last.
    // v3: the same, then two plans or more, each followed by its own permanence.
    // v4: the same, one plan or more, each 0 temporary, 1 permanent or 2 pending.
    const std::vector<std::wstring> parts = Split(text, L' ');
    TJournal j;
    if (parts[0] == L"v1" && parts.size() == 6)
        j.Version = 1;
    else if (parts[0] == L"v3" && parts.size() >= 14 && (parts.size() - 6) % 4 == 0)
        j.Version = 3;
    else if (parts[0] == L"v4" && parts.size() >= 10 && (parts.size() - 6) % 4 == 0)
        j.Version = 4;
    else if (parts[0] != L"v2" || (parts.size() != 6 && parts.size() != 9))
        return std::nullopt;
    const uint64_t maxPermanent = j.Version == 2 ? kAnyPermanent | kPlanPermanent : kAnyPermanent;
    const uint64_t maxOwn = j.Version == 4 ? 2 : 1;
    uint64_t pid = 0, permanent = 0;
    if (!Number(parts[1], UINT32_MAX, pid) || !Number(parts[2], UINT64_MAX, j.ProcessStart) ||
        !Number(parts[3], maxPermanent, permanent) || !ReadConfiguration(parts[4], j.Initial) ||
        !ReadConfiguration(parts[5], j.Last))
        return std::nullopt;
    j.ProcessId = static_cast<uint32_t>(pid);
    j.Permanent = (permanent & kAnyPermanent) != 0;
    const size_t step = j.Version >= 3 ? 4 : 3;
    for (size_t i = 6; i < parts.size(); i += step) {
        TPlanChange c;
        uint64_t own = (permanent & kPlanPermanent) ? 1 : 0;
        if (!ReadPlanId(parts[i], c.Initial.Plan) || !ReadPlanValues(parts[i + 1], c.Initial) ||
            !ReadPlanValues(parts[i + 2], c.Last) || (step == 4 && !Number(parts[i + 3], maxOwn, own)))
            return std::nullopt;
        c.Last.Plan = c.Initial.Plan;
        c.Permanent = own == 1;
        c.Pending = own == 2;
        j.Plans.push_back(c);
    }
    // v4 is written only while a first write is under way.
    if (j.Version == 4 && std::none_of(j.Plans.begin(), j.Plans.end(), [](const TPlanChange& c) { return c.Pending; }))
        return std::nullopt;
    return j;
}

}  // namespace lumivane
