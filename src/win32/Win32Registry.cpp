#include "win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/TextConversion.h"
#include "win32/WinError.h"

static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegDword == REG_DWORD &&
              kRegFileNotFound == ERROR_FILE_NOT_FOUND);
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

std::wstring W(const std::string& text) { return Wide(text, CP_UTF8); }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// A text value as the core reads it: UTF-8 and one terminating zero byte
// (none for a value of no bytes at all).
LONG QueryText(HKEY key, const std::wstring& name, std::string& text) {
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    // It may grow between the two calls.
    for (int tries = 0; status == ERROR_SUCCESS && tries < 4; ++tries) {
        std::vector<BYTE> bytes(size + sizeof(wchar_t));
        DWORD filled = static_cast<DWORD>(bytes.size());
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.data(), &filled);
        if (status == ERROR_MORE_DATA) {
            size = filled;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        text.clear();
        if (filled == 0) return ERROR_SUCCESS;
        std::wstring wide(filled / sizeof(wchar_t), L'\0');
        std::copy_n(bytes.data(), wide.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(wide.data()));
        if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
        text = Narrow(wide, CP_UTF8);
        text.push_back('\0');
        return ERROR_SUCCESS;
    }
    return status;
}
}  // namespace

long Win32Registry::CreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                                RegKey& result, std::uint32_t& disposition) {
    HKEY key = nullptr;
    DWORD how = 0;
    const LONG status =
        RegCreateKeyExW(ToHkey(root), W(subKey).c_str(), 0, nullptr, options, access, nullptr, &key, &how);
    if (status == ERROR_SUCCESS) {
        result = FromHkey(key);
        disposition = how;
    }
    return status;
}

long Win32Registry::OpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                              RegKey& result) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExW(ToHkey(root), W(subKey).c_str(), options, access, &key);
    if (status == ERROR_SUCCESS) result = FromHkey(key);
    return status;
}

// Texts go in and out as UTF-8; the registry holds them as UTF-16, as
// Windows' own ANSI calls did for the ASCII texts stored so far.
long Win32Registry::QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) {
    const std::wstring name = W(valueName);
    DWORD t = 0, s = size ? *size : 0;
    LONG status = RegQueryValueExW(ToHkey(key), name.c_str(), nullptr, &t, nullptr, nullptr);
    if (status == ERROR_SUCCESS && IsText(t)) {
        std::string text;
        status = QueryText(ToHkey(key), name, text);
        if (status == ERROR_SUCCESS) {
            if (data && s < text.size()) status = ERROR_MORE_DATA;
            if (data && status == ERROR_SUCCESS) std::copy(text.begin(), text.end(), data);
            s = static_cast<DWORD>(text.size());
        }
    } else if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(ToHkey(key), name.c_str(), nullptr, &t, data, size ? &s : nullptr);
    }
    if (type) *type = t;
    if (size) *size = s;
    return status;
}

long Win32Registry::SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) {
    if (!IsText(type)) return RegSetValueExW(ToHkey(key), W(valueName).c_str(), 0, type, data, size);
    // The bytes end with the core's terminating zero, which UTF-16 takes as one of its own.
    const std::wstring text = Wide(std::string(reinterpret_cast<const char*>(data), size), CP_UTF8);
    return RegSetValueExW(ToHkey(key), W(valueName).c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

long Win32Registry::DeleteValue(RegKey key, const std::string& valueName) {
    return RegDeleteValueW(ToHkey(key), W(valueName).c_str());
}

std::string Win32Registry::StatusText(long status) { return SystemErrorText(static_cast<DWORD>(status)); }
