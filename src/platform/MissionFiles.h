#pragma once

#include <string>
#include <vector>

struct MissionEntry {
    std::string name;
    bool plainFile = false;  // not a directory, hidden or system file
};

// The file operations the mission sorter needs. Paths are Windows paths
// (backslashes); names are matched without regard to case, as Windows does.
// Failures come back as false with the system's error text.
class MissionFiles {
public:
    enum class ListStatus { Listed, NoFolder, Failed };

    virtual ~MissionFiles() = default;
    virtual ListStatus List(const std::string& folder, std::vector<MissionEntry>& entries, std::string& error) = 0;
    virtual bool Read(const std::string& path, std::string& bytes, std::string& error) = 0;
    // Creates or truncates path, writes bytes and flushes them to disk.
    virtual bool WriteDurably(const std::string& path, const std::string& bytes, std::string& error) = 0;
    // Puts from in place of the file to names, in one step, and leaves it
    // named exactly to (also when the old name differed in letter case). On
    // failure, to still names a complete file and from may be removed.
    virtual bool Replace(const std::string& from, const std::string& to, std::string& error) = 0;
    virtual bool Remove(const std::string& path, std::string& error) = 0;
};
