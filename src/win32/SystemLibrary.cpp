#include "win32/SystemLibrary.h"

#include <string>

#include "win32/TextConversion.h"

void RestrictLibrarySearchToSystem() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto set = SystemFunction<SetDirectories>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::wstring wide = Wide(name, CP_UTF8);
    if (HMODULE library = LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // Without the search flags (Windows 7 without KB2533623): the full path.
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryExW((std::wstring(folder, n) + L"\\" + wide).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
