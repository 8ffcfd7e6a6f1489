#pragma once

#include <functional>
#include <string>

// The file the alarm plays: a relative path that does not exist from the
// current folder is looked up in the program's own folder (where the
// default Flyover.wav is installed). Otherwise the path is used as given.
std::string ResolveSoundPath(const std::string& path, const std::string& programFolder,
                             const std::function<bool(const std::string&)>& exists);
