#pragma once
// The per-user key/value store (the registry under HKEY_CURRENT_USER) behind
// a narrow seam, and TRegistryDefault, its accessor whose reads never fail.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumivane {

using TRegKey = uintptr_t;  // an open key; 0 for none
constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4;
constexpr uint32_t kKeyRead = 0x20019, kKeyAllAccess = 0xF003F;
// The longest value the program reads: its longest list whole (256 program
// names of 255 characters, each with its zero, and the list's own zero, as
// UTF-16). A longer value is not one of ours, and reads as none.
constexpr uint32_t kValueBytesMax = (256 * (255 + 1) + 1) * 2;

// One call each of the registry's own operations, under HKEY_CURRENT_USER.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens (or, with `create`, opens or creates) the key; false on failure.
    virtual bool OpenKey(const std::wstring& path, bool create, uint32_t access, TRegKey& key) = 0;
    // The value's type and bytes; false when it cannot be read.
    virtual bool QueryValue(TRegKey key, const std::wstring& name, uint32_t& type,
                            std::vector<uint8_t>& data) = 0;
    virtual bool SetValue(TRegKey key, const std::wstring& name, uint32_t type,
                          const std::vector<uint8_t>& data) = 0;
    virtual bool DeleteValue(TRegKey key, const std::wstring& name) = 0;
    // The names of the key's values, in no particular order.
    virtual std::vector<std::wstring> ValueNames(TRegKey key) = 0;
    virtual void CloseKey(TRegKey key) = 0;
    // Writes the key's hive to the disk now, rather than some time later.
    virtual bool FlushKey(TRegKey key) = 0;
};

// A value that could not be written.
class TRegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistryDefault {
public:
    explicit TRegistryDefault(IRegistry& registry, uint32_t access = kKeyAllAccess)
        : FRegistry(registry), FAccess(access) {}
    ~TRegistryDefault() { CloseKey(); }
    TRegistryDefault(const TRegistryDefault&) = delete;
    TRegistryDefault& operator=(const TRegistryDefault&) = delete;

    bool OpenKey(const std::wstring& path, bool canCreate);
    void CloseKey();

    // A REG_DWORD of exactly four bytes, or the default: never a failure.
    bool ReadBool(const std::wstring& name, bool fallback) const;
    int32_t ReadInteger(const std::wstring& name, int32_t fallback) const;
    // A REG_SZ value; false when there is none.
    bool ReadString(const std::wstring& name, std::wstring& value) const;
    // A REG_BINARY value's bytes; false when there is none.
    bool ReadBinary(const std::wstring& name, std::vector<uint8_t>& data) const;

    // Throw TRegistryError when the value cannot be written.
    void WriteBool(const std::wstring& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteInteger(const std::wstring& name, int32_t value);
    void WriteString(const std::wstring& name, const std::wstring& value);
    bool DeleteValue(const std::wstring& name);
    std::vector<std::wstring> ValueNames() const;
    // The open key's hive on the disk; it holds every change to it until done.
    bool Flush() { return FKey && FRegistry.FlushKey(FKey); }

private:
    bool ReadDword(const std::wstring& name, uint32_t& value) const;
    IRegistry& FRegistry;
    uint32_t FAccess;
    TRegKey FKey = 0;
};

}  // namespace lumivane
