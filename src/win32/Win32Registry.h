#pragma once

#include "platform/RegistryApi.h"

// The registry calls over advapi32's wide entry points, with names and
// texts in UTF-8.
class Win32Registry : public RegistryApi {
public:
    long CreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                     RegKey& result, std::uint32_t& disposition) override;
    long OpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                   RegKey& result) override;
    long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) override;
    long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size) override;
    long CloseKey(RegKey key) override;
    long DeleteValue(RegKey key, const std::string& valueName) override;
    std::string StatusText(long status) override;
};
