#pragma once
// A per-user store in memory: keys of named values with their type and
// bytes, that can refuse to open a key or to write from a given write on.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/RegistryDefault.h"

namespace lumivane::test {

class TFakeRegistry final : public IRegistry {
public:
    struct TValue {
        uint32_t Type;
        std::vector<uint8_t> Data;
    };
    std::map<std::wstring, std::map<std::wstring, TValue>> Keys;
    std::set<std::wstring> RefusedKeys;  // cannot be opened at all
    int WritesAllowed = 1 << 30;         // writes after this many fail
    int Writes = 0, Opened = 0, Closed = 0;

    bool OpenKey(const std::wstring& path, bool create, uint32_t, TRegKey& key) override {
        if (RefusedKeys.count(path) || (!create && !Keys.count(path))) return false;
        Keys[path];
        FOpen.push_back(path);
        key = FOpen.size();
        ++Opened;
        return true;
    }
    bool QueryValue(TRegKey key, const std::wstring& name, uint32_t& type, std::vector<uint8_t>& data) override {
        auto& values = Keys[FOpen.at(key - 1)];
        const auto it = values.find(name);
        if (it == values.end() || it->second.Data.size() > kValueBytesMax) return false;  // as the real registry
        type = it->second.Type;
        data = it->second.Data;
        return true;
    }
    bool SetValue(TRegKey key, const std::wstring& name, uint32_t type, const std::vector<uint8_t>& data) override {
        if (Writes >= WritesAllowed) return false;
        ++Writes;
        if (Log) Log->push_back(L"set " + name);
        Keys[FOpen.at(key - 1)][name] = {type, data};
        return true;
    }
    bool DeleteValue(TRegKey key, const std::wstring& name) override {
        if (Log) Log->push_back(L"delete " + name);
        return Keys[FOpen.at(key - 1)].erase(name) > 0;
    }
    std::vector<std::wstring> ValueNames(TRegKey key) override {
        std::vector<std::wstring> names;
        for (const auto& [name, value] : Keys[FOpen.at(key - 1)]) names.push_back(name);
        return names;
    }
    void CloseKey(TRegKey) override { ++Closed; }
    bool FlushKey(TRegKey key) override {
        if (Log) Log->push_back(L"flush " + FOpen.at(key - 1));  // the whole hive, in truth
        return true;
    }
    std::vector<std::wstring>* Log = nullptr;  // flushes, in order with what else a test logs

    // Test helpers.
    void PutDword(const std::wstring& path, const std::wstring& name, uint32_t v, size_t bytes = 4) {
        std::vector<uint8_t> data;
        for (size_t i = 0; i < bytes; ++i) data.push_back(i < 4 ? static_cast<uint8_t>(v >> (8 * i)) : 0);
        Keys[path][name] = {kRegDword, data};
    }
    bool Has(const std::wstring& path, const std::wstring& name) const {
        const auto k = Keys.find(path);
        return k != Keys.end() && k->second.count(name);
    }
    int32_t Dword(const std::wstring& path, const std::wstring& name) const {
        const auto& d = Keys.at(path).at(name).Data;
        return static_cast<int32_t>(d[0] | d[1] << 8 | d[2] << 16 | static_cast<uint32_t>(d[3]) << 24);
    }
    std::wstring String(const std::wstring& path, const std::wstring& name) const {
        const auto& d = Keys.at(path).at(name).Data;
        std::wstring s;
        for (size_t i = 0; i + 1 < d.size(); i += 2) s += static_cast<wchar_t>(d[i] | d[i + 1] << 8);
        if (!s.empty() && s.back() == 0) s.pop_back();
        return s;
    }

private:
    std::vector<std::wstring> FOpen;
};

}  // namespace lumivane::test
