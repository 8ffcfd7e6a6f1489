#pragma once

#include <windows.h>

// Libraries that are not on Windows' KnownDLLs list (WinINet, the multimedia
// library, the IP helper) are loaded at run time from the system folder only, never from the
// program's own folder, where a planted copy could wait in Downloads.

// Makes the system folder the only place the process looks for libraries
// loaded later, where Windows supports it (Windows 8, or 7 with KB2533623).
void RestrictLibrarySearchToSystem();

// The library name from the system folder; null (with the last error set)
// when it cannot be loaded. Kept loaded for the life of the process.
HMODULE LoadSystemLibrary(const char* name);

// The address of an export of a library, as the function type F.
template <typename F>
F SystemFunction(HMODULE library, const char* name) {
    return library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}
