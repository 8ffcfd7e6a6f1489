#include "status/ServerList.h"

#include <algorithm>
#include <climits>

#include "common/Text.h"

void ServerList::Add(const std::string& newsitename) {
    for (const auto& site : sites_) {
        if (EqualsIgnoreCase(site->Name, newsitename))
            throw DuplicateSiteError("a server named \"" + newsitename + "\" is already in the list");
    }
    auto site = std::make_shared<Site>();
    site->Name = newsitename;
    sites_.push_back(std::move(site));
}

std::int32_t ServerList::TotalPlayers() const {
    std::int64_t total = 0;
    for (const auto& site : sites_) total += site->PlayerCount;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(total, INT32_MIN, INT32_MAX));
}
