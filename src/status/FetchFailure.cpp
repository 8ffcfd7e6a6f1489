#include "status/FetchFailure.h"

#include <array>
#include <string_view>
#include <vector>

#include "common/Text.h"

namespace {
using Kind = FetchFailure::Kind;

// The values a message names, in its order.
enum class Value { None, Host, Error, Address, Status, Reason, Wait, Time, Size, Bytes, Encoding, Limit };

// A failure's message: the first row of its kind whose status is the
// answer's (0: any status) and, for a row marked so, whose answer came
// through a proxy. When the last of its values is unknown, the row's shorter
// message says the rest.
struct Words {
    Kind kind;
    int status;
    bool viaProxy;
    Msg message;
    std::array<Value, 3> values{};
    std::optional<Msg> shorter{};
};
using V = Value;
const Words kWords[] = {
    {Kind::NoInternetFunctions, 0, false, Msg::FetchNoInternetFunctions},
    {Kind::NotHttpAddress, 0, false, Msg::FetchNotHttpAddress, {V::Address}},
    {Kind::PreviousStillWaiting, 0, false, Msg::FetchPreviousStillWaiting},
    {Kind::ProgramClosing, 0, false, Msg::ScanClosing},
    {Kind::CannotStartWorker, 0, false, Msg::FetchCannotStart, {V::Error}},
    {Kind::Exception, 0, false, Msg::FetchException, {V::Error}},
    {Kind::Cancelled, 0, false, Msg::FetchCancelled},
    {Kind::NoAnswerInTime, 0, false, Msg::FetchNoAnswerInTime, {V::Time}},
    {Kind::TooSlow, 0, false, Msg::FetchTooSlow, {V::Time}},
    {Kind::CannotOpenSession, 0, false, Msg::FetchCannotOpenSession, {V::Host, V::Error}},
    {Kind::CannotConnect, 0, false, Msg::FetchCannotConnect, {V::Host, V::Error}},
    {Kind::CannotPrepareRequest, 0, false, Msg::FetchCannotPrepareRequest, {V::Host, V::Error}},
    {Kind::CannotSend, 0, false, Msg::FetchCannotSend, {V::Host, V::Error}},
    {Kind::ProxyUnreachable, 0, false, Msg::FetchProxyUnreachable, {V::Error}},
    {Kind::Unreadable, 0, false, Msg::FetchUnreadableBecause, {V::Host, V::Error}, Msg::FetchUnreadable},
    {Kind::BrokeOff, 0, false, Msg::FetchBrokeOff, {V::Host, V::Error}},
    {Kind::Torn, 0, false, Msg::FetchTorn, {V::Bytes}},
    {Kind::ClosedWithoutAnswer, 0, false, Msg::FetchClosedWithoutAnswer, {V::Host}},
    {Kind::BadLength, 0, false, Msg::FetchBadLength, {V::Host}},
    {Kind::MovedNowhere, 0, false, Msg::FetchMovedNowhere},
    {Kind::MovedTooFar, 0, false, Msg::FetchMovedTooFar},
    {Kind::MovedToNonHttp, 0, false, Msg::FetchMovedToNonHttp},
    {Kind::MovedToInsecure, 0, false, Msg::FetchMovedToInsecure},
    {Kind::RedirectLoop, 0, false, Msg::FetchRedirectLoop},
    {Kind::TooManyRedirects, 0, false, Msg::FetchTooManyRedirects, {V::Limit}},
    {Kind::Compressed, 0, false, Msg::FetchCompressed, {V::Encoding}},
    {Kind::TooLarge, 0, false, Msg::FetchTooLarge, {V::Size}},
    // The common answers as what they mean to a player, the others by their
    // number and the server's own reason.
    {Kind::HttpStatus, 401, false, Msg::HttpPassword},
    {Kind::HttpStatus, 403, false, Msg::HttpForbidden},
    {Kind::HttpStatus, 404, false, Msg::HttpNotFound},
    {Kind::HttpStatus, 407, false, Msg::HttpProxyLogon},
    {Kind::HttpStatus, 429, false, Msg::HttpBusyWait, {V::Wait}, Msg::HttpBusy},
    // A proxy answers so for a server it cannot reach; whether the lobby's
    // own answer came through it, no header tells.
    {Kind::HttpStatus, 503, true, Msg::HttpProxyMaintenanceWait, {V::Host, V::Wait}, Msg::HttpProxyMaintenance},
    {Kind::HttpStatus, 503, false, Msg::HttpMaintenanceWait, {V::Wait}, Msg::HttpMaintenance},
    {Kind::HttpStatus, 502, true, Msg::HttpProxyCannotReach, {V::Host}},
    {Kind::HttpStatus, 504, true, Msg::HttpProxyCannotReach, {V::Host}},
    {Kind::HttpStatus, 0, false, Msg::HttpStatusReason, {V::Host, V::Status, V::Reason}, Msg::HttpStatus},
};

// Text a server sent, fit for the status line: printable ASCII, kept short.
std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 40)) shown += c >= ' ' && c <= '~' ? c : '?';
    return shown;
}

// A value as its message shows it; none when it is unknown.
std::optional<Arg> ValueOf(Value value, const FetchFailure& f) {
    const auto text = [](std::string shown) { return shown.empty() ? std::nullopt : std::optional<Arg>(shown); };
    switch (value) {
        case Value::None: break;
        case Value::Host: return text(f.host);
        case Value::Error: return f.error;
        case Value::Address: return Arg(f.address);
        case Value::Status: return Arg(Int{f.status});
        case Value::Reason: return text(Shown(f.reason));
        case Value::Wait:
            return f.wait ? std::optional<Arg>(DurationMessage(std::chrono::seconds(*f.wait))) : std::nullopt;
        case Value::Time: return Arg(ExactDurationMessage(f.time));
        case Value::Size: return Arg(SizeMessage(f.size));
        case Value::Bytes: return Arg(Count{static_cast<std::int64_t>(f.size)});
        case Value::Encoding: return Arg(Shown(f.encoding));
        case Value::Limit: return Arg(Count{f.limit});
    }
    return std::nullopt;
}
}  // namespace

Message FetchFailureMessage(const FetchFailure& failure) {
    for (const Words& words : kWords) {
        if (words.kind != failure.kind || (words.status != 0 && words.status != failure.status) ||
            (words.viaProxy && !failure.viaProxy))
            continue;
        Msg id = words.message;
        std::vector<Arg> values;
        for (std::size_t i = 0; i < words.values.size() && words.values[i] != Value::None; ++i) {
            std::optional<Arg> value = ValueOf(words.values[i], failure);
            const bool last = i + 1 == words.values.size() || words.values[i + 1] == Value::None;
            if (!value && last && words.shorter) {
                id = *words.shorter;
                break;
            }
            values.push_back(value ? std::move(*value) : Arg(std::string()));
        }
        return Message(id, std::move(values));
    }
    return Message(Msg::ScanFailed);
}
