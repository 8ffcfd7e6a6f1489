// The sorter stopped at every file operation of a 12-file run: by a kill of its
// process, and by a power cut that loses what was not on the disk yet. Each
// mission keeps its old or gets its new content, whole, and a second run
// finishes the job without leaving scratch files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <memory>
#include <thread>

#include "StdMissionFiles.h"
#include "SteppedFiles.h"
#include "TempFolder.h"
#include "common/Text.h"
#include "missions/MissionSorter.h"

namespace fs = std::filesystem;

namespace {

enum class When { Before, Midway };

// Kills its own process at one point of the run: before an operation, or in
// the middle of a write (half the bytes on disk). Between two operations the
// sorter touches no file, so "after one" is "before the next".
class DyingFiles : public SteppedFiles {
public:
    DyingFiles(MissionFiles& real, int at, When when) : SteppedFiles(real), at_(at), when_(when) {}

private:
    bool Go(int operation, std::string&) override {
        if (operation == at_) ::kill(::getpid(), SIGKILL);
        return true;
    }
    bool HalfWrite(int operation) override { return operation == at_ && when_ == When::Midway; }
    int at_;
    When when_;
};

// Waits for a child for at most a minute: a hung child fails the test instead
// of stalling the run. True when it was killed by a signal.
bool WaitForChild(pid_t child) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) return WIFSIGNALED(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ADD_FAILURE() << "the sorter's process did not end within a minute";
    return false;
}

TEST(MissionCrashTest, KilledAtEveryOperationEachMissionIsOldOrNew) {
    TempFolder temp;
    const fs::path missions = temp.Path() / "Media" / "Missions" / "Multiplayer";
    const std::string lobby = temp.WindowsPath() + "\\qlpro.exe";
    // Every mix of letter cases in a name and its extension, each file at
    // every operation: more files would only repeat the same points.
    constexpr int kFiles = 12;
    std::map<std::string, std::string> old;
    for (int i = 1; i <= kFiles; ++i) {
        const std::string name = (i % 3 ? "m" : "M") + std::to_string(100 + i) + (i % 2 ? ".mis" : ".MIS");
        old[name] = "[" + name + "]\r\n  msnDate \"5/" + std::to_string(i % 28 + 1) + "/1940\" // " +
                    std::string(i * 7, 'x') + "\r\n";
    }
    const auto reset = [&] {
        fs::remove_all(missions);
        fs::create_directories(missions);
        for (const auto& [name, bytes] : old) TempFolder::Write(missions / name, bytes);
    };

    StdMissionFiles files(StdMissionFiles::Flushing::ToSystem);
    reset();
    ASSERT_TRUE(MissionSorter(files).Run(lobby).empty());
    const auto fresh = TempFolder::Contents(missions);  // upper-case names, new dates
    ASSERT_EQ(fresh.size(), static_cast<std::size_t>(kFiles));
    // The listing, then read, write, flush, check and replace per file; one
    // past the last operation is a run that completes.
    const int operations = 1 + 5 * kFiles;
    const auto isWrite = [](int at) { return at % 5 == 2; };

    int kills = 0, points = 0;
    for (int at = 0; at <= operations; ++at) {
        for (When when : {When::Before, When::Midway}) {
            if (when == When::Midway && !isWrite(at)) continue;
            ++points;
            reset();
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                DyingFiles dying(files, at, when);
                MissionSorter(dying).Run(lobby);
                ::_exit(0);
            }
            kills += WaitForChild(child);

            for (const auto& [name, bytes] : old) {
                const std::string upper = ToUpperAscii(name);
                const bool asOld = fs::exists(missions / name) && TempFolder::Read(missions / name) == bytes;
                const bool asNew =
                    (fs::exists(missions / upper) && TempFolder::Read(missions / upper) == fresh.at(upper)) ||
                    (fs::exists(missions / name) && TempFolder::Read(missions / name) == fresh.at(upper));
                ASSERT_TRUE(asOld || asNew)
                    << name << " is damaged after a kill at operation " << at << "/" << static_cast<int>(when);
            }
            ASSERT_TRUE(MissionSorter(files).Run(lobby).failures.empty());
            ASSERT_EQ(TempFolder::Contents(missions), fresh) << "the second run after a kill at " << at;
        }
    }
    EXPECT_EQ(kills, points - 1) << "every point but the completed run killed the sorter";
}

// A disk whose power can fail. What a program sees is the cache; what is on
// the disk is what survives: a file's data once it was flushed, a name (a
// new file, a rename, a removal) once the call that made it returned, as the
// Windows layer's write-through renames promise. After the cut every call
// fails until Reboot.
class PowerCutDisk : public MissionFiles {
public:
    explicit PowerCutDisk(int cutAt) : cutAt_(cutAt) {}

    void Put(const std::string& path, const std::string& bytes) {
        auto file = std::make_shared<File>(File{bytes, bytes, ++clock_});
        names_[Key(path)] = {path, file};
    }
    // Every name, and what it held when the power came back.
    std::map<std::string, std::string> Reboot() {
        cutAt_ = -1;
        dead_ = false;
        std::map<std::string, std::string> disk;
        for (auto& [key, entry] : names_) disk[Name(entry.path)] = entry.file->cached = entry.file->durable;
        return disk;
    }
    bool Cut() const { return dead_; }
    // Every name, and what it holds as programs see it.
    std::map<std::string, std::string> Seen() const {
        std::map<std::string, std::string> seen;
        for (const auto& [key, entry] : names_) seen[Name(entry.path)] = entry.file->cached;
        return seen;
    }

