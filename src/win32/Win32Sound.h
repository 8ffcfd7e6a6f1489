#pragma once

#include <string>

#include "platform/EventLog.h"
#include "platform/SoundPlayer.h"

// PlaySoundW; a relative file is also looked for beside the program. Notes
// in the log which file it plays, or that it cannot open it.
class Win32Sound : public SoundPlayer {
public:
    explicit Win32Sound(EventLog* log) : log_(log) {}
    void Play(const std::string& path, std::uint32_t flags) override;
    std::string FileFor(const std::string& path) override;
    FileRead ReadStart(const std::string& file, std::size_t count, std::string& bytes, std::uint64_t& size,
                       std::string& error) override;

private:
    EventLog* log_;
};
