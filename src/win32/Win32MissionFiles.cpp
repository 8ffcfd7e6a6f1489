#include "win32/Win32MissionFiles.h"

#include <vector>

#include "win32/Files.h"
#include "win32/TextConversion.h"
#include "win32/WinError.h"

namespace {

FileFacts FactsOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {(std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow,
            (std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime,
            info.nNumberOfLinks};
}

bool FactsOf(HANDLE file, FileFacts& facts, std::string& error) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return FailWithLastError(error);
    facts = FactsOf(info);
    return true;
}

}  // namespace

MissionFiles::ListStatus Win32MissionFiles::List(const std::string& folder, std::vector<MissionEntry>& entries,
                                                 std::string& error) {
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW(Wide(folder + "*", CP_UTF8).c_str(), &data));
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
        entries.push_back({Narrow(data.cFileName, CP_UTF8), (data.dwFileAttributes & skip) == 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(find.get(), &data));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        error = SystemErrorText(code);
        return ListStatus::Failed;
    }
    return ListStatus::Listed;
}

MissionFiles::ReadStatus Win32MissionFiles::Read(const std::string& path, std::size_t maxSize, std::string& bytes,
                                                 FileFacts& facts, std::string& error) {
    const UniqueFile file(CreateFileW(Wide(path, CP_UTF8).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !FactsOf(file.get(), facts, error)) {
        if (!file) FailWithLastError(error);
        return ReadStatus::Failed;
    }
    if (facts.size > maxSize) return ReadStatus::TooLarge;
    bytes.resize(static_cast<std::size_t>(facts.size));
    return ReadAll(file.get(), bytes, error) ? ReadStatus::Read : ReadStatus::Failed;
}

bool Win32MissionFiles::Facts(const std::string& path, FileFacts& facts, std::string& error) {
    // No access to the data is needed for its facts, and no other program is kept out.
    const UniqueFile file(CreateFileW(Wide(path, CP_UTF8).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailWithLastError(error);
    return FactsOf(file.get(), facts, error);
}

bool Win32MissionFiles::Write(const std::string& path, const std::string& bytes, std::string& error) {
    const UniqueFile file = CreateForWriting(path);
    return file ? WriteAll(file.get(), bytes, error) : FailWithLastError(error);
}

bool Win32MissionFiles::Flush(const std::string& path, std::string& error) {
    const UniqueFile file(CreateFileW(Wide(path, CP_UTF8).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ::Flush(file.get(), error) : FailWithLastError(error);
}

MissionFiles::ReplaceOutcome Win32MissionFiles::Replace(const std::string& from, const std::string& to,
                                                        std::string& error) {
    if (!MoveFile(from, to, kReplaceInOneStep)) return FailWithLastError(error), ReplaceOutcome::Unchanged;

    const std::size_t nameAt = to.find_last_of('\\') + 1;
    const std::string wanted = to.substr(nameAt);
    const std::string onDisk = NameOnDisk(to);
    if (onDisk.empty() || onDisk == wanted) return ReplaceOutcome::Replaced;
    // The old name differed in letter case and was kept. Windows renames in
    // place; Wine ignores a rename that only changes case, so there the file
    // goes out to the scratch name and back in under the new name. Should the
    // program stop in between, the next run finds the complete file under
    // the scratch name and puts it back.
    const std::string current = to.substr(0, nameAt) + onDisk;
    if (MoveFile(current, to, MOVEFILE_WRITE_THROUGH) && NameOnDisk(to) == wanted) return ReplaceOutcome::Replaced;
    if (!MoveFile(current, from, MOVEFILE_WRITE_THROUGH))
        return FailWithLastError(error), ReplaceOutcome::ReplacedKeepingName;
    if (MoveFile(from, to, MOVEFILE_WRITE_THROUGH)) return ReplaceOutcome::Replaced;
    FailWithLastError(error);
    // Back under its old name; failing that, it is left under the scratch name.
    return MoveFile(from, current, MOVEFILE_WRITE_THROUGH) ? ReplaceOutcome::ReplacedKeepingName
                                                           : ReplaceOutcome::OnlyScratch;
}

bool Win32MissionFiles::MoveNew(const std::string& from, const std::string& to, std::string& error) {
    return MoveFile(from, to, MOVEFILE_WRITE_THROUGH) || FailWithLastError(error);
}

bool Win32MissionFiles::Remove(const std::string& path, std::string& error) {
    if (DeleteFileW(Wide(path, CP_UTF8).c_str())) return true;
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    return FailWithLastError(error);
}

std::string Win32MissionFiles::UpperCaseName(const std::string& name) {
    // The invariant locale's upper case is what the file system compares by.
    const std::wstring wide = Wide(name, CP_UTF8);
    if (wide.empty()) return name;
    std::wstring upper(wide.size(), L'\0');
    if (!LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), upper.data(),
                      static_cast<int>(upper.size())))
        return name;
    return Narrow(upper, CP_UTF8);
}

BOOL Win32MissionFiles::MoveFile(const std::string& from, const std::string& to, DWORD flags) {
    return MoveFileExW(Wide(from, CP_UTF8).c_str(), Wide(to, CP_UTF8).c_str(), flags);
}

std::string Win32MissionFiles::NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW(Wide(path, CP_UTF8).c_str(), &data));
    return find ? Narrow(data.cFileName, CP_UTF8) : std::string();
}
