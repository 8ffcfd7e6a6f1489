#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/RegistryApi.h"

// An in-memory stand-in for the registry calls, as far as the settings store
// relies on them: a missing key fails the open and leaves the handle alone,
// handle 0 fails every query, a data query into a short buffer fails with
// ERROR_MORE_DATA, and values keep whatever type and bytes they were given.
class MemoryRegistry : public RegistryApi {
public:
    static constexpr long kFileNotFound = 2, kAccessDenied = 5, kInvalidHandle = 6, kMoreData = 234;

    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
    };

    std::set<std::string> deniedKeys;       // opens of these keys fail with access denied
    std::set<std::string> readOnlyKeys;     // writes and deletes in these keys fail with access denied
    std::function<void()> beforeDataQuery;  // runs before every query that reads data
    int openHandles = 0;
    int callsWithoutKey = 0;  // queries, sets and closes on a handle that is not open

    // Direct access for tests, by path below the current user's root.
    void Put(const std::string& path, const std::string& name, std::uint32_t type, std::vector<std::uint8_t> bytes) {
        keys_[Lower(path)][Lower(name)] = Value{type, std::move(bytes)};
    }
    void PutText(const std::string& path, const std::string& name, const std::string& text, bool terminated = true) {
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        if (terminated) bytes.push_back(0);
        Put(path, name, kRegSz, std::move(bytes));
    }
    const Value* Get(const std::string& path, const std::string& name) const {
        const auto key = keys_.find(Lower(path));
        if (key == keys_.end()) return nullptr;
        const auto value = key->second.find(Lower(name));
        return value == key->second.end() ? nullptr : &value->second;
    }
    bool HasKey(const std::string& path) const { return keys_.count(Lower(path)) != 0; }
    std::size_t ValueCount() const {
        std::size_t n = 0;
        for (const auto& [path, values] : keys_) n += values.size();
        return n;
    }

    long CreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t, std::uint32_t, RegKey& result,
                     std::uint32_t& disposition) override {
        if (root != kHKeyCurrentUser) return kInvalidHandle;
        if (Listed(deniedKeys, Lower(subKey))) return kAccessDenied;
        disposition = HasKey(subKey) ? 2 : 1;
        // Creating a key creates the keys above it too.
        std::string path = Lower(subKey);
        for (std::size_t at = 0; (at = path.find('\\', at)) != std::string::npos; ++at) keys_[path.substr(0, at)];
        keys_[path];
        result = NewHandle(path);
        return 0;
    }

    long OpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t, std::uint32_t, RegKey& result) override {
        if (root != kHKeyCurrentUser) return kInvalidHandle;
        if (Listed(deniedKeys, Lower(subKey))) return kAccessDenied;
        if (!HasKey(subKey)) return kFileNotFound;
        result = NewHandle(Lower(subKey));
        return 0;
    }

    long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) override {
        const auto handle = handles_.find(key);
        if (handle == handles_.end()) return NoKey();
        if (data && beforeDataQuery) beforeDataQuery();
        const Value* value = Get(handle->second, valueName);
        if (!value) return kFileNotFound;
        if (type) *type = value->type;
        const auto stored = static_cast<std::uint32_t>(value->bytes.size());
        if (data) {
            if (!size || *size < stored) {
                if (size) *size = stored;
                return kMoreData;
            }
            std::copy(value->bytes.begin(), value->bytes.end(), data);
        }
        if (size) *size = stored;
        return 0;
    }

    long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size) override {
        const auto handle = handles_.find(key);
        if (handle == handles_.end()) return NoKey();
        if (Listed(readOnlyKeys, handle->second)) return kAccessDenied;
        keys_[handle->second][Lower(valueName)] = Value{type, std::vector<std::uint8_t>(data, data + size)};
        return 0;
    }

    long DeleteValue(RegKey key, const std::string& valueName) override {
        const auto handle = handles_.find(key);
        if (handle == handles_.end()) return NoKey();
        if (Listed(readOnlyKeys, handle->second)) return kAccessDenied;
        return keys_[handle->second].erase(Lower(valueName)) ? 0 : kFileNotFound;
    }

    std::string StatusText(long status) override {
        return status == kAccessDenied ? "Access is denied" : "error " + std::to_string(status);
    }

    long CloseKey(RegKey key) override {
        if (handles_.erase(key) == 0) return NoKey();
        --openHandles;
        return 0;
    }

private:
    long NoKey() {
        ++callsWithoutKey;
        return kInvalidHandle;
    }
    static std::string Lower(std::string s) {
        for (char& c : s) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
        return s;
    }
    // Whether keys names path (lower case), in any letter case.
    static bool Listed(const std::set<std::string>& keys, const std::string& path) {
        return std::any_of(keys.begin(), keys.end(), [&](const std::string& k) { return Lower(k) == path; });
    }
    RegKey NewHandle(const std::string& path) {
        ++openHandles;
        handles_[nextHandle_] = path;
        return nextHandle_++;
    }

    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<RegKey, std::string> handles_;
    RegKey nextHandle_ = 0x100;
};
