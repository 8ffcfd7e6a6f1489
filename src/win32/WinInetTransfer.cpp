#include "win32/WinInetTransfer.h"

#include <windows.h>
#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "common/Version.h"
#include "status/FetchFailure.h"
#include "status/HttpAnswer.h"
#include "status/StatusSource.h"
#include "win32/Handles.h"
#include "win32/MessagePump.h"
#include "win32/WinError.h"

namespace {

using Kind = FetchFailure::Kind;

FetchResult Failed(FetchFailure failure) { return FetchResult{false, "", std::move(failure)}; }
FetchResult Failed(Kind kind) { return Failed(FetchFailure{.kind = kind}); }

// Errors of the connection itself: through a proxy, that is the proxy's.
bool IsConnectionError(DWORD error) {
    return error == ERROR_INTERNET_CANNOT_CONNECT || error == ERROR_INTERNET_NAME_NOT_RESOLVED ||
           error == ERROR_INTERNET_SERVER_UNREACHABLE || error == ERROR_INTERNET_PROXY_SERVER_UNREACHABLE;
}

std::int64_t SecondsSince1970() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// One fetch, shared by the caller and the worker thread that makes its
// WinINet calls. The caller may give up on it; then the worker makes no
// further call, and its handles are closed either at once, to unblock a call
// under way (WinINet's way of cancelling), or by the worker when its call
// returns. Whoever finishes last releases it.
class WinInetFetch {
public:
    WinInetFetch(const InternetApi& api, StatusSource address, std::size_t pageCap, std::chrono::milliseconds deadline,
                 std::string language)
        : api_(api),
          address_(std::move(address)),
          pageCap_(pageCap),
          deadline_(deadline),
          language_(std::move(language)) {}

    HANDLE Done() const { return done_.get(); }      // the result is ready
    HANDLE Closed() const { return closed_.get(); }  // and the worker is finished
    FetchResult TakeResult() { return std::move(result_); }

