#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <string>

#include "FaultyFiles.h"
#include "missions/MissionSorter.h"
#include "win32/Win32MissionFiles.h"

namespace {

// A lobby folder under the temp folder with an empty mission folder.
struct RealFolder : ::testing::Test {
    std::string root, missions;
    Win32MissionFiles files;
    MissionSorter sorter{files};

    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "wendrel-missions-" + std::to_string(GetCurrentProcessId()) + "\\";
        missions = root + "Media\\Missions\\Multiplayer\\";
        Clean();
        for (const char* sub : {"", "Media\\", "Media\\Missions\\", "Media\\Missions\\Multiplayer\\"})
            CreateDirectoryA((root + sub).c_str(), nullptr);
    }
    void TearDown() override { Clean(); }

    void Clean() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    void Put(const std::string& name, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        HANDLE f =
            CreateFileA((missions + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }

    // Name on disk (with its letter case) to content; directories as "<dir>".
    std::map<std::string, std::string> Contents() {
        std::map<std::string, std::string> out;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((missions + "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return out;
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                out[name] = "<dir>";
                continue;
            }
            std::string bytes;
            files.Read(missions + name, bytes, bytes);
            out[name] = bytes;
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return out;
    }
};

TEST_F(RealFolder, MixedCaseNamesAreRedatedInOrderAndUpperCased) {
    Put("b.mis", "msnDate \"12/31/1939\" // b\r\n");
    Put("A.MIS", "  msnDate \"1/5/1939\" ; a\n");
    Put("c.Mis", "plane\rmsnDate \"12/31/1939\"");
    Put("d.missing", "msnDate \"1/1/1939\"");
    Put("longname.misc", "msnDate \"1/1/1939\"");
    Put("hidden.mis", "msnDate \"1/1/1939\"", FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryA((missions + "dir.mis").c_str(), nullptr);

    const auto failures = sorter.Run(root + "qlpro.exe");
    EXPECT_TRUE(failures.empty()) << DescribeSortFailures(failures);

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
    Put("A.MIS", "msnDate \"5/5/1940\"\r\n");
    Put("B.MIS", "msnDate \"5/5/1940\"\r\n");
    // Another program holds B.MIS open without sharing it.
    HANDLE lock = CreateFileA((missions + "B.MIS").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const auto failures = sorter.Run(root + "qlpro.exe");
    CloseHandle(lock);

    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].file, "B.MIS");
    EXPECT_FALSE(failures[0].reason.empty());
    const std::map<std::string, std::string> expected = {
        {"A.MIS", "msnDate \"1/2/1939\"  \r\n"},
        {"B.MIS", "msnDate \"5/5/1940\"\r\n"},
    };
    EXPECT_EQ(Contents(), expected);
}

TEST_F(RealFolder, MissingMissionFolderIsSilent) { EXPECT_TRUE(sorter.Run(root + "nowhere\\qlpro.exe").empty()); }

}  // namespace

namespace {

// Each operation of a 50-file run failing in turn, on the real file layer.
TEST_F(RealFolder, EachFailedOperationLeavesOldOrNewContent) {
    std::map<std::string, std::string> old, fresh;
    for (int i = 1; i <= 50; ++i) {
        std::string name = "M";  // built in steps: GCC 12 warns falsely on a chain of + here
        name += std::to_string(100 + i);
        name += ".MIS";
        old[name] = "msnDate \"5/5/1940\" // " + name + "\r\n";
    }
    const auto reset = [&] {
        for (const auto& [name, bytes] : Contents()) DeleteFileA((missions + name).c_str());
        for (const auto& [name, bytes] : old) Put(name, bytes);
    };
    reset();
    ASSERT_TRUE(sorter.Run(root + "qlpro.exe").empty());
    fresh = Contents();
    for (int failAt = 0; failAt <= 1 + 3 * 50; ++failAt) {
        reset();
        FaultyFiles faulty(files, failAt);
        const auto failures = MissionSorter(faulty).Run(root + "qlpro.exe");
        EXPECT_EQ(failures.size(), failAt <= 3 * 50 ? 1u : 0u) << failAt;
        const auto after = Contents();
        ASSERT_EQ(after.size(), 50u) << failAt << ": a scratch file was left, or a mission lost";
        for (const auto& [name, bytes] : after)
            ASSERT_TRUE(bytes == old.at(name) || bytes == fresh.at(name)) << name << " after a failure at " << failAt;
    }
}

}  // namespace
