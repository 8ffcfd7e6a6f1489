// Stands in for a DLL planted beside wendrel.exe, built as wininet.dll and as
// winmm.dll: whoever loads it leaves the file PLANTED-<its name>.txt beside it.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    const std::string dll = path;
    const std::size_t name = dll.find_last_of('\\') + 1;
    const std::string marker = dll.substr(0, name) + "PLANTED-" + dll.substr(name) + ".txt";
    CloseHandle(CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}
