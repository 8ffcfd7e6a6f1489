#include <gtest/gtest.h>

#include "status/HttpAnswer.h"
#include "text/Languages.h"
#include "text/Texts.h"

namespace {

using Kind = FetchFailure::Kind;

constexpr std::int64_t kNoon = 1704110400;  // Mon, 01 Jan 2024 12:00:00 GMT
constexpr std::uint64_t kCap = 64 * 1024;

struct Answer {
    std::string head;     // after "HTTP/1.1 "; lines end in "\n"; "": the server closed without answering
    std::string outcome;  // "read", "-> the next address", or the failure's words
    std::optional<std::int64_t> wait = std::nullopt;
    bool viaProxy = false;
    bool decoding = true;
    std::string from = "http://lobby.example/status";
    int moves = 0;  // redirects followed before this answer
};

TEST(AnswerPolicy, EachAnswerMeansWhatItSays) {
    const std::string date = "Date: Mon, 01 Jan 2024 12:00:00 GMT\n";
    const Answer answers[] = {
        {"200 OK\nContent-Length: 10\n", "read"},
        {"401 Unauthorized\nWWW-Authenticate: NTLM\n", "the page asks for a password"},
        {"403 Forbidden\n", "the server refuses access to the status page"},
        {"404 Not Found\n", "no status page at this address"},
        {"407 Proxy Authentication Required\n",
         "the proxy server set in Windows' Internet Options asks for a user name and password"},
        {"429 Too Many\nRetry-After: 120\n", "the status server is busy; it asks to wait 2 min", 120},
        {"429 Too Many\n", "the status server is busy"},
        {"500 Error\nRetry-After: 120\n", "lobby.example answered with HTTP status 500 (Error)"},  // not obeyed
        {"", "lobby.example closed the connection without answering"},
        {"503 Busy\n" + date + "Retry-After: Mon, 01 Jan 2024 13:30:00 GMT\n",
         "the status server is busy or down for maintenance; it asks to wait 1 h 30 min", 5400},
        {"503 Busy\nRetry-After: 45\n", "the status server is busy or down for maintenance; it asks to wait 45 s", 45},
        // Retry-After that asks for nothing: the wait is not told.
        {"503 Busy\nRetry-After: soon\n", "the status server is busy or down for maintenance"},
        {"503 Busy\nRetry-After: -5\n", "the status server is busy or down for maintenance"},
        {"503 Busy\nRetry-After: 0\n", "the status server is busy or down for maintenance"},
        {"503 Busy\nRetry-After: 99999999999\n", "the status server is busy or down for maintenance"},
        {"503 Busy\n" + date + "Retry-After: Mon, 01 Jan 2024 11:00:00 GMT\n",
         "the status server is busy or down for maintenance"},
        // A date without the answer's Date is measured from this clock.
        {"503 Busy\nRetry-After: Monday, 01-Jan-24 12:00:30 GMT\n",
         "the status server is busy or down for maintenance; it asks to wait 30 s", 30},
        {"503 Busy\n" + date + "retry-after: Mon Jan  1 12:01:01 2024\n",
         "the status server is busy or down for maintenance; it asks to wait 2 min", 61},
        {"503 Busy\nRetry-After:\n  30\n", "the status server is busy or down for maintenance; it asks to wait 30 s",
         30},
        {"503 Unavailable\nRetry-After: 5400\n",
         "the proxy server could not reach lobby.example, or it is down for maintenance; it asks to wait 1 h 30 min",
         5400, true},
        {"502 Bad Gateway\n", "the proxy server could not reach lobby.example", std::nullopt, true},
        {"504 Gateway Timeout\n", "the proxy server could not reach lobby.example", std::nullopt, true},
        {"502 Bad Gateway\n", "lobby.example answered with HTTP status 502 (Bad Gateway)"},
        {"500 Error\n", "lobby.example answered with HTTP status 500 (Error)"},
        {"500\n", "lobby.example answered with HTTP status 500"},
        {"500 Tab\there and a reason far longer than forty characters\n",
         "lobby.example answered with HTTP status 500 (Tab?here and a reason far longer than fo)"},
        {"100 Continue\n", "lobby.example answered with HTTP status 100 (Continue)"},
        {"302 Found\n", "lobby.example answered with HTTP status 302 (Found)"},
        {"304 Not Modified\nLocation: /elsewhere\n", "lobby.example answered with HTTP status 304 (Not Modified)"},
        {"garbage", "unreadable answer from lobby.example"},
        // Moves.
        {"302 Found\nLocation: moved?x=1\n", "-> http://lobby.example/moved?x=1"},
        {"301 Moved\nLocation: https://lobby.example:8443/s\n", "-> https://lobby.example:8443/s"},
        {"307 Temporary\nlocation:   //mirror.example/a/../b#top\n", "-> http://mirror.example/b"},
        {"308 Permanent\nLocation: ftp://lobby.example/\n",
         "the page moved to an address that is not http:// or https://"},
        {"303 See Other\nLocation: http://lobby.example/status\n",
         "the page moved from https to an insecure http address", std::nullopt, false, true,
         "https://lobby.example/status"},
        {"301 Moved\nLocation: /status\n", "the status page redirects in a loop"},
        {"301 Moved\nLocation: /status#again\n", "the status page redirects in a loop"},
        {"302 Found\nLocation:  \n", "the page moved without saying where"},
        {"302 Found\nLocation: /" + std::string(2062, 'x') + "\n", "-> http://lobby.example/" + std::string(2062, 'x')},
        {"302 Found\nLocation: /" + std::string(2063, 'x') + "\n", "the page moved to an address that is too long"},
        {"301 Moved\nLocation: /next\n", "-> http://lobby.example/next", std::nullopt, false, true,
         "http://lobby.example/status", 4},
        {"301 Moved\nLocation: /next\n", "the status page redirects more than 5 times", std::nullopt, false, true,
         "http://lobby.example/status", 5},
        // Content-Encoding and Content-Length.
        {"200 OK\nContent-Encoding: identity\n", "read", std::nullopt, false, false},
        {"200 OK\nContent-Encoding: GZIP\n", "read"},
        {"200 OK\nContent-Encoding: deflate\n", "read"},
        {"200 OK\nContent-Encoding: gzip\n", "the page came compressed (gzip) and cannot be read", std::nullopt, false,
         false},
        {"200 OK\nContent-Encoding: br\n", "the page came compressed (br) and cannot be read"},
        {"200 OK\nContent-Encoding: gzip\nContent-Encoding: br\n",
         "the page came compressed (gzip, br) and cannot be read"},
        {"200 OK\nContent-Length: 65536\n", "read"},
        {"200 OK\nContent-Length: 65537\n", "the page is larger than 64 KiB"},
        {"200 OK\ncontent-length: 99999999999999999999999\n", "the page is larger than 64 KiB"},
        {"200 OK\nContent-Length: 12, 12\nContent-Length: 12\n", "read"},
        {"200 OK\nContent-Length: 12\nContent-Length: 13\n", "lobby.example sent an invalid page length"},
        {"200 OK\nContent-Length: lots\n", "lobby.example sent an invalid page length"},
        {"200 OK\nContent-Length: -5\n", "lobby.example sent an invalid page length"},
        {"200 OK\nContent-Length: -5\nTransfer-Encoding: chunked\n", "read"},  // the chunks frame the page
    };
    for (const Answer& answer : answers) {
        const StatusSource from = StatusSource::FromUrl(answer.from);
        std::vector<std::string> visited{from.Address()};
        for (int i = 0; i < answer.moves; ++i) visited.push_back("http://lobby.example/" + std::to_string(i));
        const std::string raw = answer.head.empty() ? "\r\n" : "HTTP/1.1 " + answer.head + "\n";
        const AnswerDecision decision =
            JudgeAnswer(raw, {from, visited, answer.decoding, answer.viaProxy, kCap, kNoon});
        std::string outcome = InEnglish(FetchFailureMessage(decision.failure));
        if (decision.action == AnswerDecision::Action::ReadPage) outcome = "read";
        if (decision.action == AnswerDecision::Action::FollowRedirect) outcome = "-> " + decision.next.Address();
        EXPECT_EQ(outcome, answer.outcome) << answer.head;
        EXPECT_EQ(decision.failure.wait, answer.wait) << answer.head;
    }
}

// A page that ends short of the length its answer announced broke off; one
// whose length is not told, or told of its bytes before WinINet unpacked
// them, cannot be measured.
TEST(AnswerPolicy, APageShorterThanAnnouncedBrokeOff) {
    const std::tuple<const char*, std::uint64_t, const char*> pages[] = {
        {"Content-Length: 400\n", 115, "the page broke off after 115 bytes"},
        {"Content-Length: 400\n", 400, ""},
        {"", 115, ""},
        {"Content-Length: 400\nContent-Encoding: gzip\n", 2000, ""},
    };
    const StatusSource from = StatusSource::FromUrl("http://lobby.example/");
    const std::vector<std::string> visited{from.Address()};
    for (const auto& [fields, received, outcome] : pages) {
        const AnswerDecision decision =
            JudgeAnswer(std::string("HTTP/1.1 200 OK\n") + fields, {from, visited, true, false, kCap, kNoon});
        ASSERT_EQ(decision.action, AnswerDecision::Action::ReadPage) << fields;
        const auto torn = JudgePage(decision, received);
        EXPECT_EQ(torn ? InEnglish(FetchFailureMessage(*torn)) : "", outcome) << fields << received;
    }
}

TEST(FetchFailureWords, EachKindNamesItsValues) {
    const std::pair<FetchFailure, const char*> cases[] = {
        {{.kind = Kind::NoInternetFunctions}, "the internet functions of Windows (wininet.dll) could not be loaded"},
        {{.kind = Kind::NotHttpAddress, .address = "ftp://u:****@h/"},
         "\"ftp://u:****@h/\" is not an http:// or https:// address"},
        {{.kind = Kind::PreviousStillWaiting}, "the previous check is still waiting for an answer"},
        {{.kind = Kind::ProgramClosing}, "the program is closing"},
        {{.kind = Kind::CannotStartWorker, .error = std::string("no memory")}, "could not start the fetch: no memory"},
        {{.kind = Kind::Exception, .error = std::string("bad_alloc")}, "the fetch failed: bad_alloc"},
        {{.kind = Kind::Cancelled}, "the fetch was cancelled"},
        {{.kind = Kind::NoAnswerInTime, .time = std::chrono::milliseconds(1500)},
         "the server did not answer within 1500 ms"},
        {{.kind = Kind::TooSlow, .time = std::chrono::seconds(3600)},
         "the page came too slowly: incomplete after 3600 s"},
        {{.kind = Kind::CannotOpenSession, .host = "h", .error = std::string("e")},
         "could not start the internet connection for h: e"},
        {{.kind = Kind::CannotConnect, .host = "h", .error = std::string("e")}, "could not connect to h: e"},
        {{.kind = Kind::CannotPrepareRequest, .host = "h", .error = std::string("e")},
         "could not prepare the request to h: e"},
        {{.kind = Kind::CannotSend, .host = "h", .error = std::string("e")}, "could not get the page from h: e"},
        {{.kind = Kind::ProxyUnreachable, .error = std::string("e")},
         "could not reach the proxy server set in Windows' Internet Options: e"},
        {{.kind = Kind::Unreadable, .host = "h", .error = std::string("e")}, "unreadable answer from h: e"},
        {{.kind = Kind::BrokeOff, .host = "h", .error = std::string("e")}, "the page broke off from h: e"},
        {{.kind = Kind::TooLarge, .size = 1000}, "the page is larger than 1000 bytes"},
    };
    for (const auto& [failure, words] : cases) EXPECT_EQ(InEnglish(FetchFailureMessage(failure)), words);
}

// Windows' reason inside a failure is a message of the same catalogue: the
// whole line speaks the player's language (here the test language, all of it
// accented and bracketed).
TEST(FetchFailureWords, WindowsReasonSpeaksTheSameLanguage) {
    const FetchFailure failure{.kind = Kind::CannotSend, .host = "h", .error = Message(Msg::NetCannotConnect)};
    const Message said = FetchFailureMessage(failure);
    EXPECT_EQ(said.Id(), Msg::FetchCannotSend);
    const InvariantFormat format;
    const std::string pseudo = Texts(format, *FindLanguage("qps-ploc"))(said);
    EXPECT_EQ(pseudo.find("could not"), std::string::npos) << pseudo;
    EXPECT_EQ(pseudo.find("the connection"), std::string::npos) << pseudo;
    EXPECT_NE(pseudo.find(" h: ["), std::string::npos) << pseudo;
}

TEST(HttpHead, FieldsInAnyOrderCaseAndSizeFoldedOrRepeated) {
    const std::string longValue(100000, 'v');
    const auto head = ParseHttpHead("HTTP/1.0   503   Service  Unavailable \r\nX-Long: " + longValue +
                                    "\r\nno colon here\r\n: nameless\r\nRETRY-AFTER:\t 5 \r\n "
                                    "retry\r\n\tlater\r\nretry-after: 9\r\n\r\nBody: no\r\n");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 503);
    EXPECT_EQ(head->reason, "Service  Unavailable");
    ASSERT_EQ(head->fields.size(), 3u);
    EXPECT_EQ(*head->Field("x-long"), longValue);
    EXPECT_EQ(*head->Field("Retry-After"), "5 retry later");
    EXPECT_EQ(head->Field("Body"), nullptr);
    for (const char* notHttp : {"", "\r\n", "HTTP/1.1", "HTTP/1.1 20 OK", "HTTP/1.1 2000 OK", "HTTP/1.1 099 Low",
                                "ICY 200 OK", "HTTP/1.1 200OK"})
        EXPECT_FALSE(ParseHttpHead(notHttp)) << notHttp;
}

TEST(HttpDate, TheThreeFormsAndNothingElse) {
    const std::pair<const char*, std::optional<std::int64_t>> dates[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
        {"Sunday, 06-Nov-94 08:49:37 GMT", 784111777},
        {"Sun Nov  6 08:49:37 1994", 784111777},
        {"sun, 06 NOV 1994 08:49:37 gmt", 784111777},
        {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
        {"Wed, 06-Nov-69 00:00:00 GMT", 3150921600},
        {"Tue, 29 Feb 2000 23:59:59 GMT", 951868799},
        {"Mon, 29 Feb 2100 00:00:00 GMT", std::nullopt},
        {"Sun, 31 Apr 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 8:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 08:49:37 CET", std::nullopt},
        {"Sun, 06 Nov 994 08:49:37 GMT", std::nullopt},
        {"Sun Nov  6 08:49:37 1994 GMT", std::nullopt},
        {"120", std::nullopt},
    };
    for (const auto& [text, seconds] : dates) EXPECT_EQ(ParseHttpDate(text), seconds) << text;
}

}  // namespace
