#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "FaultyFiles.h"
#include "MissionLines.h"
#include "missions/MissionSorter.h"
#include "win32/TextConversion.h"
#include "win32/Win32MissionFiles.h"

namespace {

// A path of the program's (UTF-8) for std::filesystem, which reads a narrow
// string in the ANSI code page.
std::filesystem::path Path(const std::string& utf8) { return Wide(utf8, CP_UTF8); }

std::string TempFolder() {
    wchar_t temp[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    return Narrow(std::wstring(temp, n), CP_UTF8);
}

// A lobby folder (under the temp folder unless a test makes another) with
// an empty mission folder. Paths and names in UTF-8, as the program has them.
struct RealFolder : ::testing::Test {
    std::string root, missions;
    Win32MissionFiles files;

    void SetUp() override {
        MakeRoot(TempFolder() + "wendrel-missions-" + std::to_string(GetCurrentProcessId()) + "\\");
    }
    void TearDown() override { Clean(); }

    void MakeRoot(const std::string& folder) {
        if (!root.empty()) Clean();
        root = folder;
        missions = root + "Media\\Missions\\Multiplayer\\";
        Clean();
        std::filesystem::create_directories(Path(missions));
    }
    void Clean() {
        std::error_code ec;
        std::filesystem::remove_all(Path(root), ec);
    }

    void Put(const std::string& name, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        HANDLE f = CreateFileW(Wide(missions + name, CP_UTF8).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               attributes, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
    void Empty() {
        for (const auto& [name, bytes] : Contents()) DeleteFileW(Wide(missions + name, CP_UTF8).c_str());
    }
    // A run of the sorter for the lobby client in root, through files.
    SortReport Sort(MissionFiles& through) { return MissionSorter(through).Run(root + "qlpro.exe"); }
    SortReport Sort() { return Sort(files); }
    std::set<std::string> NamesOnDisk() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Path(missions)))
            names.insert(Narrow(entry.path().filename().wstring(), CP_UTF8));
        return names;
    }

    // Name on disk (with its letter case) to content; directories as "<dir>".
    std::map<std::string, std::string> Contents() {
        std::map<std::string, std::string> out;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(Wide(missions + "*", CP_UTF8).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return out;
        do {
            const std::string name = Narrow(data.cFileName, CP_UTF8);
            if (name == "." || name == "..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                out[name] = "<dir>";
                continue;
            }
            std::string bytes;
            FileFacts facts;
            std::string error;
            files.Read(missions + name, 1u << 30, bytes, facts, error);
            out[name] = bytes;
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return out;
    }
    std::string Shown(const SortReport& report) const { return Render(DescribeSortReport(report), EnglishTexts()); }
};

TEST_F(RealFolder, MixedCaseNamesAreRedatedInOrderAndUpperCased) {
    Put("b.mis", "msnDate \"12/31/1939\" // b\r\n");
    Put("A.MIS", "  msnDate \"1/5/1939\" ; a\n");
    Put("c.Mis", "plane\rmsnDate \"12/31/1939\"");
    Put("d.missing", "msnDate \"1/1/1939\"");
    Put("longname.misc", "msnDate \"1/1/1939\"");
    Put("hidden.mis", "msnDate \"1/1/1939\"", FILE_ATTRIBUTE_HIDDEN);
    std::filesystem::create_directory(Path(missions + "dir.mis"));

    const auto report = Sort();
    EXPECT_TRUE(report.empty()) << Shown(report);

    const std::map<std::string, std::string> expected = {
        {"A.MIS", "  msnDate \"1/2/1939\"  ; a\r\n"},
        {"B.MIS", "msnDate \"1/3/1939\"  // b\r\n"},
        {"C.MIS", "plane\r\nmsnDate \"1/4/1939\"  \r\n"},
        {"d.missing", "msnDate \"1/1/1939\""},
        {"longname.misc", "msnDate \"1/1/1939\""},
        {"hidden.mis", "msnDate \"1/1/1939\""},
        {"dir.mis", "<dir>"},
    };
    EXPECT_EQ(Contents(), expected);
}

TEST_F(RealFolder, ALockedMissionIsReportedAndKeepsItsContent) {
    Put("A.MIS", kOldMission);
    Put("B.MIS", kOldMission);
    // Another program holds B.MIS open without sharing it.
    HANDLE lock =
        CreateFileW(Wide(missions + "B.MIS", CP_UTF8).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const auto failures = Sort().failures;
    CloseHandle(lock);

    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].file, "B.MIS");
    EXPECT_EQ(failures[0].reason.Id(), Msg::SortCannotRead);
    const std::map<std::string, std::string> expected = {{"A.MIS", JanuaryLine(2)}, {"B.MIS", kOldMission}};
    EXPECT_EQ(Contents(), expected);
}

TEST_F(RealFolder, MissingMissionFolderIsSilent) {
    EXPECT_TRUE(MissionSorter(files).Run(root + "nowhere\\qlpro.exe").empty());
}

// Each operation of a 6-file run failing in turn, on the real file layer
// (the first, the last and files between; each flush reaches the disk).
TEST_F(RealFolder, EachFailedOperationLeavesOldOrNewContent) {
    constexpr int kFiles = 6;
    std::map<std::string, std::string> old, fresh;
    for (int i = 1; i <= kFiles; ++i) {
        std::string name = "M";  // built in steps: GCC 12 warns falsely on a chain of + here
        name += std::to_string(100 + i);
        name += ".MIS";
        old[name] = "msnDate \"5/5/1940\" // " + name + "\r\n";
    }
    const auto reset = [&] {
        Empty();
        for (const auto& [name, bytes] : old) Put(name, bytes);
    };
    reset();
    ASSERT_TRUE(Sort().empty());
    fresh = Contents();
    for (int failAt = 0; failAt <= 1 + 5 * kFiles; ++failAt) {
        reset();
        FaultyFiles faulty(files, failAt);
        const auto failures = Sort(faulty).failures;
        EXPECT_EQ(failures.size(), failAt <= 5 * kFiles ? 1u : 0u) << failAt;
        const auto after = Contents();
        ASSERT_EQ(after.size(), static_cast<std::size_t>(kFiles)) << failAt << ": a scratch file was left, or a mission lost";
        for (const auto& [name, bytes] : after)
            ASSERT_TRUE(bytes == old.at(name) || bytes == fresh.at(name)) << name << " after a failure at " << failAt;
    }
}

// The Windows layer with the calls a replace is made of failing on cue,
// counted from 0 over the run: the moves and the look-ups of the name on disk.
class FailingCalls : public Win32MissionFiles {
public:
    std::set<int> failing;
    int calls = 0;

protected:
    BOOL MoveFile(const std::string& from, const std::string& to, DWORD flags) override {
        if (failing.count(calls++)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return Win32MissionFiles::MoveFile(from, to, flags);
    }
    std::string NameOnDisk(const std::string& path) override {
        return failing.count(calls++) ? std::string() : Win32MissionFiles::NameOnDisk(path);
    }
};

// Lower-case names, so that each replace also changes the name's case (out
// to the scratch name and back in, under Wine). Whatever call fails, each
// mission is whole under its name or its scratch name, the message says
// which, and the next run puts everything right.
TEST_F(RealFolder, EachCallOfAReplaceFailingLeavesTheMissionWholeAndSaysWhere) {
    const std::string old = kOldMission, fresh = JanuaryLine(2);
    // Where a rename that only changes case does nothing (Wine), a replace
    // makes six calls, and a seventh puts the file back under its old name
    // after the sixth failed; both failing leave only the scratch file.
    Put("a.mis", old);
    FailingCalls reference;
    ASSERT_TRUE(Sort(reference).empty());
    const bool outAndBack = reference.calls == 6;
    std::set<SortFate> seen;
    for (const std::set<int>& failing : std::vector<std::set<int>>{{0}, {1}, {2}, {3}, {4}, {5}, {5, 6}}) {
        Empty();
        Put("a.mis", old);
        FailingCalls calls;
        calls.failing = failing;
        const SortReport report = Sort(calls);
        const auto after = Contents();
        const std::string where = "calls failing from " + std::to_string(*failing.begin()) + ": " + Shown(report);
        const bool scratch = after.count("A.MIS.tmp") || after.count("a.mis.tmp");
        const std::string* mission = after.count("A.MIS")   ? &after.at("A.MIS")
                                     : after.count("a.mis") ? &after.at("a.mis")
                                                            : nullptr;
        if (report.failures.empty()) {
            ASSERT_TRUE(mission && *mission == fresh && !scratch) << where;
        } else {
            ASSERT_EQ(report.failures.size(), 1u) << where;
            seen.insert(report.failures[0].fate);
            switch (report.failures[0].fate) {
                case SortFate::KeptOld: EXPECT_TRUE(mission && *mission == old && !scratch) << where; break;
                case SortFate::NameKept:
                    EXPECT_TRUE(after.count("a.mis") && after.at("a.mis") == fresh && !scratch) << where;
                    break;
                case SortFate::OnlyScratch:
                    EXPECT_TRUE(!mission && after.size() == 1 && after.begin()->second == fresh) << where;
                    EXPECT_NE(Shown(report).find("left as A.MIS.tmp"), std::string::npos) << where;
                    break;
                default: ADD_FAILURE() << where;
            }
        }
        const SortReport next = Sort();
        EXPECT_TRUE(next.failures.empty()) << Shown(next);
        const std::map<std::string, std::string> expected = {{"A.MIS", fresh}};
        EXPECT_EQ(Contents(), expected) << where;
    }
    if (outAndBack) {
        EXPECT_EQ(seen, (std::set<SortFate>{SortFate::KeptOld, SortFate::NameKept, SortFate::OnlyScratch}));
    }
}

// Another program's hidden mission beside a stray scratch copy stays as it
// is; a hidden scratch copy beside its mission no longer blocks it.
TEST_F(RealFolder, RecoveryNeverReplacesAnything) {
    Put("A.MIS", "mine", FILE_ATTRIBUTE_HIDDEN);
    Put("A.MIS.tmp", JanuaryLine(2));
    Put("B.MIS", kOldMission);
    Put("B.MIS.tmp", "broken", FILE_ATTRIBUTE_HIDDEN);
    // A scratch copy whose mission's name differs beyond ASCII only in case.
    Put("\u00fcbung.mis", kOldMission);
    Put("\u00dcBUNG.MIS.tmp", "broken");
    const SortReport report = Sort();
    EXPECT_TRUE(report.empty()) << Shown(report);
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"A.MIS", "B.MIS", "\u00dcBUNG.MIS"}));
    const std::map<std::string, std::string> expected = {{"A.MIS", "mine"}, {"B.MIS", JanuaryLine(2)}};
    for (const auto& [name, bytes] : expected) EXPECT_EQ(Contents()[name], bytes) << name;
}

