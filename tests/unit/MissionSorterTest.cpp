#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <thread>
#include <tuple>

#include "FaultyFiles.h"
#include "MissionLines.h"
#include "StdMissionFiles.h"
#include "TempFolder.h"
#include "common/GetFolder.h"
#include "missions/Global.h"
#include "missions/MissionSorter.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr year_month_day kJan2{year{1939}, January, day{2}};

// The report as the player reads it in English.
std::string Shown(const SortReport& report) { return Render(DescribeSortReport(report), EnglishTexts()); }

struct SorterFixture : ::testing::Test {
    TempFolder temp;
    fs::path missions = temp.Path() / "Media" / "Missions" / "Multiplayer";
    std::string lobbyPath = temp.WindowsPath() + "\\qlpro.exe";
    StdMissionFiles files{StdMissionFiles::Flushing::ToSystem};
    MissionSorter sorter{files};

    void SetUp() override { fs::create_directories(missions); }
    void Put(const std::string& name, const std::string& bytes) { TempFolder::Write(missions / name, bytes); }
    std::string Get(const std::string& name) { return TempFolder::Read(missions / name); }
    std::map<std::string, std::string> Contents() { return TempFolder::Contents(missions); }
};

TEST(GetFolderTest, FolderPartUpToTheLastBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\x\\y.exe", "C:\\x\\"},
        {"C:\\", "C:\\"},
        {"\\y.exe", ""},
        {"y.exe", ""},
        {"", ""},
        {"\\\\server\\share\\q.exe", "\\\\server\\share\\"},
        {"a\\", "a\\"},
        {"\\\\", "\\\\"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(GetFolder(path), folder) << path;
}

TEST(MissionDateTest, FormatsMonthDayYearWithoutLeadingZeros) {
    EXPECT_EQ(FormatMissionDate(kJan2), "1/2/1939");
    EXPECT_EQ(FormatMissionDate(year_month_day{year{1939}, December, day{31}}), "12/31/1939");
    EXPECT_EQ(FormatMissionDate(year_month_day{year{1941}, September, day{26}}), "9/26/1941");
}

TEST(MissionDateTest, DateLines) {
    const std::pair<const char*, const char*> cases[] = {
        {"  msnDate \"12/31/1939\" // dawn raid", "  msnDate \"1/2/1939\"  // dawn raid"},
        {"msnDate \"12/31/1939\"", "msnDate \"1/2/1939\"  "},
        {"msnDate \"12/31/1939\"      tail  ", "msnDate \"1/2/1939\"  tail"},
        // A short date keeps everything after its closing quote.
        {"msnDate \"1/5/1939\" ; night", "msnDate \"1/2/1939\"  ; night"},
        {"\tmsnDate \"1/5/1939\"", "\tmsnDate \"1/2/1939\"  "},
        // Without a quoted date the field is 20 characters wide.
        {"msnDate 12/31/1939 abc", "msnDate \"1/2/1939\"  bc"},
        {"msnDate 1/5", "msnDate \"1/2/1939\"  "},
        {"msnDate", "msnDate \"1/2/1939\"  "},
        {"msnDate \"unterminated", "msnDate \"1/2/1939\"  d"},
        {"// set msnDate later on, please", "// set msnDate \"1/2/1939\"  ease"},
        {"x msnDate \"1/1/1939\" msnDate \"2/2/1940\"", "x msnDate \"1/2/1939\"  msnDate \"2/2/1940\""},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(NewDateLine(line, kJan2), expected) << line;
}

TEST(MissionDateTest, RewriteKeepsOtherLinesAndEndsEveryLineWithCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nmsnDate \"3/3/1939\"\r\nb\r\n", "a\r\nmsnDate \"1/2/1939\"  \r\nb\r\n"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
        {"MSNDATE \"3/3/1939\"\nmsndate x", "MSNDATE \"3/3/1939\"\r\nmsndate x\r\n"},
        {"", ""},
        {"\r\n\r\n", "\r\n\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"\r\r\n", "\r\n\r\n"},
        {"caf\xE9 \xFF\x80\r\n", "caf\xE9 \xFF\x80\r\n"},
        {std::string("nul\0byte\n", 9), std::string("nul\0byte\r\n", 10)},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(RewriteMission(in, kJan2), out) << in;
    const std::string once = RewriteMission("  msnDate \"1/5/1939\" ; night\nx", kJan2);
    EXPECT_EQ(RewriteMission(once, kJan2), once);
}

TEST(QuickSortTest, SortsLikeByteOrderForAnyStartingOrder) {
    std::vector<std::string> names = {"B.MIS",  "A.MIS", "C.MIS",  "A_1.MIS", "A1.MIS",       "Z.MIS",
                                      "AB.MIS", "A.MI",  "_X.MIS", "9.MIS",   "\xC9T\xC9.MIS"};
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        std::shuffle(names.begin(), names.end(), rng);
        std::vector<std::string> table = names;
        table.insert(table.begin(), "unused");
        QuickSort(table, 1, static_cast<std::int32_t>(names.size()));
        std::vector<std::string> expected = names;
        std::sort(expected.begin(), expected.end());
        expected.insert(expected.begin(), "unused");
        ASSERT_EQ(table, expected);
    }
}

TEST(QuickSortTest, EqualEntriesAndSingleEntries) {
    std::vector<std::string> table = {"", "B", "A", "B", "A", "B"};
    QuickSort(table, 1, 5);
    EXPECT_EQ(table, (std::vector<std::string>{"", "A", "A", "B", "B", "B"}));
    std::vector<std::string> one = {"", "X"};
    QuickSort(one, 1, 1);
    EXPECT_EQ(one[1], "X");
}

TEST_F(SorterFixture, DatesFollowTheUpperCasedNamesAndNamesBecomeUpperCase) {
    Put("b.mis", "msnDate \"12/31/1939\"\r\n");
    Put("A.MIS", "msnDate \"12/31/1939\"\r\n");
    Put("c.Mis", "msnDate \"12/31/1939\"\r\n");
    Put("zulu.mis", "msnDate \"12/31/1939\"\r\n");  // every letter, to the last, is upper-cased
    EXPECT_TRUE(sorter.Run(lobbyPath).empty());
    const std::map<std::string, std::string> expected = {
        {"A.MIS", JanuaryLine(2)}, {"B.MIS", JanuaryLine(3)}, {"C.MIS", JanuaryLine(4)}, {"ZULU.MIS", JanuaryLine(5)}};
    EXPECT_EQ(Contents(), expected);
}

TEST_F(SorterFixture, NineHundredNinetyNineAndMoreFiles) {
    for (int i = 1; i <= 1000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "m%04d.mis", i);
        Put(name, "msnDate \"1/1/1939\"");
    }
    EXPECT_TRUE(sorter.Run(lobbyPath).empty());
    EXPECT_EQ(Get("M0001.MIS"), JanuaryLine(2));
    EXPECT_EQ(Get("M0999.MIS"), "msnDate \"9/26/1941\"  \r\n");
    EXPECT_EQ(Get("M1000.MIS"), "msnDate \"9/27/1941\"  \r\n");
    EXPECT_EQ(Contents().size(), 1000u);
}

TEST_F(SorterFixture, RunningTwiceGivesTheSameBytesAsOnce) {
    Put("one.mis", "  msnDate \"1/5/1939\" ; night\nplane 1\rmsnDate \"12/31/1939\" // x\n");
    Put("two.mis", "no date here\n\xE9t\xE9");
    sorter.Run(lobbyPath);
    const auto once = Contents();
    sorter.Run(lobbyPath);
    EXPECT_EQ(Contents(), once);
    EXPECT_EQ(once.at("ONE.MIS"), "  msnDate \"1/2/1939\"  ; night\r\nplane 1\r\nmsnDate \"1/2/1939\"  // x\r\n");
    EXPECT_EQ(once.at("TWO.MIS"), "no date here\r\n\xE9t\xE9\r\n");
}

TEST_F(SorterFixture, OnlyPlainMissionFilesAreTouched) {
    const std::map<std::string, std::string> others = {
        {"d.missing", "msnDate \"1/1/1939\""},   {"longname.misc", "msnDate \"1/1/1939\""},
        {".hidden.mis", "msnDate \"1/1/1939\""}, {"old.mis.bak", "msnDate \"1/1/1939\""},
        {"notes.txt", "msnDate \"1/1/1939\""},
    };
    for (const auto& [name, bytes] : others) Put(name, bytes);
    fs::create_directory(missions / "folder.mis");
    Put("real.mis", "msnDate \"1/1/1939\"");
    EXPECT_TRUE(sorter.Run(lobbyPath).empty());
    auto after = Contents();
    EXPECT_EQ(after.at("REAL.MIS"), JanuaryLine(2));
    EXPECT_EQ(after.at("folder.mis"), "<dir>");
    for (const auto& [name, bytes] : others) EXPECT_EQ(after.at(name), bytes) << name;
    EXPECT_EQ(after.size(), others.size() + 2);
}

TEST_F(SorterFixture, ScratchFilesOfAnInterruptedRunAreResolved) {
    Put("A.MIS", kOldMission);
    Put("A.MIS.tmp", "msnDate \"1/2/19");                         // a write that broke off
    Put("b.mis.tmp", "msnDate \"1/3/1939\"  \r\nmoved out\r\n");  // complete, moved out for a rename
    Put("C.MIS", kOldMission);
    fs::create_directory(missions / "D.MIS");  // anything of the mission's name counts as the mission
    Put("D.MIS.tmp", "not to be put anywhere");
    const SortReport report = sorter.Run(lobbyPath);
    EXPECT_TRUE(report.failures.empty()) << Shown(report);
    EXPECT_EQ(report.restored, std::vector<std::string>{"B.MIS"});
    // The mission put back takes its own place: C.MIS keeps the third day.
    const std::map<std::string, std::string> expected = {{"A.MIS", JanuaryLine(2)},
                                                         {"B.MIS", JanuaryLine(3, "moved out\r\n")},
                                                         {"C.MIS", JanuaryLine(4)},
                                                         {"D.MIS", "<dir>"}};
    EXPECT_EQ(Contents(), expected);
}

// Files the sorter must not rewrite: each is left exactly as it is, listed
// with its reason, and keeps its place in the sequence of dates.
TEST_F(SorterFixture, FilesThatMustNotBeRewrittenAreLeftListedAndKeepTheirPlace) {
    struct Case {
        const char* what;
        std::function<void()> make;  // makes B.MIS
        Msg reason;
    };
    const Case cases[] = {
        {"UTF-16 text", [&] { Put("B.MIS", std::string("m\0s\0n\0\r\0\n\0", 10)); }, Msg::SortNotText},
        {"larger than 64 MiB",
         [&] {
             Put("B.MIS", kOldMission);
             fs::resize_file(missions / "B.MIS", (64u << 20) + 1);
         },
         Msg::SortTooLarge},
        {"a second hard link",
         [&] {
             Put("other.txt", kOldMission);
             fs::create_hard_link(missions / "other.txt", missions / "B.MIS");
         },
         Msg::SortHardLinks},
        {"a symbolic link",
         [&] {
             Put("other.txt", kOldMission);
             fs::create_symlink("other.txt", missions / "B.MIS");
         },
         Msg::SortLink},
    };
    for (const Case& c : cases) {
        fs::remove_all(missions);
        fs::create_directories(missions);
        Put("A.MIS", kOldMission);
        Put("C.MIS", kOldMission);
        c.make();
        // The large file by its size only: reading 64 MiB twice would only slow the test.
        const auto b = [&] {
            const auto size = fs::file_size(missions / "B.MIS");
            return size > (1u << 20) ? std::to_string(size) + " bytes" : Get("B.MIS");
        };
        const std::string before = b();
        const SortReport report = sorter.Run(lobbyPath);
        ASSERT_EQ(report.failures.size(), 1u) << c.what;
        EXPECT_EQ(report.failures[0].file, "B.MIS") << c.what;
        EXPECT_EQ(report.failures[0].fate, SortFate::Untouched) << c.what;
        EXPECT_EQ(report.failures[0].reason.Id(), c.reason) << c.what << ": " << Shown(report);
        EXPECT_EQ(b(), before) << c.what;
        if (fs::exists(missions / "other.txt")) {
            EXPECT_EQ(Get("other.txt"), kOldMission) << c.what;
        }
        EXPECT_EQ(Get("C.MIS"), JanuaryLine(4)) << c.what;
        EXPECT_FALSE(fs::exists(missions / "B.MIS.tmp")) << c.what;
    }
}

TEST_F(SorterFixture, AFileChangedByAnotherProgramDuringTheRunIsLeftToIt) {
    Put("A.MIS", kOldMission);
    FaultyFiles watched(files);
    watched.afterRead = [&](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Put("A.MIS", "msnDate \"5/5/1940\"\r\nsaved by the editor\r\n");
    };
    const SortReport report = MissionSorter(watched).Run(lobbyPath);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].reason.Id(), Msg::SortChangedMeanwhile);
    EXPECT_EQ(Get("A.MIS"), "msnDate \"5/5/1940\"\r\nsaved by the editor\r\n");
    EXPECT_EQ(Contents().size(), 1u);
}

