#include "win32/ProgramPaths.h"

#include <windows.h>

#include <vector>

#include "common/GetFolder.h"
#include "win32/TextConversion.h"

std::string ProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return Narrow(std::wstring(path.data(), n), CP_UTF8);
        path.resize(path.size() * 2);
    }
}

std::string ProgramFolder() { return GetFolder(ProgramPath()); }

std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = Wide(path, CP_UTF8);
    std::vector<wchar_t> full(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) return Narrow(std::wstring(full.data(), n), CP_UTF8);
        full.resize(n);
    }
}
