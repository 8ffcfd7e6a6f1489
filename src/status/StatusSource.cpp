#include "status/StatusSource.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Length of the scheme ("http") that text starts with, ':' after it; 0 for none.
std::size_t SchemeLength(std::string_view text) {
    if (text.empty() || !IsAlpha(text[0])) return 0;
    std::size_t n = 1;
    while (n < text.size() &&
           (IsAlpha(text[n]) || IsDigit(text[n]) || text[n] == '+' || text[n] == '-' || text[n] == '.'))
        ++n;
    return n < text.size() && text[n] == ':' ? n : 0;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower;
}

// A host name's characters (unreserved, sub-delims, '%'); for an IPv6 literal
// those of one.
bool ValidHost(std::string_view host, bool literal) {
    const std::string_view other = literal ? ":." : "-._~%!$&'()*+,;=";
    return !host.empty() && std::all_of(host.begin(), host.end(), [&](char c) {
        return (literal ? IsHex(c) : IsAlpha(c) || IsDigit(c)) || other.find(c) != std::string_view::npos;
    });
}

// An explicit port: digits from 1 to 65535.
std::optional<std::uint16_t> Port(std::string_view text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), IsDigit)) return std::nullopt;
    const int port = std::stoi(std::string(text));
    if (port < 1 || port > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

// Path and query as a request sends them: from '/', bytes a request line
// cannot carry %-escaped (a '%' stays: the text may be escaped already).
std::string Target(std::string_view rest) {
    std::string target = rest.empty() || rest.front() == '?' ? "/" : "";
    for (unsigned char c : rest) {
        if (c > ' ' && c < 0x7f &&
            std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) == std::string_view::npos) {
            target += static_cast<char>(c);
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            target += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return target;
}

// The path without "." and ".." segments (RFC 3986, 5.2.4); path starts with '/'.
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> kept;
    for (std::size_t start = 1;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment = path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        const bool last = slash == std::string_view::npos;
        const bool dots = segment == "." || segment == "..";
        if (segment == ".." && !kept.empty()) kept.pop_back();
        if (!dots || last) kept.push_back(dots ? std::string_view{} : segment);
        if (last) break;
        start = slash + 1;
    }
    std::string result;
    for (const std::string_view segment : kept) result.append("/").append(segment);
    return result;
}
}  // namespace

StatusSource StatusSource::FromUrl(const std::string& url) {
    StatusSource source;
    source.url = source.shown = url;
    // The authority (user info, host, port) follows "scheme://", or opens a
    // url that names no scheme.
    const std::size_t schemeLength = SchemeLength(url);
    const bool hasScheme = schemeLength && url.compare(schemeLength, 3, "://") == 0;
    const std::size_t start = hasScheme ? schemeLength + 3 : 0;
    const std::size_t end = std::min(url.find_first_of("/?#", start), url.size());
    const std::string_view authority = std::string_view(url).substr(start, end - start);

    std::string_view hostPort = authority;
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        hostPort.remove_prefix(at + 1);
        // The password, "user:password@", masked.
        if (const auto colon = authority.find(':'); colon != std::string_view::npos && colon + 1 < at)
            source.shown = url.substr(0, start + colon + 1) + "****" + url.substr(start + at);
    }
    std::string_view portText;
    bool hasPort = false, wellFormed = true;
    const bool literal = !hostPort.empty() && hostPort.front() == '[';
    if (literal) {
        // IPv6 literal: the host is what is inside the brackets.
        const auto close = hostPort.find(']');
        source.host = hostPort.substr(1, close == std::string_view::npos ? close : close - 1);
        const std::string_view after = close == std::string_view::npos ? "?" : hostPort.substr(close + 1);
        wellFormed = after.empty() || after.front() == ':';
        hasPort = !after.empty();
        portText = after.substr(std::min<std::size_t>(1, after.size()));
    } else {
        const auto colon = hostPort.find(':');
        source.host = hostPort.substr(0, colon);
        hasPort = colon != std::string_view::npos;
        if (hasPort) portText = hostPort.substr(colon + 1);
    }

    source.scheme = hasScheme ? Lower(std::string_view(url).substr(0, schemeLength)) : "";
    source.secure = source.scheme == "https";
    const std::uint16_t defaultPort = source.secure ? 443 : 80;
    const auto port = hasPort && !portText.empty() ? Port(portText) : std::optional(defaultPort);
    source.isHttp = (source.secure || source.scheme == "http") && wellFormed && port && ValidHost(source.host, literal);
    if (!source.isHttp) return source;
    source.port = *port;
    const std::string_view rest = std::string_view(url).substr(end);
    source.target = Target(rest.substr(0, rest.find('#')));
    return source;
}

std::string StatusSource::ServerName() const { return host.find(':') == std::string::npos ? host : "[" + host + "]"; }

std::string StatusSource::Address() const {
    std::string address = scheme + "://" + ServerName();
    if (port != (secure ? 443 : 80)) address.append(":").append(std::to_string(port));
    return address + target;
}

StatusSource StatusSource::Resolve(std::string_view reference) const {
    reference = reference.substr(0, reference.find('#'));
    std::string resolved;
    if (SchemeLength(reference)) {
        resolved = reference;
    } else if (reference.substr(0, 2) == "//") {
        resolved = scheme + ":" + std::string(reference);
    } else {
        // A path relative to this one's folder, or a query (or nothing) for this path.
        const std::string_view basePath = std::string_view(target).substr(0, target.find('?'));
        const std::size_t question = reference.find('?');
        const std::string_view path = reference.substr(0, question);
        std::string_view query = question == std::string_view::npos ? "" : reference.substr(question);
        if (path.empty() && question == std::string_view::npos)
            query = std::string_view(target).substr(basePath.size());
        std::string merged(path.empty() || path.front() == '/' ? "" : basePath.substr(0, basePath.rfind('/') + 1));
        merged += path.empty() ? basePath : path;
        const std::string address = Address();
        resolved = address.substr(0, address.size() - target.size()) + RemoveDotSegments(merged) + std::string(query);
    }
    StatusSource next = FromUrl(resolved);
    if (!next.isHttp) return next;
    const std::size_t question = std::min(next.target.find('?'), next.target.size());
    next.target = RemoveDotSegments(std::string_view(next.target).substr(0, question)) + next.target.substr(question);
    next.url = next.shown = next.Address();
    return next;
}
