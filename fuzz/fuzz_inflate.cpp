// Packed texts in any bytes: unpacking never reads past the stream or writes
// past the size asked for, and gives exactly that size or nothing; the table
// built from it points only inside its texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/Catalogue.h"
#include "text/Inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes: the size to unpack to; the rest: the stream.
    const std::size_t wanted = data[0] | data[1] << 8;
    const std::span<const std::uint8_t> packed(data + 2, size - 2);
    const auto text = Inflate(packed, wanted);
    if (text && text->size() != wanted) std::abort();
    const TextTable table = UnpackTexts(packed, wanted);
    for (const std::uint32_t start : table.starts)
        if (start >= table.texts.size()) std::abort();
    if (!table.texts.empty() && table.texts.back() != '\0') std::abort();
    return 0;
}
