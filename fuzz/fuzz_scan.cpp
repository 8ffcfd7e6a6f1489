// The scanner's reading of a status page: any bytes, up to the page cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "status/Scanner.h"

namespace {
class PageInet : public InetTransfer {
public:
    std::string page;
    FetchResult OpenURL(const std::string&) noexcept override { return FetchResult{true, page, {}}; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PageInet inet;
    inet.page.assign(reinterpret_cast<const char*>(data), size);
    AppState app;
    Scanner scanner(StatusSource::FromUrl("http://status.quellan.example"), app);
    scanner.ScanServers(inet);
    const auto& sites = scanner.Servers()->sites();
    if (sites.size() != 1) std::abort();
    const std::int32_t count = sites[0]->PlayerCount;
    // A count is never negative and never more than nine digits.
    if (count < 0 || count > 999999999) std::abort();
    if (count != scanner.Servers()->TotalPlayers()) std::abort();
    // A count other than 0 means the page held both markers.
    if (count != 0 && (inet.page.find(Scanner::kTitleMarker) == std::string::npos ||
                       inet.page.find(Scanner::kCountMarker) == std::string::npos))
        std::abort();
    return 0;
}
