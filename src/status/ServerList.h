#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "status/Site.h"

struct DuplicateSiteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The rows of one scan, in the order they were added, keyed by name
// (keys compared without regard to ASCII letter case). Rows are shared, so a
// reader may keep one after the list is gone.
class ServerList {
public:
    const std::vector<std::shared_ptr<Site>>& sites() const { return sites_; }

    // Appends a new row named newsitename with count 0. Throws
    // DuplicateSiteError, leaving the list unchanged, if the key is taken.
    void Add(const std::string& newsitename);

    // Sum of the rows' counts; a sum beyond the 32-bit range stops at its limit.
    std::int32_t TotalPlayers() const;

private:
    std::vector<std::shared_ptr<Site>> sites_;
};
