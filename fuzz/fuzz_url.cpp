// Any address and any reference (a redirect's Location): an http(s) address
// reads back from what a request asks for to the same parts, and a reference
// resolves to such an address with no dot segments, which resolves to itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "UrlChecks.h"
#include "status/StatusSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The address, a NUL, then the reference.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = std::min(input.find('\0'), input.size());
    const StatusSource base = StatusSource::FromUrl(input.substr(0, nul));
    if (base.url != input.substr(0, nul)) std::abort();
    if (!base.isHttp) return 0;
    CheckRequestAddress(base);

    const StatusSource next = base.Resolve(input.substr(std::min(nul + 1, input.size())));
    if (!next.isHttp) return 0;
    CheckRequestAddress(next);
    CheckNoDotSegments(next);
    if (next.url != next.Address()) std::abort();
    // The same document, by its own address or by an empty reference, from anywhere.
    for (const StatusSource& from : {base, next})
        if (from.Resolve(next.Address()).Address() != next.Address()) std::abort();
    if (next.Resolve("").Address() != next.Address()) std::abort();
    return 0;
}
