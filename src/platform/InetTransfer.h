#pragma once

#include <string>

#include "status/FetchFailure.h"

// Outcome of one page fetch. A failure says what went wrong, with its values
// (the wait a busy server asks for among them).
struct FetchResult {
    bool ok = false;
    std::string page;      // the body, when ok
    FetchFailure failure;  // why the fetch failed, when not ok
};

// A blocking HTTP GET. Implementations never throw: every failure (no
// connection, timeout, non-2xx status, oversized page) comes back as a result.
class InetTransfer {
public:
    virtual ~InetTransfer() = default;
    virtual FetchResult OpenURL(const std::string& url) noexcept = 0;
};
