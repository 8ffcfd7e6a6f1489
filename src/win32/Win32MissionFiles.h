#pragma once

#include <windows.h>

#include "platform/MissionFiles.h"

// The mission file operations over the Windows file API (its UTF-16 entry
// points; paths and names in UTF-8).
// The two calls a replace is made of are virtual, so that a test can make
// each fail in turn.
class Win32MissionFiles : public MissionFiles {
public:
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

protected:
    virtual BOOL MoveFile(const std::string& from, const std::string& to, DWORD flags);
    // The name a path's file has on disk, letter case included; empty when none.
    virtual std::string NameOnDisk(const std::string& path);
};
