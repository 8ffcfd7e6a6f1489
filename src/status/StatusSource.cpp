#include "status/StatusSource.h"

#include <algorithm>

namespace {
// url with the password of its user info ("user:password@") masked.
std::string MaskPassword(const std::string& url) {
    const auto scheme = url.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = std::min(url.find_first_of("/?#", start), url.size());
    if (end == start) return url;
    const auto at = url.rfind('@', end - 1);
    if (at == std::string::npos || at < start) return url;
    const auto colon = url.find(':', start);
    if (colon >= at || colon + 1 == at) return url;
    return url.substr(0, colon + 1) + "****" + url.substr(at);
}
}  // namespace

StatusSource StatusSource::FromUrl(const std::string& url) {
    std::string rest = url;
    if (const auto scheme = rest.find("://"); scheme != std::string::npos) rest.erase(0, scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = rest.rfind('@'); at != std::string::npos) rest.erase(0, at + 1);
    if (!rest.empty() && rest.front() == '[') {
        // IPv6 literal: keep what is inside the brackets.
        const auto close = rest.find(']');
        rest = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        rest = rest.substr(0, rest.find(':'));
    }
    return StatusSource{url, rest, MaskPassword(url)};
}
