#include "text/Catalogue.h"

#include "text/Inflate.h"

TextTable UnpackTexts(std::span<const std::uint8_t> packed, std::size_t size) {
    TextTable table;
    auto texts = Inflate(packed, size);
    if (!texts || (!texts->empty() && texts->back() != '\0')) return table;
    table.texts = std::move(*texts);
    for (std::size_t at = 0; at < table.texts.size(); at = table.texts.find('\0', at) + 1)
        table.starts.push_back(static_cast<std::uint32_t>(at));
    return table;
}
