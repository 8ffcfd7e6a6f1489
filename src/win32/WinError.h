#pragma once

#include <windows.h>

#include <string>

// The system's message text for an error code (WinINet codes included),
// without the trailing line break; "error N" when the system has none.
std::string SystemErrorText(DWORD code);
