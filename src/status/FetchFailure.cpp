#include "status/FetchFailure.h"

#include <string_view>

#include "common/Text.h"

namespace {
using Kind = FetchFailure::Kind;

// A failure's words: the first row of its kind whose status is the answer's
// (0: any status) and, for a row marked so, whose answer came through a
// proxy. {name} stands for a value; a part in [...] is left out when a value
// in it is unknown.
struct Words {
    Kind kind;
    int status;
    bool viaProxy;
    std::string_view text;
};
constexpr Words kWords[] = {
    {Kind::NoInternetFunctions, 0, false, "the internet functions of Windows (wininet.dll) could not be loaded"},
    {Kind::NotHttpAddress, 0, false, "{address} is not an http:// or https:// address"},
    {Kind::PreviousStillWaiting, 0, false, "the previous check is still waiting for an answer"},
    {Kind::ProgramClosing, 0, false, "the program is closing"},
    {Kind::CannotStartWorker, 0, false, "could not start the fetch: {error}"},
    {Kind::Exception, 0, false, "the fetch failed: {error}"},
    {Kind::Cancelled, 0, false, "the fetch was cancelled"},
    {Kind::NoAnswerInTime, 0, false, "the server did not answer within {time}"},
    {Kind::TooSlow, 0, false, "the page came too slowly: incomplete after {time}"},
    {Kind::CannotOpenSession, 0, false, "could not start the internet connection for {host}: {error}"},
    {Kind::CannotConnect, 0, false, "could not connect to {host}: {error}"},
    {Kind::CannotPrepareRequest, 0, false, "could not prepare the request to {host}: {error}"},
    {Kind::CannotSend, 0, false, "could not get the page from {host}: {error}"},
    {Kind::ProxyUnreachable, 0, false, "could not reach the proxy server set in Windows' Internet Options: {error}"},
    {Kind::Unreadable, 0, false, "unreadable answer from {host}[: {error}]"},
    {Kind::BrokeOff, 0, false, "the page broke off from {host}: {error}"},
    {Kind::MovedToNonHttp, 0, false, "the page moved to an address that is not http:// or https://"},
    {Kind::MovedToInsecure, 0, false, "the page moved from https to an insecure http address"},
    {Kind::RedirectLoop, 0, false, "the status page redirects in a loop"},
    {Kind::TooManyRedirects, 0, false, "the status page redirects more than {limit} times"},
    {Kind::Compressed, 0, false, "the page came compressed ({encoding}) and cannot be read"},
    {Kind::TooLarge, 0, false, "the page is larger than {size}"},
    // The common answers as what they mean to a player, the others by their
    // number and the server's own reason.
    {Kind::HttpStatus, 401, false, "the page asks for a password"},
    {Kind::HttpStatus, 403, false, "the server refuses access to the status page"},
    {Kind::HttpStatus, 404, false, "no status page at this address"},
    {Kind::HttpStatus, 407, false,
     "the proxy server set in Windows' Internet Options asks for a user name and password"},
    {Kind::HttpStatus, 429, false, "the status server is busy[; it asks to wait {wait}]"},
    // A proxy answers so for a server it cannot reach; whether the lobby's
    // own answer came through it, no header tells.
    {Kind::HttpStatus, 503, true,
     "the proxy server could not reach {host}, or it is down for maintenance[; it asks to wait {wait}]"},
    {Kind::HttpStatus, 503, false, "the status server is busy or down for maintenance[; it asks to wait {wait}]"},
    {Kind::HttpStatus, 502, true, "the proxy server could not reach {host}"},
    {Kind::HttpStatus, 504, true, "the proxy server could not reach {host}"},
    {Kind::HttpStatus, 0, false, "{host} answered with HTTP status {status}[ ({reason})]"},
};

// Text a server sent, fit for the status line: printable ASCII, kept short.
std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 40)) shown += c >= ' ' && c <= '~' ? c : '?';
    return shown;
}

// A value's text; empty when it is unknown.
std::string Value(std::string_view name, const FetchFailure& f) {
    if (name == "host") return f.host;
    if (name == "error") return f.error;
    if (name == "address") return Quoted(f.address);
    if (name == "status") return std::to_string(f.status);
    if (name == "reason") return Shown(f.reason);
    if (name == "wait") return f.wait ? DurationText(std::chrono::seconds(*f.wait)) : "";
    if (name == "time") return ExactDurationText(f.time);
    if (name == "size") return SizeText(f.size);
    if (name == "encoding") return Shown(f.encoding);
    if (name == "limit") return std::to_string(f.limit);
    return "";
}

// text with its values in place; complete is cleared when one is unknown.
std::string Fill(std::string_view text, const FetchFailure& failure, bool& complete) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char open = text[i];
        const std::size_t close = text.find(open == '[' ? ']' : '}', i);
        if ((open != '[' && open != '{') || close == std::string_view::npos) {
            filled += open;
        } else if (open == '[') {
            bool known = true;
            const std::string part = Fill(text.substr(i + 1, close - i - 1), failure, known);
            if (known) filled += part;
            i = close;
        } else {
            const std::string value = Value(text.substr(i + 1, close - i - 1), failure);
            complete = complete && !value.empty();
            filled += value;
            i = close;
        }
    }
    return filled;
}
}  // namespace

std::string FetchFailureText(const FetchFailure& failure) {
    for (const Words& words : kWords) {
        if (words.kind != failure.kind || (words.status != 0 && words.status != failure.status) ||
            (words.viaProxy && !failure.viaProxy))
            continue;
        bool complete = true;
        return Fill(words.text, failure, complete);
    }
    return "the fetch failed";
}
