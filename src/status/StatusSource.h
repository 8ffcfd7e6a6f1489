#pragma once

#include <string>

// The status page to fetch, and the host that names the scan's row.
struct StatusSource {
    std::string url;
    std::string host;
    std::string shown;  // url with its password, if it has one, masked: for the log and messages

    static constexpr const char* kDefaultUrl = "http://status.quellan.example";

    // Takes the host from url (scheme, user info, port and path removed).
    static StatusSource FromUrl(const std::string& url);
};
