#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "LoopbackServer.h"

// Ways a status server can misbehave, each answered by Serve on one
// connection. Good serves a normal page with the given player count.
enum class PageFault {
    Good,
    NeverAnswer,       // accepts and says nothing
    HeadersThenStall,  // sends the head, then nothing
    Drip,              // the head, then the page a byte a second
    HugeBody,          // 8 MiB (twice the program's cap), announced
    HugeBodyUnannounced,
    BadChunks,          // invalid chunked encoding
    RedirectToRefused,  // 302 to a port where nothing listens
    ServerError,        // 500 with an HTML page that even lists players
    WindowsLogon,       // 401 asking for the user's Windows logon (NTLM, Negotiate)
    RedirectLoop,       // 301 to itself
    MovedRelative,      // 302 from / to a relative address, where the page is
    Gzip,               // a page of 5 players gzip-compressed, unasked
    Brotli,             // the page in a compression WinINet does not unpack
    NotFound,           // 404
    Busy,               // 429, to come back in 120 s
    Maintenance,        // 503, to come back at a time 90 minutes after the answer's date
    ProxyLogon,         // 407 asking for the user's Windows logon, as a proxy server would
};

inline const char* Name(PageFault fault) {
    switch (fault) {
        case PageFault::Good: return "good";
        case PageFault::NeverAnswer: return "never answers";
        case PageFault::HeadersThenStall: return "headers, then stalls";
        case PageFault::Drip: return "drips a byte a second";
        case PageFault::HugeBody: return "8 MiB body";
        case PageFault::HugeBodyUnannounced: return "8 MiB body, no length";
        case PageFault::BadChunks: return "invalid chunked encoding";
        case PageFault::RedirectToRefused: return "redirect to a refused port";
        case PageFault::ServerError: return "500 with a page";
        case PageFault::WindowsLogon: return "401 asking for a Windows logon";
        case PageFault::RedirectLoop: return "redirect to itself";
        case PageFault::MovedRelative: return "relative redirect";
        case PageFault::Gzip: return "gzip, unasked";
        case PageFault::Brotli: return "br compression";
        case PageFault::NotFound: return "404";
        case PageFault::Busy: return "429 with Retry-After";
        case PageFault::Maintenance: return "503 with a Retry-After date";
        case PageFault::ProxyLogon: return "407 asking for a Windows logon";
    }
    return "?";
}

inline std::string ListingPage(int players) {
    return "<html><table><tr><td><font face=Verdana>Drevak&nbsp;Wing</font></td><td><font face=Verdana>" +
           std::to_string(players) + "</font></td></tr></table></html>";
}

// A page listing 5 players as gzip -9 compresses it: none of its text shows.
constexpr char kGzippedPage[] =
    "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xb3\xc9\x28\xc9\xcd\xb1\xb3\x29\x49\x4c\xca\x49\x05\x52"
    "\x45\x40\x9c\x62\x67\x93\x96\x9f\x57\xa2\x90\x96\x98\x9c\x6a\x1b\x96\x5a\x94\x92\x98\x97\x68\xe7"
    "\x52\x94\x5a\x96\x98\xad\x96\x97\x54\x5c\x60\x1d\x9e\x99\x97\x6e\xa3\x0f\x52\x63\x67\xa3\x0f\x52"
    "\x8e\x5d\x8b\x29\x8a\x1a\x7d\x90\xd9\xfa\x50\x7b\xf4\xc1\xb6\x02\x00\x7b\xe8\xf4\x43\x7c\x00\x00"
    "\x00";

// Answers one request the way current says. A fault that holds the
// connection (silence, a stall, a drip) holds it until the server stops or
// current changes: a client that cannot cancel its read is let go then.
inline void Serve(LoopbackServer& server, SOCKET client, const std::atomic<PageFault>& current, int players,
                  const std::string& request = {}) {
    const PageFault fault = current;
    const auto holding = [&](DWORD ms) { return !server.WaitForStop(ms) && current == fault; };
    const std::string page = ListingPage(players);
    const auto send = [&](std::string_view bytes) { LoopbackServer::SendAll(client, bytes); };
    const auto answer = [&](int status, std::string_view body, std::string_view fields = {}) {
        send(LoopbackServer::Response(status, body, fields));
    };
    switch (fault) {
        case PageFault::Good: return answer(200, page);
        case PageFault::NeverAnswer:
            while (holding(100)) {
            }
            return;
        case PageFault::HeadersThenStall:
            send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5000\r\n\r\n");
            while (holding(100)) {
            }
            return;
        case PageFault::Drip: {
            const std::string body = page + std::string(2000, ' ');
            const std::string whole = LoopbackServer::Response(200, body);
            send(whole.substr(0, whole.size() - body.size()));
            for (char c : body) {
                if (!LoopbackServer::SendAll(client, std::string(1, c)) || !holding(1000)) return;
            }
            return;
        }
        case PageFault::HugeBody:
        case PageFault::HugeBodyUnannounced: {
            const std::size_t size = 8u << 20;
            send(fault == PageFault::HugeBody ? "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                                    std::to_string(size) + "\r\nConnection: close\r\n\r\n"
                                              : "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n");
            const std::string block = page + std::string(65536 - page.size(), 'x');
            for (std::size_t sent = 0; sent < size; sent += block.size())
                if (!LoopbackServer::SendAll(client, block)) return;
            return;
        }
        case PageFault::BadChunks:
            return send(
                "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\nConnection: "
                "close\r\n\r\nZZZ\r\n" +
                page + "\r\nQ\r\n\r\n");
        case PageFault::RedirectToRefused:
            return answer(302, "",
                          "Location: http://127.0.0.1:" + std::to_string(LoopbackServer::RefusedPort()) + "/\r\n");
        case PageFault::ServerError: return answer(500, page);
        case PageFault::WindowsLogon:
            return answer(401, page, "WWW-Authenticate: Negotiate\r\nWWW-Authenticate: NTLM\r\n");
        case PageFault::RedirectLoop: return answer(301, "", "Location: /\r\n");
        case PageFault::MovedRelative:
            return request.rfind("GET / ", 0) == 0 ? answer(302, "", "Location: moved?x=1\r\n") : answer(200, page);
        case PageFault::Gzip:
            return answer(200, std::string_view(kGzippedPage, sizeof kGzippedPage - 1), "Content-Encoding: gzip\r\n");
        case PageFault::Brotli: return answer(200, "\x1b\x03\x80", "Content-Encoding: br\r\n");
        case PageFault::NotFound: return answer(404, page);
        case PageFault::Busy: return answer(429, "", "Retry-After: 120\r\n");
        case PageFault::Maintenance:
            return answer(503, "",
                          "Date: Mon, 01 Jan 2024 12:00:00 GMT\r\nRetry-After: Mon, 01 Jan 2024 13:30:00 GMT\r\n");
        case PageFault::ProxyLogon:
            return answer(407, "", "Proxy-Authenticate: Negotiate\r\nProxy-Authenticate: NTLM\r\n");
    }
}
