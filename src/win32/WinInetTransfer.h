#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/InetTransfer.h"
#include "text/Texts.h"
#include "win32/InternetApi.h"

// HTTP GET over WinINet (so the user's proxy settings apply). The request
// runs on a worker thread while this thread keeps dispatching its messages,
// so the window stays live and Exit can be chosen during a fetch. A fetch
// that outlives the deadline is abandoned and reported as failed; the next
// starts beside a worker still blocked in WinINet, kMostFetches at most.
class WinInetTransfer : public InetTransfer {
public:
    static constexpr std::chrono::milliseconds kDefaultDeadline{30000};
    static constexpr std::size_t kDefaultPageCap = 4u << 20;
    // Workers at a time: one given up on, and the next fetch beside it.
    static constexpr std::size_t kMostFetches = 2;

    // api: WinINet's functions; by default those of the system's wininet.dll.
    // texts: the player's language, for Windows' words in a failure.
    explicit WinInetTransfer(std::chrono::milliseconds deadline = kDefaultDeadline,
                             std::size_t pageCap = kDefaultPageCap, const InternetApi* api = nullptr,
                             const Texts* texts = nullptr);
    ~WinInetTransfer() override;

    FetchResult OpenURL(const std::string& url) noexcept override;

private:
    // Drops the earlier fetches whose workers are finished.
    void ForgetFinished();

    std::chrono::milliseconds deadline_;
    std::size_t pageCap_;
    const InternetApi* api_;
    const Texts* texts_;
    std::vector<std::shared_ptr<class WinInetFetch>> earlier_;  // fetches whose workers may not be finished
};
