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
    if (location.empty()) return Failed(Kind::MovedNowhere);
    StatusSource next = context.address.Resolve(location);
    if (!next.isHttp) return Failed(Kind::MovedToNonHttp);
    if (context.address.secure && !next.secure) return Failed(Kind::MovedToInsecure);
    if (next.Address().size() > kLongestAddress) return Failed(Kind::MovedTooFar);
    if (std::find(context.visited.begin(), context.visited.end(), next.Address()) != context.visited.end())
        return Failed(Kind::RedirectLoop);
    if (context.visited.size() > kMaxRedirects)
        return Failed(FetchFailure{.kind = Kind::TooManyRedirects, .limit = static_cast<int>(kMaxRedirects)});
    return {AnswerDecision::Action::FollowRedirect, std::move(next), {}};
}

// The content codings applied to the page, "identity" left out.
std::vector<std::string> Applied(const std::vector<std::string>& codings) {
    std::vector<std::string> applied;
    for (const std::string& coding : codings)
        if (!EqualsIgnoreCase(coding, "identity")) applied.push_back(coding);
    return applied;
}

// A page is read only as WinINet unpacks it: in no coding, or in one it decodes.
bool Readable(const std::vector<std::string>& applied, bool decoding) {
    if (applied.empty()) return true;
    const std::string& only = applied.front();
    return decoding && applied.size() == 1 &&
           (EqualsIgnoreCase(only, "gzip") || EqualsIgnoreCase(only, "x-gzip") || EqualsIgnoreCase(only, "deflate"));
}

// The page's length as the answer's Content-Length gives it (a number too
// large for 64 bits as the largest there is); none for none. False when one
// is no number, or two differ: the page's end cannot be known.
bool AnnouncedLength(const HttpHead& head, std::optional<std::uint64_t>& length) {
    for (const std::string& item : head.List("Content-Length")) {
        if (!AllDigits(item)) return false;
        const std::uint64_t value = item.size() > 19 ? std::numeric_limits<std::uint64_t>::max() : std::stoull(item);
        if (length && *length != value) return false;
        length = value;
    }
    return true;
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
    if (rawHead.find_first_not_of("\r\n") == std::string_view::npos)
        return Failed(FetchFailure{.kind = Kind::ClosedWithoutAnswer, .host = context.address.host});
    const auto head = ParseHttpHead(rawHead);
    if (!head) return Failed(FetchFailure{.kind = Kind::Unreadable, .host = context.address.host});
    if (const std::string* location = head->Field("Location"); location && IsRedirect(head->status))
        return MoveTo(*location, context);
    if (head->status < 200 || head->status > 299) {
        // Only a busy server's wait is obeyed, and so only then told.
        const bool busy = head->status == 429 || head->status == 503;
        return Failed(FetchFailure{.kind = Kind::HttpStatus,
                                   .host = context.address.host,
                                   .status = head->status,
                                   .reason = head->reason,
                                   .wait = busy ? RetryAfter(*head, context.now) : std::nullopt,
                                   .viaProxy = context.viaProxy});
    }
    const auto codings = head->List("Content-Encoding");
    const auto applied = Applied(codings);
    if (!Readable(applied, context.decoding))
        return Failed(FetchFailure{.kind = Kind::Compressed, .encoding = Joined(codings)});
    // A transfer coding (chunked) frames the page instead of its length.
    if (head->Field("Transfer-Encoding")) return {AnswerDecision::Action::ReadPage, {}, {}};
    std::optional<std::uint64_t> length;
    if (!AnnouncedLength(*head, length))
        return Failed(FetchFailure{.kind = Kind::BadLength, .host = context.address.host});
    if (length && *length > context.pageCap)
        return Failed(FetchFailure{.kind = Kind::TooLarge, .size = context.pageCap});
    return {AnswerDecision::Action::ReadPage, {}, {}, applied.empty() ? length : std::nullopt};
}

std::optional<FetchFailure> JudgePage(const AnswerDecision& decision, std::uint64_t received) {
    if (decision.length && received < *decision.length) return FetchFailure{.kind = Kind::Torn, .size = received};
    return std::nullopt;
}
