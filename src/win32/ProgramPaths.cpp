#include "win32/ProgramPaths.h"

#include <windows.h>

#include <vector>

#include "common/GetFolder.h"

std::string ProgramPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return std::string(path.data(), n);
        path.resize(path.size() * 2);
    }
}

std::string ProgramFolder() { return GetFolder(ProgramPath()); }

std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    std::vector<char> full(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) return std::string(full.data(), n);
        full.resize(n);
    }
}
