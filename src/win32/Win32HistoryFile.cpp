#include "win32/Win32HistoryFile.h"

#include <windows.h>

#include "common/GetFolder.h"
#include "win32/Files.h"
#include "win32/TextConversion.h"
#include "win32/WinError.h"

namespace {

// 90 days of one record a minute take about 3.6 MB; a file far larger is
// not a history this program wrote.
constexpr LONGLONG kLargestHistory = 64ll << 20;

// Makes the folder of path and the folders above it.
void MakeFolders(const std::string& path) {
    const std::string folder = GetFolder(path);
    if (folder.size() < 4 || GetFileAttributesW(Wide(folder, CP_UTF8).c_str()) != INVALID_FILE_ATTRIBUTES) return;
    MakeFolders(folder.substr(0, folder.size() - 1));
    CreateDirectoryW(Wide(folder, CP_UTF8).c_str(), nullptr);
}

// Whether the file is empty or its last byte ends a line.
bool EndsWithLineEnd(HANDLE file, bool& ended, std::string& error) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return FailWithLastError(error);
    ended = true;
    if (size.QuadPart == 0) return true;
    LARGE_INTEGER last{};
    last.QuadPart = size.QuadPart - 1;
    char byte = 0;
    DWORD read = 0;
    if (!SetFilePointerEx(file, last, nullptr, FILE_BEGIN) || !ReadFile(file, &byte, 1, &read, nullptr))
        return FailWithLastError(error);
    ended = read == 1 && byte == '\n';
    return true;
}

}  // namespace

bool Win32HistoryFile::Read(std::string_view suffix, std::string& text, std::string& error) {
    text.clear();
    const std::wstring path = Wide(path_ + std::string(suffix), CP_UTF8);
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;  // no history yet
        error = SystemErrorText(code);
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return FailWithLastError(error);
    if (size.QuadPart > kLargestHistory) {
        error = "it is larger than 64 MiB";
        return false;
    }
    text.resize(static_cast<std::size_t>(size.QuadPart));
    return ReadAll(file.get(), text, error);
}

bool Win32HistoryFile::Append(std::string_view suffix, const std::string& text, std::string& error) {
    const std::string path = path_ + std::string(suffix);
    MakeFolders(path);
    // Others may read the history while a record goes in, but not change it.
    // Opened for appending only, every write goes to the end.
    const UniqueFile file(CreateFileW(Wide(path, CP_UTF8).c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailWithLastError(error);
    bool ended = true;
    if (!EndsWithLineEnd(file.get(), ended, error)) return false;
    return WriteAll(file.get(), ended ? text : "\r\n" + text, error);
}

bool Win32HistoryFile::Replace(std::string_view suffix, const std::string& text, std::string& error) {
    return WriteDurably(path_ + std::string(suffix), text, error);
}