TEST(SortReportTest, TheMessageSaysWhatBecameOfEachFile) {
    const Message why(Msg::SortCannotRead, std::string("Access is denied."));
    const std::pair<SortFate, const char*> fates[] = {
        {SortFate::KeptOld, "X.MIS: could not read it: Access is denied.; it keeps its old content."},
        {SortFate::Untouched, "X.MIS: could not read it: Access is denied.; it was left as it is."},
        {SortFate::NameKept, "X.MIS: could not read it: Access is denied.; it has its new date under its old name."},
        {SortFate::OnlyScratch,
         "X.MIS: could not read it: Access is denied.; left as X.MIS.tmp; the next Sort Missions puts it back."},
    };
    for (const auto& [fate, line] : fates) {
        const std::vector<Listing> parts = DescribeSortReport({{{"X.MIS", why, fate}}, {}});
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0].heading.Id(), Msg::SortFailures);
        EXPECT_EQ(Render(parts, EnglishTexts()),
                  "Sort Missions could not re-date these mission files:\r\n\r\n" + std::string(line));
    }
    // Both parts, a blank line apart; the headings count their files.
    const std::vector<Listing> both =
        DescribeSortReport({{{"X.MIS", why, SortFate::KeptOld}, {"Y.MIS", why, SortFate::KeptOld}}, {"B.MIS"}});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].heading.PluralCount()->value, 2);
    EXPECT_EQ(both[1].heading.Id(), Msg::SortRestored);
    EXPECT_EQ(both[1].heading.PluralCount()->value, 1);
    EXPECT_EQ(both[1].items.size(), 1u);
    const std::string text = Render(both, EnglishTexts());
    EXPECT_NE(
        text.find("old content.\r\n\r\nPut back from the copies an interrupted Sort Missions had left:\r\n\r\nB.MIS"),
        std::string::npos)
        << text;
    EXPECT_TRUE(DescribeSortReport({}).empty());
}

