#pragma once

#include "platform/MissionFiles.h"

// The mission file operations over the Windows file API (ANSI entry points).
class Win32MissionFiles : public MissionFiles {
public:
    ListStatus List(const std::string& folder, std::vector<MissionEntry>& entries, std::string& error) override;
    bool Read(const std::string& path, std::string& bytes, std::string& error) override;
    bool WriteDurably(const std::string& path, const std::string& bytes, std::string& error) override;
    bool Replace(const std::string& from, const std::string& to, std::string& error) override;
    bool Remove(const std::string& path, std::string& error) override;
};
