#include "base/RegistryDefault.h"

#include <utility>

namespace lumivane {

bool TRegistryDefault::OpenKey(const std::wstring& path, bool canCreate) {
    CloseKey();
    return FRegistry.OpenKey(path, canCreate, FAccess, FKey);
}

void TRegistryDefault::CloseKey() {
    if (FKey) FRegistry.CloseKey(FKey);
    FKey = 0;
}

bool TRegistryDefault::ReadDword(const std::wstring& name, uint32_t& value) const {
    if (!FKey) return false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    // A hand-edited value of another size is not a number: its default.
    if (!FRegistry.QueryValue(FKey, name, type, data) || type != kRegDword || data.size() != 4) return false;
    value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
            static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    return true;
}

bool TRegistryDefault::ReadBool(const std::wstring& name, bool fallback) const {
    uint32_t value = 0;
    return ReadDword(name, value) ? value != 0 : fallback;
}

int32_t TRegistryDefault::ReadInteger(const std::wstring& name, int32_t fallback) const {
    uint32_t value = 0;
    return ReadDword(name, value) ? static_cast<int32_t>(value) : fallback;
}

bool TRegistryDefault::ReadString(const std::wstring& name, std::wstring& value) const {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!FKey || !FRegistry.QueryValue(FKey, name, type, data) || type != kRegSz) return false;
    value.clear();
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto c = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (c == 0) break;
        value += c;
    }
    return true;
}

bool TRegistryDefault::ReadBinary(const std::wstring& name, std::vector<uint8_t>& data) const {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!FKey || !FRegistry.QueryValue(FKey, name, type, bytes) || type != kRegBinary) return false;
    data = std::move(bytes);
    return true;
}

void TRegistryDefault::WriteInteger(const std::wstring& name, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    const std::vector<uint8_t> data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                       static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    if (!FKey || !FRegistry.SetValue(FKey, name, kRegDword, data))
        throw TRegistryError("Failed to set data for value");
}

void TRegistryDefault::WriteString(const std::wstring& name, const std::wstring& value) {
    // UTF-16 with its terminating zero, as REG_SZ holds it.
    std::vector<uint8_t> data;
    for (wchar_t c : value) {
        data.push_back(static_cast<uint8_t>(c & 0xFF));
        data.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    data.push_back(0);
    data.push_back(0);
    if (!FKey || !FRegistry.SetValue(FKey, name, kRegSz, data)) throw TRegistryError("Failed to set data for value");
}

bool TRegistryDefault::DeleteValue(const std::wstring& name) { return FKey && FRegistry.DeleteValue(FKey, name); }

std::vector<std::wstring> TRegistryDefault::ValueNames() const {
    if (!FKey) return {};
    return FRegistry.ValueNames(FKey);
}

}  // namespace lumivane
