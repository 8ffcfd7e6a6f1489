#include "win32/WinInetTransfer.h"

#include <windows.h>
#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "common/Version.h"
#include "status/StatusSource.h"
#include "win32/Handles.h"
#include "win32/MessagePump.h"
#include "win32/WinError.h"

namespace {

// Redirects one fetch follows: enough for a site that moved (to https, then
// to a new path), few enough that a page moving in circles costs nothing.
constexpr std::size_t kMaxRedirects = 5;
constexpr DWORD kTooManyRequests = 429;
constexpr const char* kProxyServer = "the proxy server set in Windows' Internet Options";

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

// A wait a server asks for, rounded up to what a status line needs.
std::string WaitText(long long seconds) {
    if (seconds < 60) return std::to_string(seconds) + " s";
    const long long minutes = (seconds + 59) / 60;
    if (minutes < 60) return std::to_string(minutes) + " min";
    std::string text = std::to_string(minutes / 60) + " h";
    if (minutes % 60) text.append(" ").append(std::to_string(minutes % 60)).append(" min");
    return text;
}

// Text a server sent, fit for the status line: printable ASCII, kept short.
std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 40)) shown += c >= ' ' && c <= '~' ? c : '?';
    return shown;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

// The head of an answer that is not the page.
struct Answer {
    DWORD status = 0;
    std::string reason;             // the text of the status line
    std::optional<long long> wait;  // seconds, from Retry-After
    bool viaProxy = false;
};

// An answer in words: the common ones as what they mean to a player, the
// others by their number and the server's own reason.
std::string AnswerText(const Answer& answer, const std::string& host) {
    const std::string wait = answer.wait ? "; it asks to wait " + WaitText(*answer.wait) : "";
    switch (answer.status) {
        case HTTP_STATUS_DENIED: return "the page asks for a password";
        case HTTP_STATUS_FORBIDDEN: return "the server refuses access to the status page";
        case HTTP_STATUS_NOT_FOUND: return "no status page at this address";
        case HTTP_STATUS_PROXY_AUTH_REQ: return std::string(kProxyServer) + " asks for a user name and password";
        case kTooManyRequests: return "the status server is busy" + wait;
        case HTTP_STATUS_SERVICE_UNAVAIL:
            // A proxy answers so for a server it cannot reach; whether the
            // lobby's own answer came through it, no header tells.
            if (answer.viaProxy)
                return "the proxy server could not reach " + host + ", or it is down for maintenance" + wait;
            return "the status server is busy or down for maintenance" + wait;
        case HTTP_STATUS_BAD_GATEWAY:
        case HTTP_STATUS_GATEWAY_TIMEOUT:
            if (answer.viaProxy) return "the proxy server could not reach " + host;
            break;
    }
    return host + " answered with HTTP status " + std::to_string(answer.status) +
           (answer.reason.empty() ? "" : " (" + Shown(answer.reason) + ")");
}

bool IsRedirect(DWORD status) {
    return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT || status == HTTP_STATUS_REDIRECT_METHOD ||
           status == HTTP_STATUS_REDIRECT_KEEP_VERB || status == HTTP_STATUS_PERMANENT_REDIRECT;
}

// Errors of the connection itself: through a proxy, that is the proxy's.
bool IsConnectionError(DWORD error) {
    return error == ERROR_INTERNET_CANNOT_CONNECT || error == ERROR_INTERNET_NAME_NOT_RESOLVED ||
           error == ERROR_INTERNET_SERVER_UNREACHABLE || error == ERROR_INTERNET_PROXY_SERVER_UNREACHABLE;
}

std::optional<long long> Seconds(const SYSTEMTIME& time) {
    FILETIME file;
    if (!SystemTimeToFileTime(&time, &file)) return std::nullopt;
    return static_cast<long long>((ULARGE_INTEGER{{file.dwLowDateTime, file.dwHighDateTime}}.QuadPart) / 10000000);
}

struct UrlParts {
    std::string url;
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
    parts.url = url;
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
    WinInetFetch(const InternetApi& api, UrlParts url, std::size_t pageCap, std::chrono::milliseconds deadline)
        : api_(api), url_(std::move(url)), pageCap_(pageCap), deadline_(deadline) {}

    HANDLE Done() const { return done_.get(); }      // the result is ready
    HANDLE Closed() const { return closed_.get(); }  // and the worker is finished
    FetchResult TakeResult() { return std::move(result_); }

    void Run() noexcept {
        try {
            result_ = Get();
        } catch (const std::exception& e) {
            result_ = FetchResult{false, "", std::string("the fetch failed: ") + e.what()};
        }
        // The answer is known: the caller goes on while the handles close.
        // That can take seconds: WinINet reads the rest of a page whose
        // length it was told, a page over the cap too, before it lets go.
        SetEvent(done_.get());
        std::array<HINTERNET, 3> handles;
        {
            std::lock_guard lock(mutex_);
            handles = std::exchange(handles_, {});
        }
        CloseInOrder(handles);
        SetEvent(closed_.get());
    }

