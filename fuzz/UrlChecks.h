#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "status/StatusSource.h"

// Aborts unless address is an http(s) address whose parts a request can
// send as they are, and that reads back from its Address() to the same parts.
inline void CheckRequestAddress(const StatusSource& address) {
    if (!address.isHttp || address.target.empty() || address.target.front() != '/') std::abort();
    if (address.scheme != (address.secure ? "https" : "http") || address.port == 0 || address.host.empty())
        std::abort();
    for (const char c : address.target)
        if (c <= ' ' || c >= 0x7f || std::string_view("#\"<>\\^`{|}").find(c) != std::string_view::npos) std::abort();
    const StatusSource again = StatusSource::FromUrl(address.Address());
    if (!again.isHttp || again.scheme != address.scheme || again.host != address.host || again.port != address.port ||
        again.target != address.target || again.Address() != address.Address())
        std::abort();
}

// Aborts when the path of address still holds a "." or ".." segment.
inline void CheckNoDotSegments(const StatusSource& address) {
    const std::string path = address.target.substr(0, address.target.find('?')) + "/";
    if (path.find("/./") != std::string::npos || path.find("/../") != std::string::npos) std::abort();
}
