#include "win32/WinInetTransfer.h"

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <mutex>
#include <thread>

#include "win32/Handles.h"
#include "win32/MessagePump.h"
#include "win32/WinError.h"

namespace {

std::string SizeText(std::size_t bytes) {
    if (bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

struct UrlParts {
    std::string host;
    std::string path;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    bool secure = false;
};

bool CrackUrl(const std::string& url, UrlParts& parts) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    std::string path(url.size() + 2, '\0');
    URL_COMPONENTSA c{};
    c.dwStructSize = sizeof c;
    c.lpszHostName = host;
    c.dwHostNameLength = sizeof host;
    c.lpszUrlPath = path.data();
    c.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
    if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (host[0] == '\0') return false;
    parts.host = host;
    parts.path = path.c_str();
    if (parts.path.empty()) parts.path.push_back('/');
    parts.port = c.nPort;
    parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

// State shared by the caller and the worker. Whoever finishes last releases
// it; the caller may abandon the worker and close its handles to unblock it.
struct Fetch {
    UrlParts url;
    std::size_t pageCap = 0;
    DWORD timeoutMs = 0;
    UniqueHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};

    std::mutex mutex;
    UniqueInternet session, connection, request;  // guarded by mutex
    bool closed = false;                          // guarded by mutex
    FetchResult result;                           // written by the worker before done is set

    // Closes the handles once; WinINet then fails any call still blocked on them.
    void CloseHandles() {
        std::lock_guard lock(mutex);
        closed = true;
        request.reset();
        connection.reset();
        session.reset();
    }

    // Keeps a handle the worker just opened; false (and the handle closed)
    // when the caller has given up on the fetch.
    bool Keep(UniqueInternet& slot, HINTERNET handle) {
        UniqueInternet opened(handle);
        std::lock_guard lock(mutex);
        if (closed) return false;
        slot = std::move(opened);
        return true;
    }

    // Reads GetLastError() first: the arguments are built without touching it.
    static FetchResult FailWithLastError(const char* what, const std::string& host = {}) {
        const DWORD code = GetLastError();
        return FetchResult{false, "", what + host + ": " + SystemErrorText(code)};
    }

    void Run() {
        result = Get();
        CloseHandles();
        SetEvent(done.get());
    }

    FetchResult Get() {
        static const FetchResult kCancelled{false, "", "the fetch was cancelled"};
        HINTERNET s = InternetOpenA("Wendrel/1.4", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!s) return FailWithLastError("could not start the internet connection");
        if (!Keep(session, s)) return kCancelled;

        HINTERNET c = InternetConnectA(s, url.host.c_str(), url.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
        if (!c) return FailWithLastError("could not connect to ", url.host);
        if (!Keep(connection, c)) return kCancelled;

        const char* accept[] = {"text/html", "*/*", nullptr};
        // Certificates are always checked in full. A redirect from http:// to
        // https:// is followed without asking (one back to http:// is not).
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
        if (url.secure) flags |= INTERNET_FLAG_SECURE;
        HINTERNET r = HttpOpenRequestA(c, "GET", url.path.c_str(), nullptr, nullptr, accept, flags, 0);
        if (!r) return FailWithLastError("could not prepare the request to ", url.host);
        if (!Keep(request, r)) return kCancelled;

        // Wine ignores timeouts set on the session handle: set them on the request.
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionA(r, option, &timeoutMs, sizeof timeoutMs);
        if (!HttpSendRequestA(r, nullptr, 0, nullptr, 0))
            return FailWithLastError("could not get the page from ", url.host);

        DWORD status = 0, size = sizeof status;
        if (!HttpQueryInfoA(r, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return FailWithLastError("unreadable answer from ", url.host);
        if (status < 200 || status > 299)
            return FetchResult{false, "", "the server answered with HTTP status " + std::to_string(status)};

        DWORD length = 0;
        size = sizeof length;
        if (HttpQueryInfoA(r, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr) &&
            length > pageCap)
            return TooLarge();

        std::string page;
        char chunk[16384];
        for (;;) {
            DWORD read = 0;
            if (!InternetReadFile(r, chunk, sizeof chunk, &read))
                return FailWithLastError("the page broke off from ", url.host);
            if (read == 0) break;
            if (page.size() + read > pageCap) return TooLarge();
            page.append(chunk, read);
        }
        return FetchResult{true, std::move(page), ""};
    }

    FetchResult TooLarge() const { return FetchResult{false, "", "the page is larger than " + SizeText(pageCap)}; }
};

std::string SecondsText(std::chrono::milliseconds ms) {
    if (ms.count() % 1000 == 0) return std::to_string(ms.count() / 1000) + " s";
    return std::to_string(ms.count()) + " ms";
}

}  // namespace

WinInetTransfer::WinInetTransfer(std::chrono::milliseconds deadline, std::size_t pageCap)
    : deadline_(deadline), pageCap_(pageCap) {}

FetchResult WinInetTransfer::OpenURL(const std::string& url) noexcept {
    try {
        auto fetch = std::make_shared<Fetch>();
        if (!CrackUrl(url, fetch->url))
            return FetchResult{false, "", "\"" + url + "\" is not an http:// or https:// address"};
        if (!fetch->done) return Fetch::FailWithLastError("could not start the fetch");
        fetch->pageCap = pageCap_;
        fetch->timeoutMs = static_cast<DWORD>(deadline_.count());

        std::thread worker([fetch] { fetch->Run(); });
        const WaitOutcome outcome = PumpUntilSignaled(fetch->done.get(), deadline_);
        if (outcome == WaitOutcome::Signaled) {
            worker.join();
            return std::move(fetch->result);
        }
        // Abandon the worker: closing its handles unblocks it where WinINet
        // allows; where it does not, it finishes on its own and only touches
        // its shared Fetch.
        fetch->CloseHandles();
        worker.detach();
        if (outcome == WaitOutcome::QuitRequested) return FetchResult{false, "", "the program is closing"};
        return FetchResult{false, "", "the server did not answer within " + SecondsText(deadline_)};
    } catch (const std::exception& e) {
        return FetchResult{false, "", std::string("the fetch failed: ") + e.what()};
    }
}
