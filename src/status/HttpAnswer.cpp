#include "status/HttpAnswer.h"

#include <algorithm>
#include <limits>

#include "common/Text.h"

namespace {
using Kind = FetchFailure::Kind;

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

AnswerDecision Failed(FetchFailure failure) { return {AnswerDecision::Action::Fail, {}, std::move(failure)}; }
AnswerDecision Failed(Kind kind) { return Failed(FetchFailure{.kind = kind}); }

AnswerDecision MoveTo(const std::string& location, const AnswerContext& context) {
    StatusSource next = context.address.Resolve(location);
    if (!next.isHttp) return Failed(Kind::MovedToNonHttp);
    if (context.address.secure && !next.secure) return Failed(Kind::MovedToInsecure);
    if (std::find(context.visited.begin(), context.visited.end(), next.Address()) != context.visited.end())
        return Failed(Kind::RedirectLoop);
    if (context.visited.size() > kMaxRedirects)
        return Failed(FetchFailure{.kind = Kind::TooManyRedirects, .limit = static_cast<int>(kMaxRedirects)});
    return {AnswerDecision::Action::FollowRedirect, std::move(next), {}};
}

// A page is read only as WinINet unpacks it: in no coding, or in one it decodes.
bool Readable(const std::vector<std::string>& codings, bool decoding) {
    std::vector<std::string> applied;
    for (const std::string& coding : codings)
        if (!EqualsIgnoreCase(coding, "identity")) applied.push_back(coding);
    if (applied.empty()) return true;
    const std::string& only = applied.front();
    return decoding && applied.size() == 1 &&
           (EqualsIgnoreCase(only, "gzip") || EqualsIgnoreCase(only, "x-gzip") || EqualsIgnoreCase(only, "deflate"));
}

// The largest length the answer announces (a number too large for 64 bits
// as the largest there is); 0 for none.
std::uint64_t AnnouncedLength(const HttpHead& head) {
    std::uint64_t longest = 0;
    for (const std::string& item : head.List("Content-Length")) {
        if (!AllDigits(item)) continue;
        const bool huge = item.size() > 19;
        longest =
            std::max<std::uint64_t>(longest, huge ? std::numeric_limits<std::uint64_t>::max() : std::stoull(item));
    }
    return longest;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : ", ") + item;
    return joined;
}
}  // namespace

std::optional<std::int64_t> RetryAfter(const HttpHead& head, std::int64_t now) {
    const std::string* value = head.Field("Retry-After");
    if (!value) return std::nullopt;
    if (value->size() <= 9 && AllDigits(*value)) {
        const std::int64_t seconds = std::stoll(*value);
        return seconds > 0 ? std::optional(seconds) : std::nullopt;
    }
    const auto until = ParseHttpDate(*value);
    const std::string* date = head.Field("Date");
    const std::int64_t from = (date ? ParseHttpDate(*date) : std::nullopt).value_or(now);
    if (!until || *until <= from) return std::nullopt;
    return *until - from;
}

AnswerDecision JudgeAnswer(std::string_view rawHead, const AnswerContext& context) {
    const auto head = ParseHttpHead(rawHead);
    if (!head) return Failed(FetchFailure{.kind = Kind::Unreadable, .host = context.address.host});
    if (const std::string* location = head->Field("Location"); location && IsRedirect(head->status))
        return MoveTo(*location, context);
    if (head->status < 200 || head->status > 299)
        return Failed(FetchFailure{.kind = Kind::HttpStatus,
                                   .host = context.address.host,
                                   .status = head->status,
                                   .reason = head->reason,
                                   .wait = RetryAfter(*head, context.now),
                                   .viaProxy = context.viaProxy});
    const auto codings = head->List("Content-Encoding");
    if (!Readable(codings, context.decoding))
        return Failed(FetchFailure{.kind = Kind::Compressed, .encoding = Joined(codings)});
    if (AnnouncedLength(*head) > context.pageCap)
        return Failed(FetchFailure{.kind = Kind::TooLarge, .size = context.pageCap});
    return {AnswerDecision::Action::ReadPage, {}, {}};
}
