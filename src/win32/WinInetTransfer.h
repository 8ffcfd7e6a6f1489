#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

#include "platform/InetTransfer.h"
#include "win32/InternetApi.h"

// HTTP GET over WinINet (so the user's proxy settings apply). The request
// runs on a worker thread while this thread keeps dispatching its messages,
// so the window stays live and Exit can be chosen during a fetch. A fetch
// that outlives the deadline is abandoned and reported as failed; while its
// worker is still blocked in WinINet, no other fetch starts.
class WinInetTransfer : public InetTransfer {
public:
    static constexpr std::chrono::milliseconds kDefaultDeadline{30000};
    static constexpr std::size_t kDefaultPageCap = 4u << 20;

    // api: WinINet's functions; by default those of the system's wininet.dll.
    explicit WinInetTransfer(std::chrono::milliseconds deadline = kDefaultDeadline,
                             std::size_t pageCap = kDefaultPageCap, const InternetApi* api = nullptr);
    ~WinInetTransfer() override;

    FetchResult OpenURL(const std::string& url) noexcept override;

private:
    std::chrono::milliseconds deadline_;
    std::size_t pageCap_;
    const InternetApi* api_;
    std::shared_ptr<class WinInetFetch> hanging_;  // the last fetch, until its worker is finished
};
