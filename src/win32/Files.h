#pragma once

#include <windows.h>

#include <string>

#include "win32/Handles.h"

// The file operations the history, the mission files and the log share.
// Paths are UTF-8. Failures come back as false with the system's error text.

// Reads into all of bytes, over as many calls as the system takes; bytes is
// cut to what was there when the file ends sooner.
bool ReadAll(HANDLE file, std::string& bytes, std::string& error);
// Writes all of bytes, over as many calls as the system takes.
bool WriteAll(HANDLE file, const std::string& bytes, std::string& error);
// Opens path to add at its end, creating it if need be; share is what other
// programs may do with it meanwhile (FILE_SHARE_*).
UniqueFile OpenForAppending(const std::string& path, DWORD share);
// Creates path, or empties it, for this program alone to write.
UniqueFile CreateForWriting(const std::string& path);
// Puts the file's data on the disk.
bool Flush(HANDLE file, std::string& error);

inline constexpr DWORD kReplaceInOneStep = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
// Puts from in place of to in one step that is on the disk when it returns.
bool ReplaceInOneStep(const std::string& from, const std::string& to, std::string& error);
// Replaces path's content without ever truncating it in place: the text goes
// to path.tmp, is flushed, and that is renamed over path. A failure leaves
// path as it was and no scratch file.
bool WriteDurably(const std::string& path, const std::string& text, std::string& error);
