#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "status/FetchFailure.h"
#include "status/HttpHead.h"
#include "status/StatusSource.h"

// Redirects one fetch follows: enough for a site that moved (to https, then
// to a new path), few enough that a page moving in circles costs nothing.
constexpr std::size_t kMaxRedirects = 5;
// The longest address a request can ask for: WinINet's INTERNET_MAX_URL_LENGTH
// less its terminator. A move to a longer one fails rather than being cut.
constexpr std::size_t kLongestAddress = 2083;

// What the fetch knows of an answer beside its head.
struct AnswerContext {
    const StatusSource& address;              // the address asked
    const std::vector<std::string>& visited;  // the Address() of each asked so far, this one's included
    bool decoding = false;                    // WinINet unpacks gzip and deflate
    bool viaProxy = false;                    // the answer came through a proxy server
    std::uint64_t pageCap = 0;                // the most a page may have, in bytes
    std::int64_t now = 0;                     // seconds since 1970 by this computer's clock
};

// What an answer means for the fetch.
struct AnswerDecision {
    enum class Action { ReadPage, FollowRedirect, Fail };
    Action action = Action::Fail;
    StatusSource next;     // FollowRedirect: the address to ask next
    FetchFailure failure;  // Fail: why (its wait, too, where the answer asks for one)
    // ReadPage: the page's length as the answer announces it, where its
    // bytes arrive as sent (no content or transfer coding); else none.
    std::optional<std::uint64_t> length{};
};

// Judges an answer by its raw head (status line and header fields, as
// HTTP_QUERY_RAW_HEADERS_CRLF gives them; nothing but line ends when the
// server closed the connection without answering): a page to read, a move to
// follow (at most kMaxRedirects, never in a circle, never from https to http,
// never to an address longer than kLongestAddress), or a failure.
AnswerDecision JudgeAnswer(std::string_view rawHead, const AnswerContext& context);

// A page read to its end, received bytes long, after the answer judged so:
// whole, or a failure when fewer bytes came than the answer announced.
std::optional<FetchFailure> JudgePage(const AnswerDecision& decision, std::uint64_t received);

// The seconds an answer's Retry-After asks to wait: a number, or a date
// measured from the answer's own Date (else from now), so that a wrong clock
// here does not matter. Nothing for none, no wait, a date past, or neither form.
std::optional<std::int64_t> RetryAfter(const HttpHead& head, std::int64_t now);
