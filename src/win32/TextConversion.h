#pragma once

#include <windows.h>

#include <string>

// Text in a code page (CP_ACP, the process's; CP_UTF8) to UTF-16 and back.
std::wstring Wide(const std::string& text, UINT codePage);
std::string Narrow(const std::wstring& text, UINT codePage);
