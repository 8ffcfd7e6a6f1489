// CheckWave over any bytes: what lies after the RIFF chunk never changes
// the verdict, and reading only the start of a file never accuses a file
// that plays of anything but a format it could not see.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const WaveFacts whole = CheckWave(file, size);

    if (size >= 8 && file.substr(0, 4) == "RIFF") {
        const std::uint64_t end = 8 + (std::uint64_t{data[4]} | std::uint64_t{data[5]} << 8 |
                                       std::uint64_t{data[6]} << 16 | std::uint64_t{data[7]} << 24);
        if (end >= 12 && end < size && CheckWave(file.substr(0, end), end).verdict != whole.verdict) std::abort();
    }

    // The same file, of which only a start was read.
    for (std::size_t cut = 12; cut < size; cut += 1 + cut / 4) {
        const WaveVerdict seen = CheckWave(file.substr(0, cut), size).verdict;
        if ((seen == WaveVerdict::NotRiffWave) != (whole.verdict == WaveVerdict::NotRiffWave)) std::abort();
        if (whole.verdict == WaveVerdict::Playable && seen != WaveVerdict::Playable && seen != WaveVerdict::NoFormat &&
            seen != WaveVerdict::ShortFormat)
            std::abort();
    }
    return 0;
}
