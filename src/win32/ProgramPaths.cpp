#include "win32/ProgramPaths.h"

#include <windows.h>
#include <shlobj.h>

#include "common/GetFolder.h"
#include "win32/TextConversion.h"

std::string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return Narrow(path.substr(0, n), CP_UTF8);
        path.resize(path.size() * 2);
    }
}

std::string ProgramFolder() { return GetFolder(ProgramPath()); }

std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = Wide(path, CP_UTF8);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) return Narrow(full.substr(0, n), CP_UTF8);
        full.resize(n);
    }
}

std::string LocalAppDataFolder() {
    PWSTR folder = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder);
    const std::string path = SUCCEEDED(found) ? Narrow(folder, CP_UTF8) + "\\" : std::string();
    CoTaskMemFree(folder);
    return path;
}
