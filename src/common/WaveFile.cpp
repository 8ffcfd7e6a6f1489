#include "common/WaveFile.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;
// The encodings Windows' own codecs (ACM) turn into PCM: MS ADPCM, A-law,
// mu-law, IMA ADPCM, GSM 6.10 and MPEG layer 3.
constexpr std::array<std::uint16_t, 6> kCodecEncodings = {0x0002, 0x0006, 0x0007, 0x0011, 0x0031, 0x0055};
// An extensible format's sub-format GUID after its first two bytes, which
// hold the plain format tag.
constexpr std::array<unsigned char, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                  << 8);
}

std::uint32_t Le32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Le16(bytes, at)) | static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}

bool IsCodecEncoding(std::uint16_t encoding) {
    return std::find(kCodecEncodings.begin(), kCodecEncodings.end(), encoding) != kCodecEncodings.end();
}

// The format chunk's body (WAVEFORMATEX and what follows it).
WaveFacts CheckFormat(std::string_view format) {
    WaveFacts facts;
    facts.verdict = WaveVerdict::ShortFormat;
    if (format.size() < 14) return facts;
    facts.encoding = Le16(format, 0);
    facts.channels = Le16(format, 2);
    facts.sampleRate = Le32(format, 4);
    const std::uint16_t blockAlign = Le16(format, 12);
    if (format.size() >= 16) facts.bitsPerSample = Le16(format, 14);
    if (facts.encoding == kExtensible) {
        if (format.size() < 40 || Le16(format, 16) < 22) return facts;
        if (!std::equal(kSubFormatTail.begin(), kSubFormatTail.end(), format.begin() + 26,
                        [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); })) {
            facts.verdict = WaveVerdict::UnknownEncoding;
            return facts;
        }
        facts.encoding = Le16(format, 24);
    }
    const bool linear = facts.encoding == kPcm || facts.encoding == kFloat;
    if (linear && format.size() < 16) return facts;
    if (!linear && !IsCodecEncoding(facts.encoding)) {
        facts.verdict = WaveVerdict::UnknownEncoding;
        return facts;
    }
    facts.verdict = WaveVerdict::BadLayout;
    if (facts.sampleRate < 1000 || facts.sampleRate > 384000 || facts.channels == 0 || blockAlign == 0) return facts;
    if (!linear) {
        if (facts.channels > 2) return facts;
    } else {
        const std::uint16_t bits = facts.bitsPerSample;
        const bool sizeKnown =
            facts.encoding == kPcm ? (bits == 8 || bits == 16 || bits == 24 || bits == 32) : bits == 32;
        if (!sizeKnown || facts.channels > 8 || blockAlign != facts.channels * bits / 8) return facts;
    }
    facts.verdict = WaveVerdict::Playable;
    return facts;
}

}  // namespace

WaveFacts CheckWave(std::string_view head, std::uint64_t fileSize) {
    WaveFacts facts;
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "WAVE") return facts;
    // PlaySound looks for chunks inside the RIFF chunk, as far as the file goes.
    const std::uint64_t end = std::min<std::uint64_t>(8 + std::uint64_t{Le32(head, 4)}, fileSize);
    bool haveFormat = false;
    std::uint64_t at = 12;
    while (at + 8 <= end) {
        // A chunk beyond what was read: with a good format so far, nothing says it cannot play.
        if (at + 8 > head.size()) return haveFormat ? facts : WaveFacts{WaveVerdict::NoFormat};
        const std::string_view id = head.substr(static_cast<std::size_t>(at), 4);
        const std::uint32_t size = Le32(head, static_cast<std::size_t>(at) + 4);
        const std::uint64_t body = at + 8;
        if (id == "fmt " && !haveFormat) {
            const std::uint64_t available = std::min<std::uint64_t>({end, head.size(), body + size}) - body;
            facts = CheckFormat(head.substr(static_cast<std::size_t>(body), static_cast<std::size_t>(available)));
            if (facts.verdict != WaveVerdict::Playable) return facts;
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            // Sound data that the file holds at least in part.
            if (size == 0 || body >= end) facts.verdict = WaveVerdict::NoSound;
            return facts;
        }
        // Chunks are padded to an even size.
        at = body + size + (size & 1);
    }
    facts.verdict = haveFormat ? WaveVerdict::NoSound : WaveVerdict::NoFormat;
    return facts;
}
