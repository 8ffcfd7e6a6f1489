#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "text/Message.h"

// Why a page fetch failed: what went wrong and the values that say more.
// What it tells the player comes from FetchFailureMessage alone.
struct FetchFailure {
    enum class Kind {
        NoInternetFunctions,   // wininet.dll could not be loaded
        NotHttpAddress,        // address
        PreviousStillWaiting,  // earlier fetches' workers are still blocked
        ProgramClosing,
        CannotStartWorker,  // error
        Exception,          // error
        Cancelled,
        NoAnswerInTime,  // time
        TooSlow,         // time: the page began but did not end in time
        CannotOpenSession,
        CannotConnect,
        CannotPrepareRequest,
        CannotSend,
        ProxyUnreachable,     // error
        Unreadable,           // host, error when a call failed
        BrokeOff,             // host, error: reading the page failed
        Torn,                 // size: the bytes that came before the connection ended
        ClosedWithoutAnswer,  // host
        BadLength,            // host: a Content-Length that is no length
        MovedNowhere,         // a redirect without an address
        MovedTooFar,          // to an address longer than a request can ask for
        MovedToNonHttp,
        MovedToInsecure,
        RedirectLoop,
        TooManyRedirects,  // limit
        Compressed,        // encoding
        TooLarge,          // size
        HttpStatus,        // host, status, reason, wait, viaProxy
    };

    Kind kind = Kind::Exception;
    std::string host{};                  // the host asked; with error, for the kinds Cannot…, BrokeOff
    std::optional<Arg> error{};          // why a call failed: the program's words (a Net message) or Windows'
    std::string address{};               // the address as shown (its password masked)
    int status = 0;                      // the answer's HTTP status
    std::string reason{};                // the status line's text, as the server sent it
    std::optional<std::int64_t> wait{};  // 429 and 503: seconds the answer asks to wait before asking again
    bool viaProxy = false;               // the answer came through a proxy server
    std::chrono::milliseconds time{0};
    std::uint64_t size = 0;
    std::string encoding{};  // Content-Encoding, as sent
    int limit = 0;
};

// What the failure means, as the status line tells it.
Message FetchFailureMessage(const FetchFailure& failure);
