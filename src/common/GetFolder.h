#pragma once

#include <string>

// The folder part of a Windows path: everything up to and including its last
// backslash, looking no further left than the second character; empty when
// there is none ("C:\x\y.exe" gives "C:\x\", "\y.exe" and "y.exe" give "").
std::string GetFolder(const std::string& path);
