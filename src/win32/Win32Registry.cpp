#include "win32/Win32Registry.h"

#include <windows.h>

#include "win32/WinError.h"

static_assert(kRegSz == REG_SZ && kRegDword == REG_DWORD && kRegFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kKeyAccess == (KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |
                             KEY_NOTIFY | KEY_CREATE_LINK));

namespace {
// The core names the current user's root by its classic 32-bit value; on
// 64-bit Windows the predefined handle is that value sign-extended.
HKEY ToHkey(RegKey key) {
    if (key == kHKeyCurrentUser) return HKEY_CURRENT_USER;
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

RegKey FromHkey(HKEY key) { return static_cast<RegKey>(reinterpret_cast<std::uintptr_t>(key)); }
}  // namespace

long Win32Registry::CreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                                RegKey& result, std::uint32_t& disposition) {
    HKEY key = nullptr;
    DWORD how = 0;
    const LONG status = RegCreateKeyExA(ToHkey(root), subKey.c_str(), 0, nullptr, options, access, nullptr, &key, &how);
    if (status == ERROR_SUCCESS) {
        result = FromHkey(key);
        disposition = how;
    }
    return status;
}

long Win32Registry::OpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                              RegKey& result) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(root), subKey.c_str(), options, access, &key);
    if (status == ERROR_SUCCESS) result = FromHkey(key);
    return status;
}

long Win32Registry::QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) {
    DWORD t = type ? *type : 0, s = size ? *size : 0;
    const LONG status =
        RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, type ? &t : nullptr, data, size ? &s : nullptr);
    if (type) *type = t;
    if (size) *size = s;
    return status;
}

long Win32Registry::SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) {
    return RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type, data, size);
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

long Win32Registry::DeleteValue(RegKey key, const std::string& valueName) {
    return RegDeleteValueA(ToHkey(key), valueName.c_str());
}

std::string Win32Registry::StatusText(long status) { return SystemErrorText(static_cast<DWORD>(status)); }
