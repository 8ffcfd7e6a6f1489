#include "status/Scanner.h"

#include <exception>

#include "common/Text.h"
#include "text/Texts.h"

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
        failure_ = std::string(e.what());
    } catch (...) {
        failure_ = Message(Msg::ScanFailed);
    }
}

void Scanner::ScanSite(Site& site, InetTransfer& transfer) {
    if (app_.Quitting) {
        failure_ = Message(Msg::ScanClosing);
        return;
    }
    const FetchResult fetched = transfer.OpenURL(source_.url);
    if (!fetched.ok) {
        failure_ = fetched.failure;
        return;
    }
    std::optional<Message> unread;
    if (const auto count = ReadPage(fetched.page, unread)) site.PlayerCount = *count;
    if (unread) failure_ = std::move(*unread);
}

std::optional<std::int32_t> Scanner::ReadPage(std::string_view page, std::optional<Message>& failure) {
    if (!SkipPast(kTitleMarker, page)) {
        failure = Message(Msg::ScanNotListed);
        return std::nullopt;
    }
    const auto marker = page.find(kCountMarker);
    if (marker == std::string_view::npos) {
        failure = Message(Msg::ScanNoCount);
        return std::nullopt;
    }
    const auto count = ReadCountField(page.substr(marker + kCountMarker.size()));
    if (!count) failure = Message(Msg::ScanNotANumber);
    return count;
}

std::string Scanner::FailureReason() const { return failure_ ? EnglishTexts().Value(*failure_) : std::string(); }

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