    // Gives the fetch up at its deadline; returns what that means for the user.
    std::string Abandon() {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        if (inCall_) CloseAll();
        return LateText(answering_);
    }

private:
    enum Slot { kSession, kConnection, kRequest };

    // Makes one WinINet call, unless the fetch was abandoned; false then, or
    // when the call failed (its error kept for LastError).
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
    // Closes the handles, the request's first: handles_ with mutex_ held, or
    // handles taken out of it.
    void CloseInOrder(std::array<HINTERNET, 3>& handles) {
        for (auto it = handles.rbegin(); it != handles.rend(); ++it)
            if (*it) api_.CloseHandle(std::exchange(*it, nullptr));
    }
    void CloseAll() { CloseInOrder(handles_); }  // with mutex_ held
    void Close(Slot slot) {
        std::lock_guard lock(mutex_);
        if (handles_[slot]) api_.CloseHandle(std::exchange(handles_[slot], nullptr));
    }
    HINTERNET Handle(Slot slot) {
        std::lock_guard lock(mutex_);
        return handles_[slot];
    }
    DWORD LastError() {
        std::lock_guard lock(mutex_);
        return error_;
    }

    // The worker's own time-outs and the caller's deadline say the same.
    std::string LateText(bool answering) const {
        if (answering) return "the page came too slowly: incomplete after " + SecondsText(deadline_);
        return "the server did not answer within " + SecondsText(deadline_);
    }

    FetchResult Failure(std::string text) {
        std::lock_guard lock(mutex_);
        if (abandoned_) return FetchResult{false, "", "the fetch was cancelled"};
        return FetchResult{false, "", std::move(text)};
    }
    // What a step that returned false means for the user.
    FetchResult Failed(const char* what) { return Failure(what + url_.host + ": " + SystemErrorText(LastError())); }

