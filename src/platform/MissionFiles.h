#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MissionEntry {
    std::string name;
    bool plainFile = false;  // not a directory, hidden, system or device entry
    bool link = false;       // a reparse point: a symbolic link or a junction
};

// What the sorter compares to tell that a file is still the one it read.
struct FileFacts {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;  // in the file system's own units
    std::uint32_t links = 1;      // names (hard links) of the file's data
    bool operator==(const FileFacts&) const = default;
};

// The file operations the mission sorter needs. Paths are Windows paths
// (backslashes); names are matched without regard to case, as Windows does.
// Failures come back with the system's error text.
class MissionFiles {
public:
    enum class ListStatus { Listed, NoFolder, Failed };
    enum class ReadStatus { Read, TooLarge, Failed };
    // What a replace left behind.
    enum class ReplaceOutcome {
        Replaced,             // to holds from's content, named exactly to
        ReplacedKeepingName,  // to holds from's content, but its name kept its old letter case
        Unchanged,            // to is as it was; from still holds the new content
        OnlyScratch,          // the new content exists only under from's name; to is gone
    };

    virtual ~MissionFiles() = default;
    virtual ListStatus List(const std::string& folder, std::vector<MissionEntry>& entries, std::string& error) = 0;
    // Reads the whole file and its facts as read; reads nothing from a file
    // larger than maxSize.
    virtual ReadStatus Read(const std::string& path, std::size_t maxSize, std::string& bytes, FileFacts& facts,
                            std::string& error) = 0;
    virtual bool Facts(const std::string& path, FileFacts& facts, std::string& error) = 0;
    // Creates or truncates path and writes bytes, which may stay in the
    // system's cache until Flush.
    virtual bool Write(const std::string& path, const std::string& bytes, std::string& error) = 0;
    // Puts path's data on the disk.
    virtual bool Flush(const std::string& path, std::string& error) = 0;
    // Puts from in place of the file to names, in one step that is on the
    // disk when it returns, and names it exactly to.
    virtual ReplaceOutcome Replace(const std::string& from, const std::string& to, std::string& error) = 0;
    // Renames from to to; fails, changing nothing, when anything is named to.
    virtual bool MoveNew(const std::string& from, const std::string& to, std::string& error) = 0;
    virtual bool Remove(const std::string& path, std::string& error) = 0;
    // name in upper case as the file system compares names.
    virtual std::string UpperCaseName(const std::string& name) = 0;
};
