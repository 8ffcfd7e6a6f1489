#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// PlaySound's flags (Windows' SND_ values): play from a file name, no default
// sound when it cannot be played, return at once.
inline constexpr std::uint32_t kSndFilename = 0x20000, kSndNoDefault = 2, kSndAsync = 1;
inline constexpr std::uint32_t kSndFilenameNoDefaultAsync = kSndFilename | kSndNoDefault | kSndAsync;

enum class FileRead { Read, Missing, Failed };

// PlaySound, and a look at the file it would play.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // The result is of no use to the program and is not returned.
    virtual void Play(const std::string& path, std::uint32_t flags) = 0;
    // The file Play plays for path: a relative name is looked for as Play looks for it.
    virtual std::string FileFor(const std::string& path) = 0;
    // The first count bytes of file (all of a shorter one) and its size;
    // error holds Windows' words when it could not be read.
    virtual FileRead ReadStart(const std::string& file, std::size_t count, std::string& bytes, std::uint64_t& size,
                               std::string& error) = 0;
};
