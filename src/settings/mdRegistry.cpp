#include "settings/mdRegistry.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/Convert.h"

namespace {
constexpr long kErrorInvalidParameter = 87;

// The integer a value is written as under REG_DWORD; absent is 0.
std::optional<std::int32_t> AsInteger(const SettingValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) return ToInt32(*text);
    return 0;
}
}  // namespace

std::optional<std::string> SettingText(const SettingValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    return std::nullopt;
}

long mdRegistry::EnsureKey(const std::string& keyPath, RegKey root) {
    RegKey key = 0;
    std::uint32_t disposition = 0;
    const long status = api_.CreateKeyEx(root, keyPath, 0, kKeyAccess, key, disposition);
    if (status == 0) api_.CloseKey(key);
    return status;
}

long mdRegistry::WriteKeyValue(RegKey key, const std::string& valueName, std::int32_t valueType,
                               const SettingValue& value) {
    if (valueType == static_cast<std::int32_t>(kRegSz)) {
        const std::string text = SettingText(value).value_or("");
        // The stored bytes end with one terminating zero byte.
        return api_.SetValueEx(key, valueName, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<std::uint32_t>(text.size() + 1));
    }
    if (valueType == static_cast<std::int32_t>(kRegDword)) {
        const auto number = AsInteger(value);
        if (!number) return kErrorInvalidParameter;
        std::uint8_t bytes[4];
        const auto bits = static_cast<std::uint32_t>(*number);
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        return api_.SetValueEx(key, valueName, kRegDword, bytes, 4);
    }
    return 0;
}

long mdRegistry::ReadKeyValue(RegKey key, const std::string& valueName, SettingValue& value) {
    std::uint32_t type = 0, size = 0;
    long status = api_.QueryValueEx(key, valueName, &type, nullptr, &size);
    if (status != 0) return status;

    if (type == kRegSz) {
        std::vector<std::uint8_t> buffer(size);
        std::uint32_t filled = size;
        status = api_.QueryValueEx(key, valueName, &type, buffer.data(), &filled);
        if (status != 0) {
            value = std::monostate{};
        } else if (filled >= 1 && filled <= buffer.size()) {
            // The last byte is the terminator the store writes; it is dropped
            // whatever it holds.
            value = std::string(reinterpret_cast<const char*>(buffer.data()), filled - 1);
        }
        return status;
    }
    if (type == kRegDword) {
        // Only a 4-byte value fits the integer; anything else is unusable.
        if (size != 4) return kUnusableValue;
        std::uint8_t bytes[4] = {};
        std::uint32_t filled = 4;
        status = api_.QueryValueEx(key, valueName, &type, bytes, &filled);
        if (status == 0 && filled == 4) {
            std::uint32_t bits = 0;
            for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
            value = static_cast<std::int32_t>(bits);
        }
        return status;
    }
    return kUnusableValue;
}

long mdRegistry::StoreSetting(const std::string& keyPath, const std::string& valueName, const SettingValue& value,
                              std::int32_t valueType) {
    // A key that cannot be opened takes nothing.
    RegKey handle = 0;
    if (const long status = api_.OpenKeyEx(kHKeyCurrentUser, keyPath, 0, kKeyAccess, handle); status != 0)
        return status;
    const RegistryKey key(api_, handle);
    return WriteKeyValue(key.get(), valueName, valueType, value);
}

SettingValue mdRegistry::FetchSetting(const std::string& keyPath, const std::string& valueName) {
    // A key that cannot be opened reads as absent, as a missing value does.
    SettingValue value;
    if (const RegistryKey key = api_.Open(kHKeyCurrentUser, keyPath, kKeyAccess))
        ReadKeyValue(key.get(), valueName, value);
    return value;
}

long mdRegistry::FetchText(const std::string& keyPath, const std::string& valueName, std::string& text) {
    RegKey handle = 0;
    if (const long status = api_.OpenKeyEx(kHKeyCurrentUser, keyPath, 0, kKeyAccess, handle); status != 0)
        return status;
    const RegistryKey key(api_, handle);
    std::uint32_t type = 0, size = 0;
    if (const long status = api_.QueryValueEx(key.get(), valueName, &type, nullptr, &size); status != 0) return status;
    if (type != kRegSz && type != kRegExpandSz) return kUnusableValue;
    std::vector<std::uint8_t> buffer(size);
    std::uint32_t filled = size;
    if (const long status = api_.QueryValueEx(key.get(), valueName, &type, buffer.data(), &filled); status != 0)
        return status;
    // Without the terminating zero, when there is one.
    filled = std::min<std::uint32_t>(filled, size);
    if (filled > 0 && buffer[filled - 1] == 0) --filled;
    text.assign(reinterpret_cast<const char*>(buffer.data()), filled);
    return 0;
}

long mdRegistry::DeleteValue(const std::string& keyPath, const std::string& valueName) {
    RegKey handle = 0;
    long status = api_.OpenKeyEx(kHKeyCurrentUser, keyPath, 0, kKeyAccess, handle);
    if (status == 0) {
        const RegistryKey key(api_, handle);
        status = api_.DeleteValue(key.get(), valueName);
    }
    return status == kRegFileNotFound ? 0 : status;
}
