#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/AppState.h"
#include "platform/InetTransfer.h"
#include "status/ServerList.h"
#include "status/StatusSource.h"
#include "text/Message.h"

// One scan of the lobby's status page: fetches it once and leaves one row,
// named after the status host, with the number of players it lists for the
// game. The scan never reports a failure to its caller; a page that cannot
// be fetched or read counts 0, and FailureReason says why.
class Scanner {
public:
    static constexpr std::string_view kTitleMarker = "Drevak&nbsp;Wing";
    static constexpr std::string_view kCountMarker = "Verdana>";

    Scanner(StatusSource source, const AppState& app);

    // The rows of this scan; made empty on first use.
    const std::shared_ptr<ServerList>& Servers();

    void ScanServers(InetTransfer& inetctl) noexcept;

    // If marker occurs in text, replaces text by what follows its first
    // occurrence, leading blanks removed, and returns true.
    static bool SkipPast(std::string_view marker, std::string_view& text);

    // The count the page shows for the game (title marker, then the first
    // count marker after it); nothing, with the reason, when it shows none.
    static std::optional<std::int32_t> ReadPage(std::string_view page, std::optional<Message>& failure);

    // None after a scan that read a count; otherwise why the count is 0.
    const std::optional<Arg>& Failure() const { return failure_; }
    // The same in English; empty after a scan that read a count.
    std::string FailureReason() const;
    // Seconds the status server asked to wait before it is asked again (a
    // busy 429 or 503 answer); none otherwise.
    std::optional<std::int64_t> AsksToWait() const { return wait_; }

private:
    void ScanSite(Site& site, InetTransfer& transfer);

    StatusSource source_;
    const AppState& app_;
    std::shared_ptr<ServerList> servers_;
    std::optional<Arg> failure_;
    std::optional<std::int64_t> wait_;
};

// The player count printed after the count marker: blanks skipped, then the
// longest run of ASCII digits. No digit, more than nine, or digits that run
// to the end of the page (a page cut short in its count) is not a count.
std::optional<std::int32_t> ReadCountField(std::string_view afterMarker);
