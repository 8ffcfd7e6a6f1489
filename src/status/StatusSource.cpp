#include "status/StatusSource.h"

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
    return StatusSource{url, rest};
}
