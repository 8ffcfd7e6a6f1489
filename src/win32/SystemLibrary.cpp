#include "win32/SystemLibrary.h"

#include <string>

void RestrictLibrarySearchToSystem() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto set = SystemFunction<SetDirectories>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    if (HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // Without the search flags (Windows 7 without KB2533623): the full path.
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryExA((std::string(folder) + "\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
