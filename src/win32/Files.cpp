#include "win32/Files.h"

#include <algorithm>

#include "win32/TextConversion.h"
#include "win32/WinError.h"

namespace {
// Each call reads or writes at most this much, so that the count fits a DWORD.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;
}  // namespace

bool ReadAll(HANDLE file, std::string& bytes, std::string& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kLargestCall));
        if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr)) return FailWithLastError(error);
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool WriteAll(HANDLE file, const std::string& bytes, std::string& error) {
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kLargestCall));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return FailWithLastError(error);
        // A call that succeeds without writing would loop for ever.
        if (written == 0) {
            error = SystemErrorText(ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    return true;
}

UniqueFile OpenForAppending(const std::string& path, DWORD share) {
    return UniqueFile(CreateFileW(Wide(path, CP_UTF8).c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

UniqueFile CreateForWriting(const std::string& path) {
    return UniqueFile(CreateFileW(Wide(path, CP_UTF8).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Flush(HANDLE file, std::string& error) {
    // MOVEFILE_WRITE_THROUGH alone does not flush the data under Wine: each
    // replace flushes its scratch copy first.
    return FlushFileBuffers(file) || FailWithLastError(error);
}

bool ReplaceInOneStep(const std::string& from, const std::string& to, std::string& error) {
    return MoveFileExW(Wide(from, CP_UTF8).c_str(), Wide(to, CP_UTF8).c_str(), kReplaceInOneStep) ||
           FailWithLastError(error);
}

bool WriteDurably(const std::string& path, const std::string& text, std::string& error) {
    const std::string scratch = path + ".tmp";
    bool written;
    {
        const UniqueFile file = CreateForWriting(scratch);
        if (!file) return FailWithLastError(error);
        written = WriteAll(file.get(), text, error) && Flush(file.get(), error);
    }
    if (written && ReplaceInOneStep(scratch, path, error)) return true;
    DeleteFileW(Wide(scratch, CP_UTF8).c_str());
    return false;
}
