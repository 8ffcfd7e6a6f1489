#pragma once

#include <windows.h>

#include <string>

// The system's message text for an error code (WinINet codes included),
// without the trailing line break; "error N" when the system has none.
std::string SystemErrorText(DWORD code);

// Puts the text of GetLastError() into error and returns false, for the
// interfaces that report a failure as false with the system's text.
bool FailWithLastError(std::string& error);
