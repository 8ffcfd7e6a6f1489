#pragma once

#include <cstdint>
#include <string>

// The five registry calls the settings store is built on, with the Windows
// registry's meaning: status 0 is success, other values are Windows error codes.
using RegKey = std::uint64_t;  // 0 stands for no key
inline constexpr RegKey kHKeyCurrentUser = 0x80000001;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kKeyAccess = 0x3F;  // query, set, create sub-key, enumerate, notify, link

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
};
