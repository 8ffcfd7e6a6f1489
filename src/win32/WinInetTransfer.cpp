#include "win32/WinInetTransfer.h"

#include <windows.h>
#include <wininet.h>

#include <array>
#include <memory>
#include <mutex>
#include <thread>

#include "common/Version.h"
#include "status/StatusSource.h"
#include "win32/Handles.h"
#include "win32/MessagePump.h"
#include "win32/WinError.h"

namespace {

std::string SizeText(std::size_t bytes) {
    if (bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

std::string SecondsText(std::chrono::milliseconds ms) {
    if (ms.count() % 1000 == 0) return std::to_string(ms.count() / 1000) + " s";
    return std::to_string(ms.count()) + " ms";
}

struct UrlParts {
    std::string host;
    std::string path;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    bool secure = false;
};

bool CrackUrl(const InternetApi& api, const std::string& url, UrlParts& parts) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    std::string path(url.size() + 2, '\0');
    URL_COMPONENTSA c{};
    c.dwStructSize = sizeof c;
    c.lpszHostName = host;
    c.dwHostNameLength = sizeof host;
    c.lpszUrlPath = path.data();
    c.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (!api.CrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
    if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (host[0] == '\0') return false;
    parts.host = host;
    parts.path = path.c_str();
    if (parts.path.empty()) parts.path.push_back('/');
    parts.port = c.nPort;
    parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

}  // namespace

// One fetch, shared by the caller and the worker thread that makes its
// WinINet calls. The caller may give up on it; then the worker makes no
// further call, and its handles are closed either at once, to unblock a call
// under way (WinINet's way of cancelling), or by the worker when its call
// returns. Whoever finishes last releases it.
class WinInetFetch {
public:
    WinInetFetch(const InternetApi& api, UrlParts url, std::size_t pageCap, DWORD timeoutMs)
        : api_(api), url_(std::move(url)), pageCap_(pageCap), timeoutMs_(timeoutMs) {}

    HANDLE Done() const { return done_.get(); }
    FetchResult TakeResult() { return std::move(result_); }

    void Run() noexcept {
        try {
            result_ = Get();
        } catch (const std::exception& e) {
            result_ = FetchResult{false, "", std::string("the fetch failed: ") + e.what()};
        }
        std::lock_guard lock(mutex_);
        CloseAll();
        SetEvent(done_.get());
    }

    void Abandon() {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        if (inCall_) CloseAll();
    }

private:
    enum Slot { kSession, kConnection, kRequest };

    // Makes one WinINet call, unless the fetch was abandoned; false then, or
    // when the call failed (its error kept for Failed).
    template <typename Call>
    bool Step(Call call) {
        {
            std::lock_guard lock(mutex_);
            if (abandoned_) return false;
            inCall_ = true;
        }
        const bool ok = call();
        const DWORD error = GetLastError();
        std::lock_guard lock(mutex_);
        inCall_ = false;
        error_ = error;
        return ok && !abandoned_;
    }
    // Opens a handle with open, for the steps after it. A handle that arrives
    // after the caller gave up is kept all the same: Run closes it.
    template <typename Open>
    bool OpenInto(Slot slot, Open open) {
        HINTERNET handle = nullptr;
        const bool opened = Step([&] { return (handle = open()) != nullptr; });
        std::lock_guard lock(mutex_);
        handles_[slot] = handle;
        return opened;
    }
    void CloseAll() {  // with mutex_ held
        for (auto it = handles_.rbegin(); it != handles_.rend(); ++it)
            if (*it) api_.CloseHandle(std::exchange(*it, nullptr));
    }
    HINTERNET Handle(Slot slot) {
        std::lock_guard lock(mutex_);
        return handles_[slot];
    }

    // What a step that returned false means for the user.
    FetchResult Failed(const char* what) {
        std::lock_guard lock(mutex_);
        if (abandoned_) return FetchResult{false, "", "the fetch was cancelled"};
        return FetchResult{false, "", what + url_.host + ": " + SystemErrorText(error_)};
    }

    FetchResult Get() {
        if (!OpenInto(kSession, [&] {
                return api_.Open("Wendrel/" WENDREL_VERSION, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            }))
            return Failed("could not start the internet connection for ");
        if (!OpenInto(kConnection, [&, session = Handle(kSession)] {
                return api_.Connect(session, url_.host.c_str(), url_.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                    0);
            }))
            return Failed("could not connect to ");

        const char* accept[] = {"text/html", "*/*", nullptr};
        // Certificates are always checked in full; no Windows logon or cookie
        // goes to the status page or a host it redirects to. A redirect from
        // http:// to https:// is followed without asking (one back is not).
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                      INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
        if (url_.secure) flags |= INTERNET_FLAG_SECURE;
        if (!OpenInto(kRequest, [&, connection = Handle(kConnection)] {
                return api_.OpenRequest(connection, "GET", url_.path.c_str(), nullptr, nullptr, accept, flags, 0);
            }))
            return Failed("could not prepare the request to ");
        const HINTERNET request = Handle(kRequest);

        // Wine ignores timeouts set on the session handle: set them on the request.
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            Step([&] { return api_.SetOption(request, option, &timeoutMs_, sizeof timeoutMs_) != FALSE; });
        if (!Step([&] { return api_.SendRequest(request, nullptr, 0, nullptr, 0) != FALSE; }))
            return Failed("could not get the page from ");

        DWORD status = 0, size = sizeof status;
        if (!Step([&] {
                return api_.QueryInfo(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                      nullptr) != FALSE;
            }))
            return Failed("unreadable answer from ");
        if (status < 200 || status > 299)
            return FetchResult{false, "", "the server answered with HTTP status " + std::to_string(status)};

        DWORD length = 0;
        size = sizeof length;
        if (Step([&] {
                return api_.QueryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                                      nullptr) != FALSE;
            }) &&
            length > pageCap_)
            return TooLarge();

        std::string page;
        std::array<char, 16384> chunk;
        for (;;) {
            DWORD read = 0;
            if (!Step([&] { return api_.ReadFile(request, chunk.data(), chunk.size(), &read) != FALSE; }))
                return Failed("the page broke off from ");
            if (read == 0) break;
            if (page.size() + read > pageCap_) return TooLarge();
            page.append(chunk.data(), read);
        }
        return FetchResult{true, std::move(page), ""};
    }

    FetchResult TooLarge() const { return FetchResult{false, "", "the page is larger than " + SizeText(pageCap_)}; }

    const InternetApi& api_;
    const UrlParts url_;
    const std::size_t pageCap_;
    DWORD timeoutMs_;
    const UniqueHandle done_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};

    std::mutex mutex_;
    std::array<HINTERNET, 3> handles_{};  // guarded by mutex_
    bool abandoned_ = false;              // guarded by mutex_
    bool inCall_ = false;                 // guarded by mutex_
    DWORD error_ = 0;                     // the last step's error; guarded by mutex_
    FetchResult result_;                  // written by the worker before done_ is set
};

WinInetTransfer::WinInetTransfer(std::chrono::milliseconds deadline, std::size_t pageCap, const InternetApi* api)
    : deadline_(deadline), pageCap_(pageCap), api_(api ? api : InternetApi::System()) {}

WinInetTransfer::~WinInetTransfer() = default;

FetchResult WinInetTransfer::OpenURL(const std::string& url) noexcept {
    try {
        if (!api_) return FetchResult{false, "", "the internet functions of Windows (wininet.dll) could not be loaded"};
        // A worker given up on earlier may still wait for WinINet: it gets
        // one more deadline to finish, and no second worker starts beside it,
        // so blocked threads cannot pile up.
        if (hanging_) {
            switch (PumpUntilSignaled(hanging_->Done(), deadline_)) {
                case WaitOutcome::Signaled: hanging_.reset(); break;
                case WaitOutcome::QuitRequested: return FetchResult{false, "", "the program is closing"};
                case WaitOutcome::TimedOut:
                    return FetchResult{false, "", "the previous check is still waiting for an answer"};
            }
        }

        UrlParts parts;
        if (!CrackUrl(*api_, url, parts))
            return FetchResult{false, "",
                               Quoted(StatusSource::FromUrl(url).shown) + " is not an http:// or https:// address"};
        auto fetch =
            std::make_shared<WinInetFetch>(*api_, std::move(parts), pageCap_, static_cast<DWORD>(deadline_.count()));
        if (!fetch->Done())
            return FetchResult{false, "", "could not start the fetch: " + SystemErrorText(GetLastError())};

        std::thread worker([fetch] { fetch->Run(); });
        const WaitOutcome outcome = PumpUntilSignaled(fetch->Done(), deadline_);
        if (outcome == WaitOutcome::Signaled) {
            worker.join();
            return fetch->TakeResult();
        }
        fetch->Abandon();
        worker.detach();
        hanging_ = std::move(fetch);
        if (outcome == WaitOutcome::QuitRequested) return FetchResult{false, "", "the program is closing"};
        return FetchResult{false, "", "the server did not answer within " + SecondsText(deadline_)};
    } catch (const std::exception& e) {
        return FetchResult{false, "", std::string("the fetch failed: ") + e.what()};
    }
}
