#include "text/Inflate.h"

#include <array>

namespace {

constexpr int kMaxBits = 15;

// The stream, read bit by bit from the low end of each byte.
class Bits {
public:
    explicit Bits(std::span<const std::uint8_t> in) : in_(in) {}

    // The next n bits (0 to 16); a read past the end sets Overrun.
    unsigned Take(int n) {
        std::uint32_t value = buffer_;
        while (count_ < n) {
            if (at_ >= in_.size()) {
                overrun_ = true;
                return 0;
            }
            value |= static_cast<std::uint32_t>(in_[at_++]) << count_;
            count_ += 8;
        }
        buffer_ = value >> n;
        count_ -= n;
        return value & ((1u << n) - 1);
    }

    // A stored block starts at the next whole byte.
    std::span<const std::uint8_t> TakeBytes(std::size_t n) {
        buffer_ = 0;
        count_ = 0;
        if (in_.size() - at_ < n) {
            overrun_ = true;
            return {};
        }
        const auto bytes = in_.subspan(at_, n);
        at_ += n;
        return bytes;
    }

    bool Overrun() const { return overrun_; }

private:
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
    bool overrun_ = false;
};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
    std::array<std::uint16_t, kMaxBits + 1> count{};
    std::array<std::uint16_t, 288> symbol{};

    // False for lengths that give more codes than the bits allow.
    bool Build(const std::uint8_t* length, int n) {
        count.fill(0);
        for (int s = 0; s < n; ++s) ++count[length[s]];
        int left = 1;
        for (int bits = 1; bits <= kMaxBits; ++bits) {
            left = left * 2 - count[bits];
            if (left < 0) return false;
        }
        std::array<std::uint16_t, kMaxBits + 2> next{};
        for (int bits = 1; bits <= kMaxBits; ++bits) next[bits + 1] = next[bits] + count[bits];
        for (int s = 0; s < n; ++s)
            if (length[s]) symbol[next[length[s]]++] = static_cast<std::uint16_t>(s);
        return true;
    }

    // The next symbol, or -1 for a code the table lacks or a short stream.
    int Decode(Bits& bits) const {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code |= static_cast<int>(bits.Take(1));
            if (bits.Overrun()) return -1;
            const int n = count[len];
            if (code - n < first) return symbol[index + code - first];
            index += n;
            first = (first + n) * 2;
            code *= 2;
        }
        return -1;
    }
};

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// One block's literals and copies, up to its end code.
bool Codes(Bits& bits, const Huffman& lengths, const Huffman& distances, std::string& out, std::size_t size) {
    for (;;) {
        int symbol = lengths.Decode(bits);
        if (symbol < 0) return false;
        if (symbol < 256) {
            if (out.size() >= size) return false;
            out.push_back(static_cast<char>(symbol));
            continue;
        }
        if (symbol == 256) return true;
        symbol -= 257;
        if (symbol >= 29) return false;
        const std::size_t length = kLengthBase[symbol] + bits.Take(kLengthExtra[symbol]);
        const int code = distances.Decode(bits);
        if (code < 0 || code >= 30) return false;
        const std::size_t distance = kDistanceBase[code] + bits.Take(kDistanceExtra[code]);
        if (bits.Overrun() || distance > out.size() || size - out.size() < length) return false;
        for (std::size_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
    }
}

bool Fixed(Bits& bits, std::string& out, std::size_t size) {
    static const auto codes = [] {
        std::array<std::uint8_t, 288 + 30> length{};
        for (int s = 0; s < 288; ++s) length[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        for (int s = 0; s < 30; ++s) length[288 + s] = 5;
        std::array<Huffman, 2> built;
        built[0].Build(length.data(), 288);
        built[1].Build(length.data() + 288, 30);
        return built;
    }();
    return Codes(bits, codes[0], codes[1], out, size);
}

bool Dynamic(Bits& bits, std::string& out, std::size_t size) {
    const int literals = static_cast<int>(bits.Take(5)) + 257;
    const int distances = static_cast<int>(bits.Take(5)) + 1;
    const int lengthCodes = static_cast<int>(bits.Take(4)) + 4;
    if (bits.Overrun() || literals > 286 || distances > 30) return false;
    static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 286 + 30> length{};
    for (int i = 0; i < lengthCodes; ++i) length[kOrder[i]] = static_cast<std::uint8_t>(bits.Take(3));
    Huffman code;
    if (bits.Overrun() || !code.Build(length.data(), 19)) return false;
    int index = 0;
    while (index < literals + distances) {
        const int symbol = code.Decode(bits);
        if (symbol < 0) return false;
        if (symbol < 16) {
            length[index++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeated = 0;
        unsigned times = 0;
        if (symbol == 16) {
            if (index == 0) return false;
            repeated = length[index - 1];
            times = 3 + bits.Take(2);
        } else {
            times = symbol == 17 ? 3 + bits.Take(3) : 11 + bits.Take(7);
        }
        if (bits.Overrun() || index + static_cast<int>(times) > literals + distances) return false;
        while (times--) length[index++] = repeated;
    }
    if (length[256] == 0) return false;  // a block needs its end code
    Huffman literal, distance;
    if (!literal.Build(length.data(), literals) || !distance.Build(length.data() + literals, distances)) return false;
    return Codes(bits, literal, distance, out, size);
}

}  // namespace

std::optional<std::string> Inflate(std::span<const std::uint8_t> packed, std::size_t size) {
    Bits bits(packed);
    std::string out;
    out.reserve(size);
    for (bool last = false; !last;) {
        last = bits.Take(1) != 0;
        const unsigned type = bits.Take(2);
        if (bits.Overrun()) return std::nullopt;
        bool good = false;
        if (type == 0) {
            const auto head = bits.TakeBytes(4);
            if (bits.Overrun()) return std::nullopt;
            const unsigned n = head[0] | head[1] << 8, check = head[2] | head[3] << 8;
            if (n != (~check & 0xffffu) || size - out.size() < n) return std::nullopt;
            const auto stored = bits.TakeBytes(n);
            if (bits.Overrun()) return std::nullopt;
            out.append(stored.begin(), stored.end());
            good = true;
        } else if (type == 1) {
            good = Fixed(bits, out, size);
        } else if (type == 2) {
            good = Dynamic(bits, out, size);
        }
        if (!good) return std::nullopt;
    }
    if (out.size() != size) return std::nullopt;
    return out;
}
