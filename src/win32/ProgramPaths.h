#pragma once

#include <string>

// Paths in UTF-8. The full path of the running program, and its folder with
// the trailing backslash.
std::string ProgramPath();
std::string ProgramFolder();
// path made full against the current folder (as it is when none can be made).
std::string FullPath(const std::string& path);
// The user's %LOCALAPPDATA% folder with a trailing backslash; empty when Windows names none.
std::string LocalAppDataFolder();
