#include "win32/WinError.h"

#include <wininet.h>

#include "win32/Handles.h"

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE source = nullptr;
    if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
        source = GetModuleHandleA("wininet.dll");
        if (source) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    const DWORD length = FormatMessageA(flags, source, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    const UniqueLocal buffer(text);
    std::string message = length ? std::string(text, length) : std::string();
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (message.empty()) message = "error " + std::to_string(code);
    return message;
}

bool FailWithLastError(std::string& error) {
    error = SystemErrorText(GetLastError());
    return false;
}
