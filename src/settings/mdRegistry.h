#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/RegistryApi.h"

// A setting as exchanged with the store: absent, text, or a 32-bit integer.
using SettingValue = std::variant<std::monostate, std::string, std::int32_t>;

// A value as text: a text unchanged, an integer in decimal; nothing when absent.
std::optional<std::string> SettingText(const SettingValue& value);

// The settings store: typed values under a key of the current user's
// registry. It never reports a failure; reads that fail give absent.
class mdRegistry {
public:
    // ReadKeyValue's status for a value the store cannot use (its type, or a
    // DWORD whose size is not 4).
    static constexpr long kUnusableValue = -1;

    explicit mdRegistry(RegistryApi& api) : api_(api) {}

    // Creates keyPath under root, or opens it, and closes it again; returns
    // the create call's status.
    long EnsureKey(const std::string& keyPath, RegKey root);
    // Writes value as valueType (REG_SZ or REG_DWORD; other types write
    // nothing and return 0). Returns the set call's status.
    long WriteKeyValue(RegKey key, const std::string& valueName, std::int32_t valueType, const SettingValue& value);
    // Reads one value into value (which keeps its contents when nothing is read).
    long ReadKeyValue(RegKey key, const std::string& valueName, SettingValue& value);
    // Returns the status of the open or of the write, whichever failed; 0 when stored.
    long StoreSetting(const std::string& keyPath, const std::string& valueName, const SettingValue& value,
                      std::int32_t valueType);
    SettingValue FetchSetting(const std::string& keyPath, const std::string& valueName);
    // Reads a text value (REG_SZ, or REG_EXPAND_SZ unexpanded). Returns 0,
    // kRegFileNotFound when the key or the value is not there,
    // kUnusableValue for another type, or the status of the call that failed.
    long FetchText(const std::string& keyPath, const std::string& valueName, std::string& text);
    // Returns 0 also when there was no such key or value to delete.
    long DeleteValue(const std::string& keyPath, const std::string& valueName);
    std::string StatusText(long status) { return api_.StatusText(status); }

private:
    RegistryApi& api_;
};
