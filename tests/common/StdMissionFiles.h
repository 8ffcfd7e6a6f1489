#pragma once

#include "platform/MissionFiles.h"

// The mission file operations over std::filesystem and POSIX (for fsync),
// for systems other than Windows: backslashes in paths become the native separator, names are
// matched without regard to case as Windows would, and names starting with
// a dot count as hidden.
class StdMissionFiles : public MissionFiles {
public:
    ListStatus List(const std::string& folder, std::vector<MissionEntry>& entries, std::string& error) override;
    bool Read(const std::string& path, std::string& bytes, std::string& error) override;
    bool WriteDurably(const std::string& path, const std::string& bytes, std::string& error) override;
    bool Replace(const std::string& from, const std::string& to, std::string& error) override;
    bool Remove(const std::string& path, std::string& error) override;
};
