#include "status/Scanner.h"

#include <exception>

#include "common/Text.h"

Scanner::Scanner(StatusSource source, const AppState& app) : source_(std::move(source)), app_(app) {}

const std::shared_ptr<ServerList>& Scanner::Servers() {
    if (!servers_) servers_ = std::make_shared<ServerList>();
    return servers_;
}

void Scanner::ScanServers(InetTransfer& inetctl) noexcept {
    try {
        Servers()->Add(source_.host);
        for (const auto& site : Servers()->sites()) ScanSite(*site, inetctl);
    } catch (const std::exception& e) {
        failure_ = e.what();
    } catch (...) {
        failure_ = "the scan failed";
    }
}

void Scanner::ScanSite(Site& site, InetTransfer& transfer) {
    if (app_.Quitting) {
        failure_ = "the program is closing";
        return;
    }
    const FetchResult fetched = transfer.OpenURL(source_.url);
    if (!fetched.ok) {
        failure_ = fetched.failure;
        return;
    }
    if (const auto count = ReadPage(fetched.page, failure_)) site.PlayerCount = *count;
}

std::optional<std::int32_t> Scanner::ReadPage(std::string_view page, std::string& failure) {
    if (!SkipPast(kTitleMarker, page)) {
        failure = "the status page does not list Drevak Wing";
        return std::nullopt;
    }
    const auto marker = page.find(kCountMarker);
    if (marker == std::string_view::npos) {
        failure = "the status page shows no player count for Drevak Wing";
        return std::nullopt;
    }
    const auto count = ReadCountField(page.substr(marker + kCountMarker.size()));
    if (!count) failure = "the player count on the status page is not a number";
    return count;
}

bool Scanner::SkipPast(std::string_view marker, std::string_view& text) {
    const auto at = text.find(marker);
    if (at == std::string_view::npos) return false;
    text = TrimLeadingBlanks(text.substr(at + marker.size()));
    return true;
}

std::optional<std::int32_t> ReadCountField(std::string_view afterMarker) {
    const std::string_view field = TrimLeadingBlanks(afterMarker);
    std::size_t digits = 0;
    while (digits < field.size() && field[digits] >= '0' && field[digits] <= '9') ++digits;
    if (digits == 0 || digits > 9) return std::nullopt;
    std::int32_t count = 0;
    for (std::size_t i = 0; i < digits; ++i) count = count * 10 + (field[i] - '0');
    return count;
}
