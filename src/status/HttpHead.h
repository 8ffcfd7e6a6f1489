#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The head of an HTTP answer: its status line and header fields.
struct HttpHead {
    int status = 0;                                           // 100 to 999
    std::string reason;                                       // the status line's text after the code, as sent
    std::vector<std::pair<std::string, std::string>> fields;  // in order; values trimmed, folded lines joined

    // The value of the first field named name (in any case); null for none.
    const std::string* Field(std::string_view name) const;
    // The values of every field named name, split at their commas and trimmed, empty ones left out.
    std::vector<std::string> List(std::string_view name) const;
};

// Reads a head as WinINet's HTTP_QUERY_RAW_HEADERS_CRLF gives it (or as a
// server sends it): "HTTP/1.1 503 Busy", then "Name: value" lines, up to an
// empty line or the end. Lines end in CRLF or LF; a line that begins with a
// space or tab continues the field before it; a line without a colon is
// passed over. Nothing when the first line is no HTTP status line.
std::optional<HttpHead> ParseHttpHead(std::string_view raw);

// Seconds since 1970-01-01 00:00 UTC for an HTTP date: the IMF-fixdate "Sun,
// 06 Nov 1994 08:49:37 GMT" and the obsolete "Sunday, 06-Nov-94 08:49:37 GMT"
// and "Sun Nov  6 08:49:37 1994"; any case, the weekday optional.
std::optional<std::int64_t> ParseHttpDate(std::string_view text);