    void Run() noexcept {
        try {
            result_ = Get();
        } catch (const std::exception& e) {
            result_ = Failed({.kind = Kind::Exception, .error = std::string(e.what())});
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
    FetchFailure Abandon() {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        if (inCall_) CloseAll();
        return Late(answering_);
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
    FetchFailure Late(bool answering) const {
        return {.kind = answering ? Kind::TooSlow : Kind::NoAnswerInTime, .time = deadline_};
    }

    FetchResult Failure(const FetchFailure& failure) {
        std::lock_guard lock(mutex_);
        return Failed(abandoned_ ? FetchFailure{.kind = Kind::Cancelled} : failure);
    }
    // Why a call failed, in the player's language.
    Arg Why(DWORD error) const { return ErrorWords(error, language_); }
    // What a step that returned false means for the user.
    FetchResult StepFailed(Kind kind) {
        return Failure({.kind = kind, .host = address_.host, .error = Why(LastError())});
    }

    FetchResult Get() {
        if (!OpenInto(kSession, [&] {
                return api_.Open("Wendrel/" WENDREL_VERSION, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            }))
            return StepFailed(Kind::CannotOpenSession);
        // WinINet follows no redirect itself: Wine's loop has no end and
        // outlives closed handles, and each move is checked here.
        std::vector<std::string> visited{address_.Address()};
        for (;;) {
            if (auto failure = Send()) return *std::move(failure);
            std::string head;
            if (!QueryRawHead(head)) return StepFailed(Kind::Unreadable);
            AnswerDecision decision =
                JudgeAnswer(head, {address_, visited, decoding_, ViaProxy(), pageCap_, SecondsSince1970()});
            if (decision.action == AnswerDecision::Action::ReadPage) return ReadPage(decision);
            if (decision.action == AnswerDecision::Action::Fail) return Failure(decision.failure);
            visited.push_back(decision.next.Address());
            Close(kRequest);
            Close(kConnection);
            address_ = std::move(decision.next);
        }
    }

    // Sends the request to the current address: nothing once the answer's
    // head has come, else why not.
    std::optional<FetchResult> Send() {
        if (!OpenInto(kConnection, [&, session = Handle(kSession)] {
                return api_.Connect(session, address_.ServerName().c_str(), address_.port, nullptr, nullptr,
                                    INTERNET_SERVICE_HTTP, 0, 0);
            }))
            return StepFailed(Kind::CannotConnect);
        if (!OpenRequest()) return StepFailed(Kind::CannotPrepareRequest);
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
        if (error == ERROR_INTERNET_TIMEOUT) return Failure(Late(false));
        if (IsConnectionError(error) && ViaProxy())
            return Failure({.kind = Kind::ProxyUnreachable, .error = Why(error)});
        return Failure({.kind = Kind::CannotSend, .host = address_.host, .error = Why(error)});
    }

    // Certificates are always checked in full, and no cookie is kept or sent.
    // The user's Windows logon may go to the proxy server Windows' settings
    // name, as for any program, but never to the status page or a host it
    // moves to; only INTERNET_OPTION_SUPPRESS_SERVER_AUTH tells the two apart,
    // and where WinINet lacks it (Wine) the logon goes to neither.
    bool OpenRequest() {
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT |
                            (address_.secure ? INTERNET_FLAG_SECURE : 0);
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
            return api_.OpenRequest(connection, "GET", address_.target.c_str(), nullptr, nullptr, accept, flags, 0);
        });
    }

    bool ViaProxy() {
        DWORD flags = 0, size = sizeof flags;
        return Step([&, request = Handle(kRequest)] {
                   return api_.QueryOption(request, INTERNET_OPTION_REQUEST_FLAGS, &flags, &size) != FALSE;
               }) &&
               (flags & INTERNET_REQFLAG_VIA_PROXY);
    }

    // The answer's status line and header fields, whatever their length.
    bool QueryRawHead(std::string& head) {
        DWORD size = 4096;
        for (int attempt = 0; attempt < 2; ++attempt) {
            head.assign(size + 1, '\0');
            if (Step([&, request = Handle(kRequest)] {
                    return api_.QueryInfo(request, HTTP_QUERY_RAW_HEADERS_CRLF, head.data(), &size, nullptr) != FALSE;
                })) {
                head.resize(std::min<std::size_t>(size, head.size()));
                return true;
            }
            if (LastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        }
        return false;
    }

    // Reads what has come, as it comes: Wine's InternetReadFile waits for
    // its whole buffer, and closing the handles does not end it, so a page
    // that trickles in would hold the worker to its end; between bytes the
    // worker sees that it was given up on.
    FetchResult ReadPage(const AnswerDecision& decision) {
        {
            std::lock_guard lock(mutex_);
            answering_ = true;
        }
        const HINTERNET request = Handle(kRequest);
        std::string page;
        std::array<char, 16384> chunk;
        for (;;) {
            DWORD available = 0, read = 0;
            if (!Step([&] { return api_.QueryDataAvailable(request, &available, 0, 0) != FALSE; }) ||
                (available > 0 && !Step([&] {
                     const DWORD wanted = std::min(available, static_cast<DWORD>(chunk.size()));
                     return api_.ReadFile(request, chunk.data(), wanted, &read) != FALSE;
                 })))
                return LastError() == ERROR_INTERNET_TIMEOUT ? Failure(Late(true)) : StepFailed(Kind::BrokeOff);
            if (read == 0) break;
            if (page.size() + read > pageCap_) return Failure({.kind = Kind::TooLarge, .size = pageCap_});
            page.append(chunk.data(), read);
        }
        if (auto torn = JudgePage(decision, page.size())) return Failure(*torn);
        return FetchResult{true, std::move(page), {}};
    }

    const InternetApi& api_;
    StatusSource address_;  // the address asked now: the status page's, then where it moved (worker only)
    const std::size_t pageCap_;
    const std::chrono::milliseconds deadline_;
    const std::string language_;  // the player's, for Windows' words
    const UniqueHandle done_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const UniqueHandle closed_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bool decoding_ = false;  // WinINet unpacks compressed pages (worker only)

    std::mutex mutex_;
    std::array<HINTERNET, 3> handles_{};  // guarded by mutex_
    bool abandoned_ = false;              // guarded by mutex_
    bool inCall_ = false;                 // guarded by mutex_
    bool answering_ = false;              // the page itself is coming in; guarded by mutex_
    DWORD error_ = 0;                     // the last step's error; guarded by mutex_
    FetchResult result_;                  // written by the worker before done_ is set
};

WinInetTransfer::WinInetTransfer(std::chrono::milliseconds deadline, std::size_t pageCap, const InternetApi* api,
                                 const Texts* texts)
    : deadline_(deadline), pageCap_(pageCap), api_(api ? api : InternetApi::System()), texts_(texts) {}

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
    for (const auto& fetch : earlier_)
        if (WaitForSingleObject(fetch->Done(), 0) == WAIT_OBJECT_0)
            WaitForSingleObject(fetch->Closed(), static_cast<DWORD>(deadline_.count()));
}

void WinInetTransfer::ForgetFinished() {
    std::erase_if(earlier_, [](const auto& fetch) { return WaitForSingleObject(fetch->Closed(), 0) == WAIT_OBJECT_0; });
}

FetchResult WinInetTransfer::OpenURL(const std::string& url) noexcept {
    try {
        if (!api_) return Failed(Kind::NoInternetFunctions);
        // Earlier workers may still close their handles, or wait for WinINet
        // after they were given up on (under Wine a page that trickles in
        // holds one to its end). The next fetch starts beside them, up to
        // kMostFetches in all, so that threads cannot pile up; when that many
        // are at work, they get one more deadline for one to finish.
        ForgetFinished();
        if (earlier_.size() >= kMostFetches) {
            std::vector<HANDLE> closed;
            for (const auto& fetch : earlier_) closed.push_back(fetch->Closed());
            switch (PumpUntilSignaled(closed, deadline_)) {
                case WaitOutcome::Signaled: ForgetFinished(); break;
                case WaitOutcome::QuitRequested: return Failed(Kind::ProgramClosing);
                case WaitOutcome::TimedOut: return Failed(Kind::PreviousStillWaiting);
            }
        }

        StatusSource address = StatusSource::FromUrl(url);
        if (!address.isHttp) return Failed({.kind = Kind::NotHttpAddress, .address = address.shown});
        const std::string language = texts_ ? texts_->Language().code : "";
        auto fetch = std::make_shared<WinInetFetch>(*api_, std::move(address), pageCap_, deadline_, language);
        if (!fetch->Done() || !fetch->Closed() || !StartWorker(fetch)) {
            const DWORD error = GetLastError();
            return Failed({.kind = Kind::CannotStartWorker, .error = ErrorWords(error, language)});
        }
        const WaitOutcome outcome = PumpUntilSignaled(fetch->Done(), deadline_);
        if (outcome == WaitOutcome::Signaled) {
            FetchResult result = fetch->TakeResult();
            earlier_.push_back(std::move(fetch));
            return result;
        }
        const FetchFailure late = fetch->Abandon();
        earlier_.push_back(std::move(fetch));
        return Failed(outcome == WaitOutcome::QuitRequested ? FetchFailure{.kind = Kind::ProgramClosing} : late);
    } catch (const std::exception& e) {
        return Failed({.kind = Kind::Exception, .error = std::string(e.what())});
    }
}
