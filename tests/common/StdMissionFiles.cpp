#include "StdMissionFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "common/Text.h"

namespace fs = std::filesystem;

namespace {

fs::path NativePath(const std::string& windowsPath) {
    std::string p = windowsPath;
    for (char& c : p)
        if (c == '\\') c = '/';
    return fs::path(p);
}

// The existing entry that path names when letter case is ignored; path itself
// when it exists as written or nothing matches. The folder is read with
// readdir: a thousand missions make a million names to compare.
fs::path Existing(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return path;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string name = path.filename().string();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return path;
    fs::path found = path;
    while (const dirent* entry = ::readdir(dir)) {
        if (EqualsIgnoreCase(entry->d_name, name)) {
            found = folder / entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool Fail(int code, std::string& error) {
    error = std::error_code(code, std::generic_category()).message();
    return false;
}

FileFacts FactsOf(const struct stat& st) {
    return {
        static_cast<std::uint64_t>(st.st_size),
        static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(st.st_mtim.tv_nsec),
        static_cast<std::uint32_t>(st.st_nlink)};
}

}  // namespace

MissionFiles::ListStatus StdMissionFiles::List(const std::string& folder, std::vector<MissionEntry>& entries,
                                               std::string& error) {
    const fs::path dir = Existing(NativePath(folder));
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return ListStatus::NoFolder;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool link = it->is_symlink(ec);
        // A link to a file counts as a file, as a symbolic link does on Windows.
        const bool file = fs::is_regular_file(it->path(), ec);
        entries.push_back({name, file && name.front() != '.', link});
    }
    if (ec) {
        error = ec.message();
        return ListStatus::Failed;
    }
    return ListStatus::Listed;
}

MissionFiles::ReadStatus StdMissionFiles::Read(const std::string& path, std::size_t maxSize, std::string& bytes,
                                               FileFacts& facts, std::string& error) {
    const int fd = ::open(Existing(NativePath(path)).c_str(), O_RDONLY);
    if (fd < 0) return Fail(errno, error), ReadStatus::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = S_ISREG(st.st_mode) ? errno : EISDIR;
        ::close(fd);
        return Fail(code, error), ReadStatus::Failed;
    }
    facts = FactsOf(st);
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        ::close(fd);
        return ReadStatus::TooLarge;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            const int code = errno;
            ::close(fd);
            return Fail(code, error), ReadStatus::Failed;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return ReadStatus::Read;
}

bool StdMissionFiles::Facts(const std::string& path, FileFacts& facts, std::string& error) {
    struct stat st {};
    if (::stat(Existing(NativePath(path)).c_str(), &st) != 0) return Fail(errno, error);
    facts = FactsOf(st);
    return true;
}

bool StdMissionFiles::Write(const std::string& path, const std::string& bytes, std::string& error) {
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return Fail(errno, error);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const int code = done == bytes.size() ? 0 : errno;
    ::close(fd);
    return code == 0 || Fail(code, error);
}

bool StdMissionFiles::Flush(const std::string& path, std::string& error) {
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY);
    if (fd < 0) return Fail(errno, error);
    const int code = flushing_ == Flushing::ToSystem || ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return code == 0 || Fail(code, error);
}

MissionFiles::ReplaceOutcome StdMissionFiles::Replace(const std::string& from, const std::string& to,
                                                      std::string& error) {
    const fs::path target = NativePath(to);
    const fs::path existing = Existing(target);
    std::error_code ec;
    // First the content, in one rename over the file as it is named now; then
    // the name, when only its letter case differs.
    fs::rename(NativePath(from), existing, ec);
    if (ec) {
        error = ec.message();
        return ReplaceOutcome::Unchanged;
    }
    if (existing == target) return ReplaceOutcome::Replaced;
    fs::rename(existing, target, ec);
    if (!ec) return ReplaceOutcome::Replaced;
    error = ec.message();
    return ReplaceOutcome::ReplacedKeepingName;
}

bool StdMissionFiles::MoveNew(const std::string& from, const std::string& to, std::string& error) {
    // link() fails when the new name exists; the old name goes after.
    const fs::path source = Existing(NativePath(from)), target = NativePath(to);
    if (Existing(target) != target || fs::exists(fs::symlink_status(target))) return Fail(EEXIST, error);
    if (::link(source.c_str(), target.c_str()) != 0) return Fail(errno, error);
    return ::unlink(source.c_str()) == 0 || Fail(errno, error);
}

bool StdMissionFiles::Remove(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!fs::remove(Existing(NativePath(path)), ec) && ec) {
        error = ec.message();
        return false;
    }
    return true;
}

std::string StdMissionFiles::UpperCaseName(const std::string& name) { return ToUpperAscii(name); }
