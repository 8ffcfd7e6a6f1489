#pragma once

#include <cstdint>
#include <string>

// Play from a file name (0x20000), no default sound (2), return at once (1).
inline constexpr std::uint32_t kSndFilenameNoDefaultAsync = 0x20003;

// PlaySoundA. The result is of no use to the program and is not returned.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const std::string& path, std::uint32_t flags) = 0;
};
