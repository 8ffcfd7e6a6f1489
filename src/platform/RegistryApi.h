#pragma once

#include <cstdint>
#include <string>
#include <utility>

// The registry calls the settings store is built on, with the Windows
// registry's meaning: status 0 is success, other values are Windows error codes.
using RegKey = std::uint64_t;  // 0 stands for no key
inline constexpr RegKey kHKeyCurrentUser = 0x80000001;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr long kRegFileNotFound = 2;        // ERROR_FILE_NOT_FOUND: no such key or value
inline constexpr std::uint32_t kKeyAccess = 0x3F;  // query, set, create sub-key, enumerate, notify, link

class RegistryApi;

// An open key that closes itself through the registry it came from; it holds
// no key (0) when the open failed.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryApi& api, RegKey key) : api_(&api), key_(key) {}
    RegistryKey(RegistryKey&& other) noexcept : api_(other.api_), key_(std::exchange(other.key_, 0)) {}
    RegistryKey& operator=(RegistryKey other) noexcept {
        std::swap(api_, other.api_);
        std::swap(key_, other.key_);
        return *this;
    }
    inline ~RegistryKey();

    RegKey get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }

private:
    RegistryApi* api_ = nullptr;
    RegKey key_ = 0;
};

class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    // Creates the key (and any missing keys above it) or opens it.
    virtual long CreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                             RegKey& result, std::uint32_t& disposition) = 0;
    // Opens an existing key; result is left alone on failure.
    virtual long OpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                           RegKey& result) = 0;
    // With data null, reports type and size only; otherwise fills data, which has *size bytes.
    virtual long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* size) = 0;
    virtual long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                            std::uint32_t size) = 0;
    virtual long CloseKey(RegKey key) = 0;
    virtual long DeleteValue(RegKey key, const std::string& valueName) = 0;
    // The system's words for a status these calls returned.
    virtual std::string StatusText(long status) = 0;

    // Creates or opens subKey of root; empty when that failed.
    RegistryKey Create(RegKey root, const std::string& subKey, std::uint32_t access) {
        RegKey key = 0;
        std::uint32_t disposition = 0;
        return CreateKeyEx(root, subKey, 0, access, key, disposition) == 0 ? RegistryKey(*this, key) : RegistryKey();
    }
    // Opens an existing subKey of root; empty when that failed.
    RegistryKey Open(RegKey root, const std::string& subKey, std::uint32_t access) {
        RegKey key = 0;
        return OpenKeyEx(root, subKey, 0, access, key) == 0 ? RegistryKey(*this, key) : RegistryKey();
    }
};

RegistryKey::~RegistryKey() {
    if (key_ != 0) api_->CloseKey(key_);
}