    FetchResult Get() {
        if (!OpenInto(kSession, [&] {
                return api_.Open("Wendrel/" WENDREL_VERSION, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            }))
            return Failed("could not start the internet connection for ");
        // WinINet follows no redirect itself: Wine's loop has no end and
        // outlives closed handles, and each move is checked here.
        std::vector<std::string> visited{url_.url};
        for (;;) {
            if (auto failure = Send()) return *std::move(failure);
            DWORD status = 0;
            if (!QueryNumber(HTTP_QUERY_STATUS_CODE, status)) return Failed("unreadable answer from ");
            std::string location;
            if (IsRedirect(status) && QueryText(HTTP_QUERY_LOCATION, location)) {
                if (auto failure = MoveTo(location, visited)) return *std::move(failure);
                continue;
            }
            if (status < 200 || status > 299) return Failure(AnswerText(ReadAnswer(status), url_.host));
            return ReadPage();
        }
    }

    // Sends the request to the current address: nothing once the answer's
    // head has come, else why not.
    std::optional<FetchResult> Send() {
        if (!OpenInto(kConnection, [&, session = Handle(kSession)] {
                return api_.Connect(session, url_.host.c_str(), url_.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                    0);
            }))
            return Failed("could not connect to ");
        if (!OpenRequest()) return Failed("could not prepare the request to ");
        const HINTERNET request = Handle(kRequest);

        // Wine ignores timeouts set on the session handle: set them on the request.
        DWORD timeoutMs = static_cast<DWORD>(deadline_.count());
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            Step([&] { return api_.SetOption(request, option, &timeoutMs, sizeof timeoutMs) != FALSE; });
        // A page sent compressed, asked for or not, is unpacked by WinINet.
        BOOL decode = TRUE;
        decoding_ = Step(
            [&] { return api_.SetOption(request, INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode) != FALSE; });
        if (Step([&] { return api_.SendRequest(request, nullptr, 0, nullptr, 0) != FALSE; })) return std::nullopt;

        const DWORD error = LastError();
        if (error == ERROR_INTERNET_TIMEOUT) return Failure(LateText(false));
        if (IsConnectionError(error) && ViaProxy())
            return Failure("could not reach " + std::string(kProxyServer) + ": " + SystemErrorText(error));
        return Failure("could not get the page from " + url_.host + ": " + SystemErrorText(error));
    }

    // Certificates are always checked in full, and no cookie is kept or sent.
    // The user's Windows logon may go to the proxy server Windows' settings
    // name, as for any program, but never to the status page or a host it
    // moves to; only INTERNET_OPTION_SUPPRESS_SERVER_AUTH tells the two apart,
    // and where WinINet lacks it (Wine) the logon goes to neither.
    bool OpenRequest() {
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT |
                            (url_.secure ? INTERNET_FLAG_SECURE : 0);
        if (!OpenRequestWith(flags)) return false;
        if (Step([&, request = Handle(kRequest)] {
                return api_.SetOption(request, INTERNET_OPTION_SUPPRESS_SERVER_AUTH, nullptr, 0) != FALSE;
            }))
            return true;
        Close(kRequest);
        return OpenRequestWith(flags | INTERNET_FLAG_NO_AUTH);
    }
    bool OpenRequestWith(DWORD flags) {
        const char* accept[] = {"text/html", "*/*", nullptr};
        return OpenInto(kRequest, [&, connection = Handle(kConnection)] {
            return api_.OpenRequest(connection, "GET", url_.path.c_str(), nullptr, nullptr, accept, flags, 0);
        });
    }

    // Makes location (relative to the current address) the next one to ask,
    // unless the move is refused: the result then.
    std::optional<FetchResult> MoveTo(const std::string& location, std::vector<std::string>& visited) {
        std::string target(INTERNET_MAX_URL_LENGTH, '\0');
        DWORD size = static_cast<DWORD>(target.size());
        UrlParts next;
        if (!api_.CombineUrl(url_.url.c_str(), location.c_str(), target.data(), &size, 0) ||
            !CrackUrl(api_, target.substr(0, size), next))
            return Failure("the page moved to an address that is not http:// or https://");
        if (url_.secure && !next.secure) return Failure("the page moved from https to an insecure http address");
        if (std::find(visited.begin(), visited.end(), next.url) != visited.end())
            return Failure("the status page redirects in a loop");
        if (visited.size() > kMaxRedirects)
            return Failure("the status page redirects more than " + std::to_string(kMaxRedirects) + " times");
        visited.push_back(next.url);
        Close(kRequest);
        Close(kConnection);
        url_ = std::move(next);
        return std::nullopt;
    }

    Answer ReadAnswer(DWORD status) {
        Answer answer{status, "", RetryAfter(), ViaProxy()};
        QueryText(HTTP_QUERY_STATUS_TEXT, answer.reason);
        return answer;
    }
    bool ViaProxy() {
        DWORD flags = 0, size = sizeof flags;
        return Step([&, request = Handle(kRequest)] {
                   return api_.QueryOption(request, INTERNET_OPTION_REQUEST_FLAGS, &flags, &size) != FALSE;
               }) &&
               (flags & INTERNET_REQFLAG_VIA_PROXY);
    }
    // The wait a Retry-After header asks for: seconds, or a date, measured
    // from the answer's own Date so that a wrong clock here does not matter.
    std::optional<long long> RetryAfter() {
        std::string value, date;
        if (!QueryText(HTTP_QUERY_RETRY_AFTER, value) || value.empty()) return std::nullopt;
        if (value.size() <= 9 && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            const long long seconds = std::stoll(value);
            return seconds > 0 ? std::optional(seconds) : std::nullopt;
        }
        SYSTEMTIME until{}, now{};
        if (!api_.TimeToSystemTime(value.c_str(), &until, 0)) return std::nullopt;
        if (!QueryText(HTTP_QUERY_DATE, date) || !api_.TimeToSystemTime(date.c_str(), &now, 0)) GetSystemTime(&now);
        const auto from = Seconds(now), to = Seconds(until);
        if (!from || !to || *to <= *from) return std::nullopt;
        return *to - *from;
    }

    bool QueryNumber(DWORD level, DWORD& value) {
        DWORD size = sizeof value;
        return Step([&, request = Handle(kRequest)] {
            return api_.QueryInfo(request, level | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
        });
    }
    // A header's text, by its query level or (level HTTP_QUERY_CUSTOM) its
    // name; false when the answer has none, or one longer than any read here.
    bool QueryText(DWORD level, std::string& text, const char* name = "") {
        std::string buffer(4096, '\0');
        buffer.replace(0, std::strlen(name), name);
        DWORD size = static_cast<DWORD>(buffer.size());
        if (!Step([&, request = Handle(kRequest)] {
                return api_.QueryInfo(request, level, buffer.data(), &size, nullptr) != FALSE;
            }))
            return false;
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        text = std::move(buffer);
        return true;
    }

    // A compressed page is read only as WinINet unpacks it.
    bool Readable(const std::string& encoding) const {
        const std::string name = Lower(encoding);
        return name == "identity" || (decoding_ && (name == "gzip" || name == "x-gzip" || name == "deflate"));
    }

    FetchResult ReadPage() {
        std::string encoding;
        // By name: while Wine unpacks a page, HTTP_QUERY_CONTENT_ENCODING gives its Content-Type.
        if (QueryText(HTTP_QUERY_CUSTOM, encoding, "Content-Encoding") && !Readable(encoding))
            return Failure("the page came compressed (" + Shown(encoding) + ") and cannot be read");
        DWORD length = 0;
        if (QueryNumber(HTTP_QUERY_CONTENT_LENGTH, length) && length > pageCap_) return TooLarge();
        {
            std::lock_guard lock(mutex_);
            answering_ = true;
        }
        const HINTERNET request = Handle(kRequest);
        std::string page;
        std::array<char, 16384> chunk;
        for (;;) {
            DWORD read = 0;
            if (!Step([&] { return api_.ReadFile(request, chunk.data(), chunk.size(), &read) != FALSE; })) {
                if (LastError() == ERROR_INTERNET_TIMEOUT) return Failure(LateText(true));
                return Failed("the page broke off from ");
            }
            if (read == 0) break;
            if (page.size() + read > pageCap_) return TooLarge();
            page.append(chunk.data(), read);
        }
        return FetchResult{true, std::move(page), ""};
    }

    FetchResult TooLarge() const { return FetchResult{false, "", "the page is larger than " + SizeText(pageCap_)}; }

    const InternetApi& api_;
    UrlParts url_;  // the address asked now: the status page's, then where it moved (worker only)
    const std::size_t pageCap_;
    const std::chrono::milliseconds deadline_;
    const UniqueHandle done_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    const UniqueHandle closed_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    bool decoding_ = false;  // WinINet unpacks compressed pages (worker only)

    std::mutex mutex_;
    std::array<HINTERNET, 3> handles_{};  // guarded by mutex_
    bool abandoned_ = false;              // guarded by mutex_
    bool inCall_ = false;                 // guarded by mutex_
    bool answering_ = false;              // the page itself is coming in; guarded by mutex_
    DWORD error_ = 0;                     // the last step's error; guarded by mutex_
    FetchResult result_;                  // written by the worker before done_ is set
};

WinInetTransfer::WinInetTransfer(std::chrono::milliseconds deadline, std::size_t pageCap, const InternetApi* api)
    : deadline_(deadline), pageCap_(pageCap), api_(api ? api : InternetApi::System()) {}

namespace {
unsigned __stdcall RunWorker(void* owned) {
    const std::unique_ptr<std::shared_ptr<WinInetFetch>> fetch(static_cast<std::shared_ptr<WinInetFetch>*>(owned));
    (*fetch)->Run();
    return 0;
}

// Runs the fetch on a thread of its own that nobody joins: a Windows thread,
// not a detached std::thread, since MinGW's thread library can lose track of
// a thread detached just as it ends (later joins elsewhere fail with ESRCH).
bool StartWorker(std::shared_ptr<WinInetFetch> fetch) {
    auto owned = std::make_unique<std::shared_ptr<WinInetFetch>>(std::move(fetch));
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, RunWorker, owned.get(), 0, nullptr);
    if (!thread) return false;
    owned.release();
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
}  // namespace

// A worker that has its answer and only closes its handles is waited for
// (within a deadline), so that it is done with api_ before its owner goes.
// One still blocked in WinINet is left: it would keep the program from ending.
WinInetTransfer::~WinInetTransfer() {
    if (hanging_ && WaitForSingleObject(hanging_->Done(), 0) == WAIT_OBJECT_0)
        WaitForSingleObject(hanging_->Closed(), static_cast<DWORD>(deadline_.count()));
}

FetchResult WinInetTransfer::OpenURL(const std::string& url) noexcept {
    try {
        if (!api_) return FetchResult{false, "", "the internet functions of Windows (wininet.dll) could not be loaded"};
        // The last worker may still close its handles, or one given up on
        // may still wait for WinINet: it gets one more deadline to finish,
        // and no second worker starts beside it, so threads cannot pile up.
        if (hanging_) {
            switch (PumpUntilSignaled(hanging_->Closed(), deadline_)) {
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
        auto fetch = std::make_shared<WinInetFetch>(*api_, std::move(parts), pageCap_, deadline_);
        if (!fetch->Done() || !fetch->Closed() || !StartWorker(fetch))
            return FetchResult{false, "", "could not start the fetch: " + SystemErrorText(GetLastError())};
        const WaitOutcome outcome = PumpUntilSignaled(fetch->Done(), deadline_);
        if (outcome == WaitOutcome::Signaled) {
            FetchResult result = fetch->TakeResult();
            hanging_ = std::move(fetch);
            return result;
        }
        std::string late = fetch->Abandon();
        hanging_ = std::move(fetch);
        if (outcome == WaitOutcome::QuitRequested) return FetchResult{false, "", "the program is closing"};
        return FetchResult{false, "", std::move(late)};
    } catch (const std::exception& e) {
        return FetchResult{false, "", std::string("the fetch failed: ") + e.what()};
    }
}