    ListStatus List(const std::string& folder, std::vector<MissionEntry>& entries, std::string& error) override {
        if (!Step(error)) return ListStatus::Failed;
        for (const auto& [key, entry] : names_)
            if (Key(entry.path).rfind(Key(folder), 0) == 0) entries.push_back({Name(entry.path), true});
        return ListStatus::Listed;
    }
    ReadStatus Read(const std::string& path, std::size_t, std::string& bytes, FileFacts& facts,
                    std::string& error) override {
        if (!Step(error) || !Find(path, error)) return ReadStatus::Failed;
        bytes = Find(path, error)->cached;
        return Facts(path, facts, error, false) ? ReadStatus::Read : ReadStatus::Failed;
    }
    bool Facts(const std::string& path, FileFacts& facts, std::string& error) override {
        return Facts(path, facts, error, true);
    }
    bool Write(const std::string& path, const std::string& bytes, std::string& error) override {
        if (!Step(error)) return false;
        auto& entry = names_[Key(path)];
        // A new file's name is on the disk at once, its data not yet.
        if (!entry.file) entry = {path, std::make_shared<File>()};
        entry.file->cached = bytes;
        entry.file->written = ++clock_;
        return true;
    }
    bool Flush(const std::string& path, std::string& error) override {
        if (!Step(error) || !Find(path, error)) return false;
        File* file = Find(path, error);
        file->durable = file->cached;
        return true;
    }
    ReplaceOutcome Replace(const std::string& from, const std::string& to, std::string& error) override {
        if (!Step(error) || !Find(from, error)) return ReplaceOutcome::Unchanged;
        auto moved = names_[Key(from)].file;
        names_.erase(Key(from));
        names_[Key(to)] = {to, moved};  // Windows renames a case-only change in place
        return ReplaceOutcome::Replaced;
    }
    bool MoveNew(const std::string& from, const std::string& to, std::string& error) override {
        if (!Step(error) || !Find(from, error)) return false;
        if (names_.count(Key(to))) {
            error = "the file exists";
            return false;
        }
        auto moved = names_[Key(from)].file;
        names_.erase(Key(from));
        names_[Key(to)] = {to, moved};
        return true;
    }
    bool Remove(const std::string& path, std::string& error) override {
        if (!Step(error)) return false;
        names_.erase(Key(path));
        return true;
    }
    std::string UpperCaseName(const std::string& name) override { return ToUpperAscii(name); }

private:
    struct File {
        std::string cached, durable;
        std::uint64_t written = 0;
    };
    struct Entry {
        std::string path;
        std::shared_ptr<File> file;
    };
    static std::string Key(const std::string& path) {
        std::string key = path;
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return key;
    }
    static std::string Name(const std::string& path) { return path.substr(path.rfind('\\') + 1); }
    File* Find(const std::string& path, std::string& error) {
        const auto it = names_.find(Key(path));
        if (it != names_.end()) return it->second.file.get();
        error = "the file does not exist";
        return nullptr;
    }
    bool Facts(const std::string& path, FileFacts& facts, std::string& error, bool step) {
        if ((step && !Step(error)) || !Find(path, error)) return false;
        const File* file = Find(path, error);
        facts = {file->cached.size(), file->written, 1};
        return true;
    }
    bool Step(std::string& error) {
        if (!dead_ && operations_++ == cutAt_) dead_ = true;
        if (dead_) error = "the power is off";
        return !dead_;
    }

    std::map<std::string, Entry> names_;
    std::uint64_t clock_ = 0;
    int operations_ = 0, cutAt_;
    bool dead_ = false;
};

TEST(MissionCrashTest, APowerCutAtEveryOperationLeavesEachMissionOldOrNewAndWhole) {
    const std::string folder = "C:\\Q\\Media\\Missions\\Multiplayer\\";
    std::map<std::string, std::string> old;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = (i % 2 ? "m" : "M") + std::to_string(10 + i) + ".mis";
        old[name] = "[" + name + "]\r\n  msnDate \"5/" + std::to_string(i) + "/1940\"\r\n";
    }
    const auto disk = [&](int cutAt) {
        auto d = std::make_unique<PowerCutDisk>(cutAt);
        for (const auto& [name, bytes] : old) d->Put(folder + name, bytes);
        return d;
    };
    const auto uncut = disk(-1);
    ASSERT_TRUE(MissionSorter(*uncut).Run("C:\\Q\\qlpro.exe").empty());
    const auto fresh = uncut->Seen();
    ASSERT_EQ(uncut->Reboot(), fresh) << "a run that completes leaves everything on the disk";

    bool cutEverywhere = true;
    for (int cutAt = 0; cutEverywhere; ++cutAt) {
        const auto d = disk(cutAt);
        MissionSorter(*d).Run("C:\\Q\\qlpro.exe");
        cutEverywhere = d->Cut();
        const auto after = d->Reboot();
        for (const auto& [name, bytes] : old) {
            const std::string upper = ToUpperAscii(name);
            int whole = 0;
            for (const std::string& candidate : {name, upper, upper + ".tmp"}) {
                const auto it = after.find(candidate);
                whole += it != after.end() && (it->second == bytes || it->second == fresh.at(upper));
            }
            ASSERT_GE(whole, 1) << name << " is lost or damaged after a power cut at operation " << cutAt;
        }
        const SortReport again = MissionSorter(*d).Run("C:\\Q\\qlpro.exe");
        ASSERT_TRUE(again.failures.empty()) << Render(DescribeSortReport(again), EnglishTexts());
        ASSERT_EQ(d->Reboot(), fresh) << "the run after a power cut at operation " << cutAt;
    }
}

}  // namespace
