#include "common/SoundPath.h"

namespace {
bool IsAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}
}  // namespace

std::string ResolveSoundPath(const std::string& path, const std::string& programFolder,
                             const std::function<bool(const std::string&)>& exists) {
    if (path.empty() || IsAbsolute(path) || exists(path)) return path;
    const std::string besideProgram = programFolder + path;
    return exists(besideProgram) ? besideProgram : path;
}
