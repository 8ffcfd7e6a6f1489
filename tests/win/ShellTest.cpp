#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <sstream>

#include "FakeMonitor.h"
#include "Wendrel.h"
#include "history/PlayerHistory.h"
#include "monitor/AlarmChecks.h"
#include "win32/FileLog.h"
#include "win32/Handles.h"
#include "win32/TextConversion.h"
#include "win32/Win32HistoryFile.h"
#include "win32/Win32Launcher.h"
#include "win32/Win32Sound.h"
#include "win32/Win32Tray.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name;
}

// The folder of the test program, with a trailing backslash.
std::string ProgramFolder() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path().string() + "\\";
}

TEST(Win32TrayTest, AddModifyDeleteWithTheProgramsRecord) {
    HWND host = CreateWindowA("STATIC", "tray test", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    TrayRecord record;
    record.cbSize = 88;
    record.hWnd = reinterpret_cast<std::uintptr_t>(host);
    record.uID = 1;
    record.uFlags = 7;
    record.uCallbackMessage = 512;
    record.hIcon = reinterpret_cast<std::uintptr_t>(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    std::memset(record.szTip, ' ', 64);
    std::memcpy(record.szTip, "Wendrel", 8);
    Win32Tray tray;
    EXPECT_TRUE(tray.NotifyIcon(TrayMessage::Add, record));
    EXPECT_TRUE(tray.NotifyIcon(TrayMessage::Modify, record));
    // A notification from the icon, with a title and text longer than the
    // record's fields: they are cut, not overrun.
    TrayNotification notification{record.hWnd, 1, std::string(100, 'T'), std::string(400, 'x')};
    EXPECT_TRUE(tray.ShowNotification(notification));
    EXPECT_TRUE(tray.NotifyIcon(TrayMessage::Delete, record));
    EXPECT_FALSE(tray.NotifyIcon(TrayMessage::Delete, record));  // already gone
    EXPECT_FALSE(tray.ShowNotification(notification));           // no icon to show it from
    // Nothing holds notifications back on the tests' desktop (and Wine answers so always).
    EXPECT_EQ(tray.QueryNotificationState(), NotificationState::Accepted);
    DestroyWindow(host);
}

// A folder with a blank in its name holding the stand-in lobby client, and a
// decoy where an unquoted command line would look first. The current folder
// the test started in is put back afterwards (a launch changes it).
struct LaunchFixture : ::testing::Test, FakeWorld {
    std::string root, client, decoy, record, before;
    Win32Launcher realLauncher;

    void SetUp() override {
        before = realLauncher.CurrentDirectory();
        root = TempPath("wendrel-launch-" + std::to_string(GetCurrentProcessId()) + "\\");
        fs::remove_all(root);
        fs::create_directories(root + "Lobby Client");
        client = root + "Lobby Client\\qlpro.exe";
        decoy = root + "Lobby.exe";
        fs::copy_file(ProgramFolder() + "launch_helper.exe", client);
        fs::copy_file(ProgramFolder() + "launch_helper.exe", decoy);
        record = root + "record.txt";
        SetEnvironmentVariableA("WENDREL_LAUNCH_RECORD", record.c_str());
    }
    void TearDown() override {
        RestoreFolder();
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void RestoreFolder() {
        std::string ignored;
        realLauncher.ChangeDirectory(before, ignored);
    }
    // What is shown when the client did not start.
    std::string Shown() const { return msgBox.shown.empty() ? "" : msgBox.shown[0].text; }

    std::vector<std::string> Launch(const std::string& path, std::int16_t inWindow) {
        StartedForm form{Deps("http://h", nullptr, &realLauncher)};
        options.EditText(OptionsField::Zalmo, path);
        options.EditCheck(OptionsField::InWindow, inWindow);
        form.mnuLaunch_Click();
        std::vector<std::string> lines;
        if (!app.Quitting) return lines;
        for (int i = 0; i < 200 && ReadFileText(record).empty(); ++i) Sleep(50);
        Sleep(100);
        std::istringstream in(ReadFileText(record));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(LaunchFixture, StartsTheClientWithTheExactCommandLineAndFolder) {
    for (std::int16_t inWindow : {0, 1, 2}) {
        app.Quitting = false;
        fs::remove(record);
        const auto lines = Launch(client, inWindow);
        ASSERT_EQ(lines.size(), 3u) << "the client did not start, or a second program did";
        EXPECT_TRUE(_stricmp(lines[0].c_str(), client.c_str()) == 0) << lines[0];
        EXPECT_EQ(lines[1], inWindow ? client + " " : client);
        EXPECT_TRUE(_stricmp((lines[2] + "\\").c_str(), (root + "Lobby Client\\").c_str()) == 0) << lines[2];
        EXPECT_TRUE(view.ended);
        RestoreFolder();
    }
}

// A path relative to the current folder is found once, before the launch
// makes the client's folder current; the command line keeps it as entered.
TEST_F(LaunchFixture, ARelativePathStartsTheClientItNames) {
    SetCurrentDirectoryA(root.c_str());
    const auto lines = Launch("Lobby Client\\qlpro.exe", 0);
    ASSERT_EQ(lines.size(), 3u) << "the client did not start: " << Shown();
    EXPECT_TRUE(_stricmp(lines[0].c_str(), client.c_str()) == 0) << lines[0];
    EXPECT_EQ(lines[1], "Lobby Client\\qlpro.exe");
}

TEST_F(LaunchFixture, AMissingClientIsReportedAndNothingStarts) {
    fs::remove(client);
    Launch(client, 1);
    EXPECT_FALSE(app.Quitting);
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_NE(msgBox.shown[0].text.find(client), std::string::npos);
    EXPECT_EQ(realLauncher.CurrentDirectory(), before);
    Sleep(300);
    EXPECT_FALSE(fs::exists(record)) << "the decoy was started: " << ReadFileText(record);
}

// A client in a folder past Windows' path limit is refused in words, and the
// program goes on (Wine's heap broke on such a folder).
TEST_F(LaunchFixture, AClientPastThePathLimitIsReportedAndNothingStarts) {
    // Three folders of 90 Cyrillic letters (a name on Linux holds 255 bytes),
    // made and removed through "\\?\", which the long path needs.
    std::vector<std::wstring> folders = {L"\\\\?\\" + Wide(root, CP_UTF8)};
    for (const wchar_t letter : {L'\x44F', L'\x44E', L'\x431'})  // я, ю, б
        folders.push_back(folders.back() + std::wstring(90, letter) + L"\\");
    struct Remove {
        std::vector<std::wstring> folders;
        std::wstring file = folders.back() + L"qlpro.exe";
        ~Remove() {
            DeleteFileW(file.c_str());
            for (auto f = folders.rbegin(); f + 1 != folders.rend(); ++f) RemoveDirectoryW(f->c_str());
        }
    } remove{folders};
    for (std::size_t i = 1; i < folders.size(); ++i) ASSERT_TRUE(CreateDirectoryW(folders[i].c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(Wide(client, CP_UTF8).c_str(), remove.file.c_str(), TRUE));
    const std::string longClient = Narrow(remove.file.substr(4), CP_UTF8);
    Launch(longClient, 0);
    EXPECT_FALSE(app.Quitting);
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_NE(msgBox.shown[0].text.find(longClient), std::string::npos);
    EXPECT_EQ(realLauncher.CurrentDirectory(), before);
}

// A client in a folder named in any letters starts, from that folder.
TEST_F(LaunchFixture, AClientInAFolderOfAnyLettersStarts) {
    const std::string folder =
        root + "\xC5\x81\xC3\xB3\x64\xC5\xBA \xD0\x9A\xD0\xBB\xD0\xB8\xD0\xB5\xD0\xBD\xD1\x82\\";  // Łódź Клиент
    ASSERT_TRUE(CreateDirectoryW(Wide(folder, CP_UTF8).c_str(), nullptr));
    const std::string unicodeClient = folder + "qlpro.exe";
    ASSERT_TRUE(CopyFileW(Wide(client, CP_UTF8).c_str(), Wide(unicodeClient, CP_UTF8).c_str(), TRUE));
    const auto lines = Launch(unicodeClient, 1);
    ASSERT_EQ(lines.size(), 3u) << "the client did not start: " << Shown();
    EXPECT_EQ(lines[0], unicodeClient);
    EXPECT_EQ(lines[1], unicodeClient + " ");
    EXPECT_EQ(lines[2] + "\\", folder);
}

// What Options' Test says of a file, read through the file system: the
// default sound beside the program plays, in a folder of any letters too.
TEST(Win32SoundTest, TestFindsAndReadsTheFileAsTheAlarmDoes) {
    const std::string folder = TempPath("wendrel-sound-\xD0\x97\xD0\xB2\xD1\x83\xD0\xBA\\");  // Звук
    CreateDirectoryW(Wide(folder, CP_UTF8).c_str(), nullptr);
    const std::string flyover = ProgramFolder() + "Flyover.wav";
    ASSERT_TRUE(CopyFileW(Wide(flyover, CP_UTF8).c_str(), Wide(folder + "alarm.wav", CP_UTF8).c_str(), FALSE));
    const std::string notes = folder + "notes.wav";
    HANDLE file = CreateFileW(Wide(notes, CP_UTF8).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "not a wave", 10, &written, nullptr);
    CloseHandle(file);

    Win32Sound sound(nullptr);
    const auto said = [&](const std::string& path) {
        const auto problem = AlarmSoundProblem(path, sound);
        return problem ? InEnglish(*problem) : std::string("plays");
    };
    EXPECT_EQ(said("Flyover.wav"), "plays") << "beside the program";
    EXPECT_EQ(said(folder + "alarm.wav"), "plays");
    EXPECT_EQ(said(notes), notes + ": not a wave file Windows can play");
    EXPECT_EQ(said(folder + "gone.wav"), folder + "gone.wav: no such file");
    EXPECT_EQ(said("C:\\no\\such\\folder\\a.wav"), "C:\\no\\such\\folder\\a.wav: no such file");
    EXPECT_EQ(said(folder.substr(0, folder.size() - 1)), folder.substr(0, folder.size() - 1) + ": no such file")
        << "a folder is not the alarm's file";
    std::error_code ec;
    fs::remove_all(Wide(folder, CP_UTF8), ec);
}

TEST(Win32SoundTest, DefaultSoundIsFoundBesideTheProgram) {
    const std::string folder = ProgramFolder();
    Win32Launcher cwd;
    const std::string before = cwd.CurrentDirectory();
    SetCurrentDirectoryA(TempPath("").c_str());
    FakeLog log;
    Win32Sound sound(&log);
    sound.Play("Flyover.wav", kSndFilenameNoDefaultAsync);
    sound.Play("C:\\no\\such.wav", kSndFilenameNoDefaultAsync);
    SetCurrentDirectoryA(before.c_str());
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(_stricmp(log.lines[0].c_str(), ("sound: playing \"" + folder + "Flyover.wav\"").c_str()) == 0)
        << log.lines[0];
    EXPECT_EQ(log.lines[1].rfind("sound: cannot open \"C:\\no\\such.wav\": ", 0), 0u) << log.lines[1];
}

TEST(FileLogTest, AppendsWholeLines) {
    const std::string path = TempPath("wendrel-log-test.txt");
    DeleteFileA(path.c_str());
    FileLog log(path);
    log.Write("first");
    log.Write("second");
    const std::string text = ReadFileText(path);
    // "yyyy-mm-dd hh:mm:ss " before each line.
    ASSERT_EQ(text.size(), 2 * 20 + std::string("first\r\nsecond\r\n").size()) << text;
    EXPECT_EQ(text.substr(20, 7), "first\r\n");
    EXPECT_EQ(text.substr(47), "second\r\n");
    EXPECT_EQ(text[4], '-');
    EXPECT_EQ(text[13], ':');
    DeleteFileA(path.c_str());
}

// Appends (into folders it makes, each on a line of its own) and replaces
// read back whole, also of the files beside it. A replace that cannot happen
// keeps the file as it was, and removes its scratch copy.
TEST(Win32HistoryFileTest, AReplaceChangesTheWholeFileOrNothing) {
    const std::string root = TempPath("wendrel-history-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root);
    const std::string path = root + "\\Wendrel\\history.csv";
    Win32HistoryFile file(path);
    std::string text = "left over", error;
    ASSERT_TRUE(file.Read("", text, error)) << error;
    EXPECT_EQ(text, "") << "no file yet reads as an empty history";
    ASSERT_TRUE(file.Append("", "a,1\n", error) && file.Append("", "b,2", error) && file.Append("", "c,3\n", error))
        << error;
    ASSERT_TRUE(file.Read("", text, error)) << error;
    EXPECT_EQ(text, "a,1\nb,2\r\nc,3\n") << "a torn last line gets its line end before the next";
    ASSERT_TRUE(file.Append(".bad", "d\r\n", error) && file.Replace(".bak", "e", error)) << error;
    EXPECT_EQ(ReadFileText(path + ".bad") + ReadFileText(path + ".bak"), "d\r\ne");
    {
        // A spreadsheet holds it open for reading and lets others only read.
        const UniqueFile held(
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(file.Append("", "f,4\r\n", error));
        EXPECT_FALSE(error.empty());
    }
    const std::string large(3 << 20, 'x');  // larger than the file it replaces
    ASSERT_TRUE(file.Replace("", large, error)) << error;
    ASSERT_TRUE(file.Read("", text, error)) << error;
    EXPECT_TRUE(text == large) << text.size();

    const struct {
        const char* what;
        UniqueFile (*hold)(const std::string& path);
        bool scratchIsTheirs;
    } kBlockers[] = {
        {"held open by a program that does not share deletion",
         [](const std::string& p) {
             return UniqueFile(CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
         },
         false},
        {"another program's file under the scratch name",
         [](const std::string& p) {
             return UniqueFile(
                 CreateFileA((p + ".tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
         },
         true},
    };
    for (const auto& blocker : kBlockers) {
        {
            const UniqueFile held = blocker.hold(path);
            ASSERT_TRUE(held) << blocker.what;
            error.clear();
            EXPECT_FALSE(file.Replace("", "new", error)) << blocker.what;
            EXPECT_FALSE(error.empty()) << blocker.what;
        }
        ASSERT_TRUE(file.Read("", text, error)) << error;
        EXPECT_TRUE(text == large) << blocker.what << ": " << text.size();
        EXPECT_EQ(fs::exists(path + ".tmp"), blocker.scratchIsTheirs) << blocker.what;
    }
    fs::remove_all(root);
}

// The history in a user folder named in Cyrillic (C:\\users\\Пётр\\AppData\\...),
// whatever the code page: written there, read back there, the lines it
// cannot read beside it, each under its own name on the disk.
TEST(Win32HistoryFileTest, AUserFolderWithACyrillicName) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string root = Narrow(temp, CP_UTF8) + "Пётр-" + std::to_string(GetCurrentProcessId());
    const std::string path = root + "\\AppData\\Local\\Wendrel\\history.csv";
    Win32HistoryFile file(path);
    {
        PlayerHistory history(file);
        history.Load(1796677445);
        history.Add(1796677445, 7);
    }
    std::string error;
    ASSERT_TRUE(file.Append("", "a line of something else\r\n", error)) << error;
    PlayerHistory again(file);
    again.Load(1796677445 + 60);
    EXPECT_EQ(again.Records(), (std::vector<HistoryRecord>{{1796677445, 7}}));
    EXPECT_EQ(InEnglish(again.TakeNotices().at(0)), "History: 1 line it could not read moved to " + path + ".bad");
    for (const char* suffix : {"", ".bad"})
        EXPECT_NE(GetFileAttributesW(Wide(path + suffix, CP_UTF8).c_str()), INVALID_FILE_ATTRIBUTES) << suffix;
    fs::remove_all(fs::path(Wide(root, CP_UTF8)));
}

}  // namespace
