#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Whether PlaySound can play a file, as far as its header tells.
enum class WaveVerdict {
    Playable,
    NotRiffWave,      // it does not begin "RIFF", size, "WAVE"
    NoFormat,         // no "fmt " chunk
    ShortFormat,      // a "fmt " chunk too short for its format
    UnknownEncoding,  // an encoding Windows brings no codec for
    BadLayout,        // channels, rate, bits or block size that Windows refuses
    NoSound,          // no "data" chunk after the format, or an empty one
};

struct WaveFacts {
    WaveVerdict verdict = WaveVerdict::NotRiffWave;
    std::uint16_t encoding = 0;  // the format tag; an extensible format's sub-format
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
};

// How much of a file's start CheckWave looks at: the chunks before the
// format (LIST, JUNK, bext) are small.
inline constexpr std::size_t kWaveHeadSize = std::size_t{1} << 20;

// Reads a wave file's chunks from head, its first bytes (up to
// kWaveHeadSize), within its RIFF chunk and fileSize, as PlaySound finds
// them: the first "fmt " chunk, then a "data" chunk after it.
WaveFacts CheckWave(std::string_view head, std::uint64_t fileSize);
