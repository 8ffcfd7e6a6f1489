#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The status page to fetch, and the host that names the scan's row.
struct StatusSource {
    std::string url;
    std::string host;   // without brackets for an IPv6 literal ("::1")
    std::string shown;  // url with its password, if it has one, masked: for the log and messages

    // The parts a request needs, set when url is an http:// or https://
    // address with a valid host and port (isHttp).
    bool isHttp = false;
    bool secure = false;     // https
    std::string scheme;      // in lower case, whatever it is
    std::uint16_t port = 0;  // the address's own, else the scheme's default
    std::string target;      // path and query: "/" for none, no fragment, unsafe bytes %-escaped

    static constexpr const char* kDefaultUrl = "http://status.quellan.example";

    // Takes the host from url (scheme, user info, port and path removed), and
    // the request's parts.
    static StatusSource FromUrl(const std::string& url);

    // The host as a server is named to connect to: an IPv6 literal in brackets.
    std::string ServerName() const;
    // What a request asks for: scheme://host[:port]target, without user info,
    // the default port or a fragment. FromUrl reads it back to the same parts.
    std::string Address() const;
    // The address a reference (a redirect's Location) points to, read
    // against this one: absolute, "//host/x", "/x", "x/../y", "?q" or "".
    // Nothing is cut, however long. Not isHttp when it leads elsewhere.
    StatusSource Resolve(std::string_view reference) const;
};
