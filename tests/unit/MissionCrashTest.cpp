// The sorter's process killed at every file operation of a 50-file run:
// each mission keeps its old or gets its new content, whole, and a second
// run finishes the job without leaving scratch files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <type_traits>

#include "TempFolder.h"
#include "common/Text.h"
#include "missions/MissionSorter.h"
#include "StdMissionFiles.h"

namespace fs = std::filesystem;

namespace {

enum class When { Before, Midway };

// Kills its own process at one point of the run: before an operation, or in
// the middle of a write (half the bytes on disk). Between two operations the
// sorter touches no file, so "after one" is "before the next".
class DyingFiles : public MissionFiles {
public:
    DyingFiles(MissionFiles& real, int at, When when) : real_(real), at_(at), when_(when) {}

    ListStatus List(const std::string& f, std::vector<MissionEntry>& e, std::string& err) override {
        return Step([&] { return real_.List(f, e, err); });
    }
    bool Read(const std::string& p, std::string& b, std::string& err) override {
        return Step([&] { return real_.Read(p, b, err); });
    }
    bool WriteDurably(const std::string& p, const std::string& b, std::string& err) override {
        if (op_ == at_ && when_ == When::Midway) {
            real_.WriteDurably(p, b.substr(0, b.size() / 2), err);
            Die();
        }
        return Step([&] { return real_.WriteDurably(p, b, err); });
    }
    bool Replace(const std::string& f, const std::string& t, std::string& err) override {
        return Step([&] { return real_.Replace(f, t, err); });
    }
    bool Remove(const std::string& p, std::string& err) override {
        return Step([&] { return real_.Remove(p, err); });
    }

private:
    static void Die() { ::kill(::getpid(), SIGKILL); }
    template <typename Op>
    std::invoke_result_t<Op> Step(Op op) {
        if (op_ == at_ && when_ == When::Before) Die();
        auto result = op();
        ++op_;
        return result;
    }
    MissionFiles& real_;
    int at_;
    When when_;
    int op_ = 0;
};

std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = TempFolder::Read(entry.path());
    return files;
}

TEST(MissionCrashTest, KilledAtEveryOperationEachMissionIsOldOrNew) {
    TempFolder temp;
    const fs::path missions = temp.Path() / "Media" / "Missions" / "Multiplayer";
    const std::string lobby = temp.WindowsPath() + "\\qlpro.exe";
    std::map<std::string, std::string> old;
    for (int i = 1; i <= 50; ++i) {
        const std::string name = (i % 3 ? "m" : "M") + std::to_string(100 + i) + (i % 2 ? ".mis" : ".MIS");
        old[name] = "[" + name + "]\r\n  msnDate \"5/" + std::to_string(i % 28 + 1) + "/1940\" // " +
                    std::string(i * 7, 'x') + "\r\n";
    }
    const auto reset = [&] {
        fs::remove_all(missions);
        fs::create_directories(missions);
        for (const auto& [name, bytes] : old) TempFolder::Write(missions / name, bytes);
    };

    StdMissionFiles files;
    reset();
    ASSERT_TRUE(MissionSorter(files).Run(lobby).empty());
    const auto fresh = Contents(missions);  // upper-case names, new dates
    ASSERT_EQ(fresh.size(), 50u);
    // The listing, then read, write and replace per file; one past the last
    // operation is a run that completes.
    const int operations = 1 + 3 * 50;
    const auto isWrite = [](int at) { return at % 3 == 2; };

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
            int status = 0;
            ::waitpid(child, &status, 0);
            kills += WIFSIGNALED(status);

            for (const auto& [name, bytes] : old) {
                const std::string upper = ToUpperAscii(name);
                const bool asOld = fs::exists(missions / name) && TempFolder::Read(missions / name) == bytes;
                const bool asNew =
                    (fs::exists(missions / upper) && TempFolder::Read(missions / upper) == fresh.at(upper)) ||
                    (fs::exists(missions / name) && TempFolder::Read(missions / name) == fresh.at(upper));
                ASSERT_TRUE(asOld || asNew)
                    << name << " is damaged after a kill at operation " << at << "/" << static_cast<int>(when);
            }
            ASSERT_TRUE(MissionSorter(files).Run(lobby).empty());
            ASSERT_EQ(Contents(missions), fresh) << "the second run after a kill at " << at;
        }
    }
    EXPECT_EQ(kills, points - 1) << "every point but the completed run killed the sorter";
}

}  // namespace
