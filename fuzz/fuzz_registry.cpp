// ReadKeyValue and FetchText over an in-memory registry holding a value of
// any type, size and bytes: they never read past the value and yield only
// what they can use.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "MemoryRegistry.h"
#include "settings/Settings.h"
#include "settings/mdRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint32_t type = data[0] % 12;  // REG_NONE .. REG_QWORD
    const bool grows = data[1] & 1;           // the value grows between the two queries
    std::vector<std::uint8_t> bytes(data + 2, data + size);
    MemoryRegistry registry;
    registry.Put(Settings::kKeyPath, "V", type, bytes);
    if (grows) {
        registry.beforeDataQuery = [&] {
            auto longer = bytes;
            longer.push_back(1);
            registry.Put(Settings::kKeyPath, "V", type, longer);
        };
    }
    mdRegistry store(registry);
    const SettingValue value = store.FetchSetting(Settings::kKeyPath, "V");
    if (registry.openHandles != 0) std::abort();
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (type != kRegSz || grows || bytes.empty()) std::abort();
        if (*text != std::string(bytes.begin(), bytes.end() - 1)) std::abort();
    } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
        if (type != kRegDword || bytes.size() != 4 || grows) std::abort();
        const auto bits = static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                     static_cast<std::uint32_t>(bytes[3]) << 24);
        if (*number != static_cast<std::int32_t>(bits)) std::abort();
    } else if (!grows && ((type == kRegSz && !bytes.empty()) || (type == kRegDword && bytes.size() == 4))) {
        std::abort();  // a usable value read as absent
    }

    // FetchText, as the Run value is read: any text, without the one zero that ends it.
    registry.Put(Settings::kKeyPath, "V", type, bytes);
    std::string text;
    const long status = store.FetchText(Settings::kKeyPath, "V", text);
    if (registry.openHandles != 0) std::abort();
    const bool isText = type == kRegSz || type == kRegExpandSz;
    if (!isText && status != mdRegistry::kUnusableValue) std::abort();
    if (isText && !grows) {
        std::string expected(bytes.begin(), bytes.end());
        if (!expected.empty() && expected.back() == '\0') expected.pop_back();
        if (status != 0 || text != expected) std::abort();
    }
    return 0;
}
