#pragma once

#include <cstdint>
#include <string>

// PlaySound's flags (Windows' SND_ values): play from a file name, no default
// sound when it cannot be played, return at once.
inline constexpr std::uint32_t kSndFilename = 0x20000, kSndNoDefault = 2, kSndAsync = 1;
inline constexpr std::uint32_t kSndFilenameNoDefaultAsync = kSndFilename | kSndNoDefault | kSndAsync;

// PlaySoundA. The result is of no use to the program and is not returned.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const std::string& path, std::uint32_t flags) = 0;
};
