#include "StdMissionFiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/Text.h"

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path NativePath(const std::string& windowsPath) {
    std::string p = windowsPath;
    for (char& c : p)
        if (c == '\\') c = '/';
    return fs::path(p);
}

// The existing entry that path names when letter case is ignored; path itself
// when it exists as written or nothing matches.
fs::path Existing(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) return path;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsIgnoreCase(it->path().filename().string(), path.filename().string())) return it->path();
    }
    return path;
}

std::string ErrorText(const std::error_code& ec) { return ec.message(); }

}  // namespace

MissionFiles::ListStatus StdMissionFiles::List(const std::string& folder, std::vector<MissionEntry>& entries,
                                               std::string& error) {
    const fs::path dir = Existing(NativePath(folder));
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return ListStatus::NoFolder;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool regular = it->is_regular_file(ec) && !it->is_symlink(ec);
        entries.push_back({name, regular && name.front() != '.'});
    }
    if (ec) {
        error = ErrorText(ec);
        return ListStatus::Failed;
    }
    return ListStatus::Listed;
}

bool StdMissionFiles::Read(const std::string& path, std::string& bytes, std::string& error) {
    const fs::path file = Existing(NativePath(path));
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        error = ec ? ErrorText(ec) : "not a file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = ErrorText(std::error_code(errno, std::generic_category()));
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "read error";
        return false;
    }
    return true;
}

bool StdMissionFiles::WriteDurably(const std::string& path, const std::string& bytes, std::string& error) {
    const fs::path file = NativePath(path);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        error = ErrorText(std::error_code(errno, std::generic_category()));
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const int writeErrno = done == bytes.size() ? 0 : errno;
    const bool synced = writeErrno == 0 && ::fsync(fd) == 0;
    const int syncErrno = synced ? 0 : errno;
    ::close(fd);
    if (!synced) {
        error = ErrorText(std::error_code(writeErrno ? writeErrno : syncErrno, std::generic_category()));
        return false;
    }
    return true;
}

bool StdMissionFiles::Replace(const std::string& from, const std::string& to, std::string& error) {
    const fs::path target = NativePath(to);
    const fs::path existing = Existing(target);
    std::error_code ec;
    // First the content, in one rename over the file as it is named now; then
    // the name, when only its letter case differs.
    fs::rename(NativePath(from), existing, ec);
    if (!ec && existing != target) fs::rename(existing, target, ec);
    if (ec) {
        error = ErrorText(ec);
        return false;
    }
    return true;
}

bool StdMissionFiles::Remove(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!fs::remove(Existing(NativePath(path)), ec) && ec) {
        error = ErrorText(ec);
        return false;
    }
    return true;
}
