// Any run of answer heads, as a server could send them one after another:
// each decision is whole (a page read only on a 2xx answer, a move only to
// an http(s) address not asked yet and no longer than a request can carry,
// never from https to http, never more than kMaxRedirects, a failure always
// in printable words, "closed without answering" only for an empty head, a
// wait only from a busy server, obeyed for no less than asked and no more
// than an hour), a page read is whole only with the bytes its answer
// announced, and every HTTP date the heads carry reads back from its
// IMF-fixdate to the same moment.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UrlChecks.h"
#include "monitor/RetrySchedule.h"
#include "status/HttpAnswer.h"
#include "text/Texts.h"

namespace {
using Kind = FetchFailure::Kind;

std::string ImfFixdate(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_days day{days{seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400}};
    const std::int64_t second = seconds - day.time_since_epoch().count() * std::int64_t{86400};
    const year_month_day date{day};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "Mon, %02u %s %04d %02d:%02d:%02d GMT", static_cast<unsigned>(date.day()),
                  kMonths[static_cast<unsigned>(date.month()) - 1], static_cast<int>(date.year()),
                  static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    return text;
}

void CheckDates(const HttpHead& head) {
    for (const auto& [name, value] : head.fields)
        if (const auto moment = ParseHttpDate(value); moment && ParseHttpDate(ImfFixdate(*moment)) != moment)
            std::abort();
}

// The wait is a busy server's, and the schedule obeys it for as long as
// asked, an hour at most, at any interval.
void CheckWait(const FetchFailure& failure) {
    if (!failure.wait) return;
    if (*failure.wait <= 0 || failure.kind != Kind::HttpStatus || (failure.status != 429 && failure.status != 503))
        std::abort();
    RetrySchedule schedule;
    schedule.CheckFailed(failure.wait);
    for (const std::int64_t interval : {0, 60, 86400})
        if (schedule.SecondsBetweenChecks(interval) < std::min(*failure.wait, RetrySchedule::kLongestWait) ||
            schedule.SecondsBetweenChecks(interval) > std::max(interval, RetrySchedule::kLongestWait))
            std::abort();
}

void CheckFailure(const FetchFailure& failure, std::string_view raw, const std::optional<HttpHead>& head) {
    const std::string words = InEnglish(FetchFailureMessage(failure));
    if (words.empty()) std::abort();
    for (const char c : words)
        if (c < ' ' || c > '~') std::abort();
    CheckWait(failure);
    switch (failure.kind) {
        case Kind::ClosedWithoutAnswer:
            if (raw.find_first_not_of("\r\n") != std::string_view::npos) std::abort();
            break;
        case Kind::Unreadable:
            if (head || raw.find_first_not_of("\r\n") == std::string_view::npos) std::abort();
            break;
        case Kind::HttpStatus:
            if (!head || head->status != failure.status || (failure.status >= 200 && failure.status <= 299))
                std::abort();
            break;
        case Kind::MovedNowhere:
            if (!head || head->status / 100 != 3 || !head->Field("Location") || !head->Field("Location")->empty())
                std::abort();
            break;
        case Kind::MovedTooFar:
        case Kind::MovedToNonHttp:
        case Kind::MovedToInsecure:
        case Kind::RedirectLoop:
        case Kind::TooManyRedirects:
            if (!head || head->status / 100 != 3 || !head->Field("Location")) std::abort();
            break;
        case Kind::Compressed:
        case Kind::BadLength:
        case Kind::TooLarge:
            if (!head || head->status / 100 != 2) std::abort();
            break;
        default: std::abort();  // no other failure comes from an answer
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte: WinINet decodes, the answer came through a proxy, the
    // page is asked over https. Then the heads, separated by NULs.
    const bool decoding = data[0] & 1, viaProxy = data[0] & 2, secure = data[0] & 4;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    StatusSource address = StatusSource::FromUrl(secure ? "https://lobby.example/status" : "http://lobby.example/s");
    std::vector<std::string> visited{address.Address()};
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        const std::string_view raw = std::string_view(input).substr(start, end - start);
        start = end + 1;
        const auto head = ParseHttpHead(raw);
        if (head) CheckDates(*head);
        AnswerDecision decision = JudgeAnswer(raw, {address, visited, decoding, viaProxy, 4u << 20, 1704110400});
        if (decision.action == AnswerDecision::Action::ReadPage) {
            if (!head || head->status / 100 != 2) std::abort();
            if (decision.length && (*decision.length > (4u << 20) || head->Field("Transfer-Encoding"))) std::abort();
            // A page as long as the rest of the input came: torn only when shorter than announced.
            const std::uint64_t received = input.size() - std::min(start, input.size());
            const auto torn = JudgePage(decision, received);
            if (torn.has_value() != (decision.length && received < *decision.length)) std::abort();
            if (torn && (torn->kind != Kind::Torn || torn->size != received)) std::abort();
            return 0;
        }
        if (decision.action == AnswerDecision::Action::Fail) {
            CheckFailure(decision.failure, raw, head);
            return 0;
        }
        const StatusSource& next = decision.next;
        CheckRequestAddress(next);
        if (next.Address().size() > kLongestAddress) std::abort();
        CheckNoDotSegments(next);
        if (!head || head->status / 100 != 3 || (address.secure && !next.secure)) std::abort();
        for (const std::string& asked : visited)
            if (asked == next.Address()) std::abort();
        visited.push_back(next.Address());
        if (visited.size() > kMaxRedirects + 1) std::abort();
        address = next;
    }
    return 0;
}
