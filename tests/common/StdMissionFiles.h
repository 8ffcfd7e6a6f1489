#pragma once

#include "platform/MissionFiles.h"

// The mission file operations over std::filesystem and POSIX (for fsync), for
// the native tests and the benchmark: backslashes in paths become slashes,
// names are matched without regard to case as Windows would, names starting
// with a dot count as hidden, and upper case is ASCII only.
class StdMissionFiles : public MissionFiles {
public:
    // Whether Flush waits for the disk (fsync). No native test cuts a real
    // disk's power (a killed process loses nothing the system holds), so the
    // tests need only the call; the benchmark measures the wait too.
    enum class Flushing { ToDisk, ToSystem };
    explicit StdMissionFiles(Flushing flushing = Flushing::ToDisk) : flushing_(flushing) {}

    ListStatus List(const std::string& folder, std::vector<MissionEntry>& entries, std::string& error) override;
    ReadStatus Read(const std::string& path, std::size_t maxSize, std::string& bytes, FileFacts& facts,
                    std::string& error) override;
    bool Facts(const std::string& path, FileFacts& facts, std::string& error) override;
    bool Write(const std::string& path, const std::string& bytes, std::string& error) override;
    bool Flush(const std::string& path, std::string& error) override;
    ReplaceOutcome Replace(const std::string& from, const std::string& to, std::string& error) override;
    bool MoveNew(const std::string& from, const std::string& to, std::string& error) override;
    bool Remove(const std::string& path, std::string& error) override;
    std::string UpperCaseName(const std::string& name) override;

private:
    Flushing flushing_;
};