// Links and names beyond ASCII, as the Windows layer sees them.
TEST_F(RealFolder, HardLinksAreLeftAndNamesBeyondAsciiAreUpperCased) {
    Put("b.mis", kOldMission);
    ASSERT_TRUE(
        CreateHardLinkW(Wide(missions + "c.mis", CP_UTF8).c_str(), Wide(missions + "b.mis", CP_UTF8).c_str(), nullptr));
    Put("\u00e9t\u00e9.mis", "msnDate \"5/5/1940\"");

    const SortReport report = Sort();
    const std::string shown = Shown(report);
    ASSERT_EQ(report.failures.size(), 2u) << shown;
    for (const SortFailure& failure : report.failures) {
        EXPECT_EQ(failure.fate, SortFate::Untouched);
        EXPECT_EQ(failure.reason.Id(), Msg::SortHardLinks);
    }
    EXPECT_NE(shown.find("B.MIS: it has 2 names (hard links)"), std::string::npos) << shown;
    // Names compared as listed: the file system itself ignores case.
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"b.mis", "c.mis", "\u00c9T\u00c9.MIS"}));
}

// The lobby client below a user folder whose name is not in the ANSI code
// page (Cyrillic under 1252, as Polish is under 1251): the missions are
// listed, re-dated and renamed all the same, names beyond ASCII included.
TEST_F(RealFolder, MissionsBelowAUserFolderOfAnyAlphabetAreSorted) {
    for (const std::string user : {"\u041f\u0451\u0442\u0440", "\u0141\u00f3d\u017a"}) {  // Пётр, Łódź
        MakeRoot("C:\\users\\" + user + "\\AppData\\Local\\QuellanPro3\\");
        Put("b.mis", kOldMission);
        Put("\u0451\u043b\u043a\u0430.mis", kOldMission);  // ёлка
        Put("\u0142\u0119k.mis", kOldMission);             // łęk
        const SortReport report = Sort();
        EXPECT_TRUE(report.empty()) << user << ": " << Shown(report);
        // In the order of the upper-case names' characters: B, Ł, Ё.
        const std::map<std::string, std::string> expected = {{"B.MIS", JanuaryLine(2)},
                                                             {"\u0141\u0118K.MIS", JanuaryLine(3)},
                                                             {"\u0401\u041b\u041a\u0410.MIS", JanuaryLine(4)}};
        EXPECT_EQ(Contents(), expected) << user;
    }
}

}  // namespace
