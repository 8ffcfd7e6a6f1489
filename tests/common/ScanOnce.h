#pragma once

#include <cstdint>
#include <string>

#include "platform/InetTransfer.h"
#include "status/Scanner.h"

// What one scan of a status address found, through a transfer.
struct ScanOutcome {
    std::size_t rows = 0;
    std::string name, ip;                 // of its one row
    std::int32_t count = -1, total = -1;  // the row's count, and the list's total
    std::string failure;                  // in English; "" when the count was read
};

// One scan of url through inet, by a scanner of its own as each check has.
inline ScanOutcome ScanOnce(InetTransfer& inet, const std::string& url) {
    AppState app;
    Scanner scanner(StatusSource::FromUrl(url), app);
    scanner.ScanServers(inet);
    const auto& sites = scanner.Servers()->sites();
    ScanOutcome outcome;
    outcome.rows = sites.size();
    if (sites.size() == 1) {
        outcome.name = sites[0]->Name;
        outcome.ip = sites[0]->IP;
        outcome.count = sites[0]->PlayerCount;
    }
    outcome.total = scanner.Servers()->TotalPlayers();
    outcome.failure = scanner.FailureReason();
    return outcome;
}