TEST_F(SorterFixture, MissingFolderDoesNothing) {
    fs::remove_all(temp.Path() / "Media");
    EXPECT_TRUE(sorter.Run(lobbyPath).empty());
    EXPECT_EQ(MissionSorter::MissionFolder(""), "Media\\Missions\\Multiplayer\\");
    EXPECT_EQ(MissionSorter::MissionFolder("C:\\Q\\ql.exe"), "C:\\Q\\Media\\Missions\\Multiplayer\\");
}

TEST_F(SorterFixture, EachFailedOperationLeavesOldOrNewContentAndIsReported) {
    std::map<std::string, std::string> old, fresh;
    for (const auto& [name, day, line] :
         {std::tuple{"A.MIS", 2, "a\r\n"}, {"B.MIS", 3, "b\r\n"}, {"C.MIS", 4, "c\r\n"}}) {
        old[name] = kOldMission + line;
        fresh[name] = JanuaryLine(day, line);
    }
    // List + five operations per file: read, write, flush, check, replace.
    for (int failAt = 0; failAt < 16; ++failAt) {
        for (const auto& [name, bytes] : old) Put(name, bytes);
        FaultyFiles faulty(files, failAt);
        MissionSorter faultySorter(faulty);
        const auto failures = faultySorter.Run(lobbyPath).failures;
        ASSERT_TRUE(faulty.injected) << failAt;
        ASSERT_EQ(failures.size(), 1u) << failAt;
        EXPECT_NE(Shown({failures, {}}).find("(injected)"), std::string::npos);

        const auto after = Contents();
        EXPECT_EQ(after.size(), 3u) << failAt << ": a scratch file was left behind";
        int changed = 0;
        for (const auto& [name, bytes] : after) {
            ASSERT_TRUE(bytes == old.at(name) || bytes == fresh.at(name)) << failAt << " " << name;
            changed += bytes == fresh.at(name);
        }
        EXPECT_EQ(changed, failAt == 0 ? 0 : 2) << failAt;
        EXPECT_NE(Shown({failures, {}}).find(failures[0].file), std::string::npos);
    }
}

}  // namespace
