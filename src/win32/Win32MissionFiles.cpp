#include "win32/Win32MissionFiles.h"

#include <windows.h>

#include "win32/Handles.h"
#include "win32/WinError.h"

namespace {

// The name a path's file has on disk, letter case included.
std::string NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAA data;
    const UniqueFind find(FindFirstFileA(path.c_str(), &data));
    return find ? data.cFileName : std::string();
}

}  // namespace

MissionFiles::ListStatus Win32MissionFiles::List(const std::string& folder, std::vector<MissionEntry>& entries,
                                                 std::string& error) {
    WIN32_FIND_DATAA data;
    const UniqueFind find(FindFirstFileA((folder + "*").c_str(), &data));
    if (!find) {
        const DWORD code = GetLastError();
        if (code == ERROR_PATH_NOT_FOUND || code == ERROR_FILE_NOT_FOUND || code == ERROR_INVALID_NAME ||
            code == ERROR_NOT_READY || code == ERROR_BAD_NETPATH)
            return ListStatus::NoFolder;
        error = SystemErrorText(code);
        return ListStatus::Failed;
    }
    do {
        const DWORD skip =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
        entries.push_back({data.cFileName, (data.dwFileAttributes & skip) == 0});
    } while (FindNextFileA(find.get(), &data));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        error = SystemErrorText(code);
        return ListStatus::Failed;
    }
    return ListStatus::Listed;
}

bool Win32MissionFiles::Read(const std::string& path, std::string& bytes, std::string& error) {
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailWithLastError(error);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return FailWithLastError(error);
    if (size.QuadPart > 0x7FFFFFFF) {
        error = "the file is too large";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr))
            return FailWithLastError(error);
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool Win32MissionFiles::WriteDurably(const std::string& path, const std::string& bytes, std::string& error) {
    const UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailWithLastError(error);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr))
            return FailWithLastError(error);
        done += written;
    }
    // MOVEFILE_WRITE_THROUGH alone does not flush the data under Wine.
    if (!FlushFileBuffers(file.get())) return FailWithLastError(error);
    return true;
}

bool Win32MissionFiles::Replace(const std::string& from, const std::string& to, std::string& error) {
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!MoveFileExA(from.c_str(), to.c_str(), kReplace)) return FailWithLastError(error);

    const std::size_t nameAt = to.find_last_of('\\') + 1;
    const std::string onDisk = NameOnDisk(to);
    if (onDisk.empty() || onDisk == to.substr(nameAt)) return true;
    // The old name differed in letter case and was kept. Windows renames in
    // place; Wine ignores a rename that only changes case, so there the file
    // goes out to the scratch name and back in under the new name. Should the
    // program stop in between, the sorter's next run finds the complete file
    // under the scratch name and puts it back.
    const std::string current = to.substr(0, nameAt) + onDisk;
    if (MoveFileExA(current.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) && NameOnDisk(to) == to.substr(nameAt))
        return true;
    if (!MoveFileExA(current.c_str(), from.c_str(), kReplace)) return FailWithLastError(error);
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD code = GetLastError();
    MoveFileExA(from.c_str(), current.c_str(), MOVEFILE_WRITE_THROUGH);  // back under its old name
    error = SystemErrorText(code);
    return false;
}

bool Win32MissionFiles::Remove(const std::string& path, std::string& error) {
    if (DeleteFileA(path.c_str())) return true;
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    return FailWithLastError(error);
}
