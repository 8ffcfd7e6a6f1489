#include "status/Scanner.h"

#include <exception>

#include "common/Text.h"
#include "text/Texts.h"

namespace {
std::size_t LeadingDigits(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    return digits;
}

// Whether field (the page after the count marker) is digits to its end.
bool DigitsToTheEnd(std::string_view field) { return !field.empty() && LeadingDigits(field) == field.size(); }
}  // namespace

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
        failure_ = FetchFailureMessage(fetched.failure);
        wait_ = fetched.failure.wait;
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
    const std::string_view field = TrimLeadingBlanks(page.substr(marker + kCountMarker.size()));
    const auto count = ReadCountField(field);
    if (!count) failure = Message(DigitsToTheEnd(field) ? Msg::ScanCountCut : Msg::ScanNotANumber);
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
    const std::size_t digits = LeadingDigits(field);
    // Digits that end the page may be the start of a longer number cut off.
    if (digits == 0 || digits > 9 || digits == field.size()) return std::nullopt;
    std::int32_t count = 0;
    for (std::size_t i = 0; i < digits; ++i) count = count * 10 + (field[i] - '0');
    return count;
}
