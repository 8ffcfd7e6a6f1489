#include "win32/FileLog.h"

#include <windows.h>

#include <cstdio>

#include "win32/Files.h"
#include "win32/WinError.h"

namespace {
// Other programs may read, write, rename and delete the log while a line goes in.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

bool FileLog::Check(std::string& error) const { return OpenForAppending(path_, kShareAll) || FailWithLastError(error); }

void FileLog::Write(const std::string& line) {
    const UniqueFile file = OpenForAppending(path_, kShareAll);
    if (!file) return;
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    std::string ignored;  // a line that cannot be written is lost; the program goes on
    WriteAll(file.get(), stamp + line + "\r\n", ignored);
}
