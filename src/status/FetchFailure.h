#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Why a page fetch failed: what went wrong and the values that say more.
// Its words come from FetchFailureText alone.
struct FetchFailure {
    enum class Kind {
        NoInternetFunctions,   // wininet.dll could not be loaded
        NotHttpAddress,        // address
        PreviousStillWaiting,  // the last fetch's worker is still blocked
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
        ProxyUnreachable,  // error
        Unreadable,        // host, error when a call failed
        BrokeOff,
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
    std::string error{};                 // the system's words for a call's error
    std::string address{};               // the address as shown (its password masked)
    int status = 0;                      // the answer's HTTP status
    std::string reason{};                // the status line's text, as the server sent it
    std::optional<std::int64_t> wait{};  // seconds the answer asks to wait before asking again
    bool viaProxy = false;               // the answer came through a proxy server
    std::chrono::milliseconds time{0};
    std::uint64_t size = 0;
    std::string encoding{};  // Content-Encoding, as sent
    int limit = 0;
};

// What the failure means, in the words the status line shows.
std::string FetchFailureText(const FetchFailure& failure);
