#include "common/GetFolder.h"

std::string GetFolder(const std::string& path) {
    for (std::size_t n = path.size(); n >= 2; --n) {
        if (path[n - 1] == '\\') return path.substr(0, n);
    }
    return {};
}
