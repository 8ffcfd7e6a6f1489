#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/InetTransfer.h"

// The failure of a status server that does not answer in time: "the server did not answer within 30 s".
inline FetchFailure NoAnswer() {
    return {.kind = FetchFailure::Kind::NoAnswerInTime, .time = std::chrono::seconds(30)};
}

// Serves a canned page (or failure) and records every URL asked for.
class FakeInet : public InetTransfer {
public:
    FetchResult result{true, "", {}};
    std::vector<std::string> requests;
    std::function<void()> duringFetch;  // runs inside the fetch, like events in a nested loop

    void ServePage(std::string page) { result = FetchResult{true, std::move(page), {}}; }
    void Fail(FetchFailure why) { result = FetchResult{false, "", std::move(why)}; }

    FetchResult OpenURL(const std::string& url) noexcept override {
        // As the real transfer does, a failure inside comes back as a result.
        try {
            requests.push_back(url);
            if (duringFetch) duringFetch();
            return result;
        } catch (const std::exception& e) {
            return FetchResult{false, "", {.kind = FetchFailure::Kind::Exception, .error = std::string(e.what())}};
        }
    }
};

// A status page as the lobby prints it, with countCell right after the count marker.
inline std::string StatusPage(const std::string& countCell) {
    return "<html><body><table><tr><td><font face=Verdana>Other&nbsp;Game</font></td>"
           "<td><font face=Verdana>99</font></td></tr>"
           "<tr><td><font face=Verdana>Drevak&nbsp;Wing</font></td><td><font face=Verdana>" +
           countCell + "</font></td></tr></table></body></html>";
}
