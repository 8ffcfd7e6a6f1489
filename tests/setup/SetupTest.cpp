// The setup for players, run as a player and an administrator would, in a
// fresh Wine prefix: silent install, install over a running copy, silent
// uninstall with Wendrel running, a copy that does not close, a folder of
// other files, another copy's start with Windows, the player history's
// removal, and a look at the pages; in German or Russian (SetupInItsLanguage.*)
// when run with LC_ALL=de_AT.UTF-8 or ru_RU.UTF-8, as scripts/test-downloads.sh does.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Driver.h"
#include "LoopbackServer.h"
#include "Wendrel.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string setupExe, shotsFolder;
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wendrel";
constexpr const char* kInstalled[] = {"wendrel.exe", "Flyover.wav", "README.txt", "LICENSE.txt", "uninstall.exe"};
const std::string kSetupCaption = std::string(kWendrelTitle).replace(0, 9, "Wendrel ") + " Setup";

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// A value of the uninstall entry as text: a number in decimal.
std::string UninstallValue(const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_ANY, &type, value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(value)) : std::string(value);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
DWORD RunSetup(const std::string& arguments) { return driver::RunAndWait(Quoted(setupExe) + " " + arguments, 90s); }
// uninstall.exe /S in folder (with a trailing backslash); whether the folder went.
bool UninstallSilently(const std::string& folder) {
    driver::RunAndWait(Quoted(folder + "uninstall.exe") + " /S");
    return driver::WaitUntil([&] { return !fs::exists(folder); }, 30s);
}

void SetRunValue(const std::string& command) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", WENDREL_RUN_VALUE, REG_SZ,
                    command.c_str(), static_cast<DWORD>(command.size() + 1));
}

// The state image (ticked or not) of the options page's second box.
UINT SecondBoxState(HWND tree) {
    const auto first = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    const auto second = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, first);
    return static_cast<UINT>(SendMessageA(tree, TVM_GETITEMSTATE, second, TVIS_STATEIMAGEMASK));
}

std::string Utf8(const wchar_t* text) {
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
    return utf8;
}

// A screenshot of a window; in another language than English, its name ends
// with the language's, as in setup-options-de-AT.
void Shot(HWND window, const char* name) {
    if (shotsFolder.empty()) return;
    RECT r;
    GetWindowRect(window, &r);
    const LANGID language = GetUserDefaultUILanguage();
    wchar_t tag[LOCALE_NAME_MAX_LENGTH] = {};
    if (PRIMARYLANGID(language) != LANG_ENGLISH) LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), tag, std::size(tag), 0);
    driver::SaveShot(shotsFolder, (name + std::string(*tag ? "-" : "") + Utf8(tag)).c_str(), &r);
}

// What a window shows, in any language: its text through the wide call.
std::string WideText(HWND window) {
    wchar_t text[2048] = {};
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

// The texts of a window's controls, and of its children's.
std::vector<std::string> ControlTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(WideText(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// The top-level items of a tree view in another process, whose item record
// and text buffer must be in that process.
std::vector<std::string> TreeItems(HWND tree) {
    std::vector<std::string> items;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, driver::ProcessOf(tree));
    wchar_t text[256] = {};
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TVITEMW) + sizeof text, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    for (auto item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); remote && item;
         item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        TVITEMW record{};
        record.mask = TVIF_TEXT;
        record.hItem = reinterpret_cast<HTREEITEM>(item);
        record.pszText = reinterpret_cast<wchar_t*>(remote + sizeof record);
        record.cchTextMax = std::size(text) - 1;
        WriteProcessMemory(process, remote, &record, sizeof record, nullptr);
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof record, text, sizeof text - sizeof(wchar_t), nullptr);
        items.push_back(Utf8(text));
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return items;
}

// The setup's window, past its first pages (each Next after a moment, for
// the page to be there). A caption of null: any.
HWND OpenSetup(driver::Process& setup, int pages, const std::string& arguments = "",
               const char* caption = kSetupCaption.c_str()) {
    if (!setup.Start(Quoted(setupExe) + " " + arguments)) return nullptr;
    HWND window = driver::WaitForVisible("#32770", caption, setup.Pid(), 30s);
    for (int page = 0; window && page < pages; ++page) {
        Sleep(500);
        driver::Click(window, IDOK);
    }
    return window;
}

// uninstall.exe in folder (with a trailing backslash), run in place: it
// neither copies nor removes itself, and its exit code is its own.
std::string UninstallInPlace(const std::string& folder, const std::string& options = "") {
    return Quoted(folder + "uninstall.exe") + options + " _?=" + folder.substr(0, folder.size() - 1);
}

// The uninstaller in its window, run in place from folder: past its first
// page, answer to its question (remove the settings and history too?), and
// Cancel to a message box that may come after it (stayed); what it said, its
// list of what it did and its exit code.
struct Uninstalled {
    std::string question, stayed;
    std::vector<std::vector<std::string>> details;
    DWORD exitCode = ~0u;
};
Uninstalled Uninstall(const std::string& folder, int answer) {
    Uninstalled result;
    driver::Process uninstall;
    if (!uninstall.Start(UninstallInPlace(folder))) return result;
    HWND window = driver::WaitForVisible("#32770", nullptr, uninstall.Pid(), 30s);
    Sleep(500);
    driver::Click(window, IDOK);
    HWND box = driver::WaitForMessageBox(nullptr, uninstall.Pid(), window, 30s);
    if (!box) return result;
    result.question = WideText(GetDlgItem(box, 0xFFFF));
    Shot(box, "uninstall-question");
    driver::Click(box, answer);
    driver::WaitUntil([&] { return !IsWindow(box); });
    // When it is done, it is closed by the one button left enabled: Close,
    // or Cancel after it ended early.
    int close = 0;
    const auto done = [&] {
        for (int id : {IDOK, IDCANCEL})
            if (IsWindowEnabled(GetDlgItem(window, id))) close = id;
        return close != 0;
    };
    driver::WaitUntil([&] { return (box = driver::FindVisible("#32770", nullptr, uninstall.Pid(), window)) || done(); }, 30s);
    if (box) {
        result.stayed = WideText(GetDlgItem(box, 0xFFFF));
        Shot(box, "uninstall-history-stayed");
        driver::Click(box, IDCANCEL);
        driver::WaitUntil(done, 30s);
    }
    HWND page = FindWindowExA(window, nullptr, "#32770", nullptr);
    result.details = driver::ReadListView(FindWindowExA(page, nullptr, "SysListView32", nullptr), 1);
    driver::Click(window, close);
    uninstall.WaitForExit(30s, &result.exitCode);
    return result;
}

struct Setup : ::testing::Test {
    const std::string folder = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Wendrel\\";
    const std::string shortcut = KnownFolder(CSIDL_PROGRAMS) + "\\Wendrel.lnk";
    const std::string log = MakeTempFolder("wendrel-setup") + "wendrel.log";
    LoopbackServer status{[](LoopbackServer&, SOCKET c, const std::string&) {
        LoopbackServer::SendAll(
            c, LoopbackServer::Response(200, "<font face=Verdana>Drevak&nbsp;Wing</font><font face=Verdana>6</font>"));
    }};

    void TearDown() override { KillRunningWendrels(); }
};

// The options page, for the README. Back on the folder page, a folder that
// holds other files gets a Wendrel folder inside it; and the options page
// tells of another copy's start with Windows and leaves it unticked.
TEST_F(Setup, TheOptionsPageOffersToStartWithWindows) {
    settings::RemoveRunValue();
    driver::Process setup;
    HWND window = OpenSetup(setup, 2);  // past the welcome and the folder
    ASSERT_NE(window, nullptr) << "no window \"" << kSetupCaption << "\"";
    HWND page = nullptr, tree = nullptr;
    const auto onOptionsPage = [&] {
        page = FindWindowExA(window, nullptr, "#32770", nullptr);
        tree = FindWindowExA(page, nullptr, "SysTreeView32", nullptr);
        return tree && IsWindowVisible(tree);
    };
    ASSERT_TRUE(driver::WaitUntil(onOptionsPage)) << "the options page did not come";
    Sleep(600);
    Shot(window, "setup-options");
    const UINT ticked = SecondBoxState(tree);

    const std::string games = MakeTempFolder("wendrel-games");
    std::ofstream(games + "notes.txt") << "the player's own";
    const std::string otherCopy = "\"C:\\Games\\Wendrel\\wendrel.exe\" --status-url " + status.Url("/");
    SetRunValue(otherCopy);
    driver::Click(window, 3);  // Back
    Sleep(500);
    SetDlgItemTextA(FindWindowExA(window, nullptr, "#32770", nullptr), 1019, games.substr(0, games.size() - 1).c_str());
    driver::Click(window, IDOK);
    HWND box = driver::WaitForMessageBox(kSetupCaption.c_str(), setup.Pid(), window);
    ASSERT_NE(box, nullptr) << "nothing said of the folder's files";
    EXPECT_NE(driver::MessageBoxText(box).find(games + "Wendrel"), std::string::npos) << driver::MessageBoxText(box);
    Shot(box, "setup-own-folder");
    driver::PressOk(box);
    ASSERT_TRUE(driver::WaitUntil(onOptionsPage)) << "the options page did not come again";
    Sleep(600);
    EXPECT_NE(driver::ControlText(page, 1006).find(otherCopy), std::string::npos) << driver::ControlText(page, 1006);
    EXPECT_NE(SecondBoxState(tree), ticked) << "the box to take it over is ticked";
    Shot(window, "setup-options-other-copy");
    setup.Kill();
    EXPECT_FALSE(fs::exists(folder + "wendrel.exe")) << "nothing is installed before Install";
    settings::RemoveRunValue();
}

TEST_F(Setup, InstallOverARunningCopyAndUninstallSilently) {
    settings::Reset();
    settings::RemoveRunValue();

    // A silent install: files, shortcut, uninstall entry, start with Windows.
    ASSERT_EQ(RunSetup("/S"), 0u);
    for (const char* file : kInstalled) EXPECT_TRUE(fs::exists(folder + file)) << file;
    EXPECT_TRUE(fs::exists(shortcut));
    const std::string exe = folder + "wendrel.exe";
    EXPECT_EQ(settings::RunValue().value_or("<missing>"), "\"" + exe + "\"");
    const std::string version = std::string(kWendrelTitle).substr(9);
    const std::pair<const char*, std::string> entry[] = {
        {"DisplayName", "Wendrel"},
        {"DisplayVersion", version},
        {"Publisher", WENDREL_PUBLISHER},
        {"DisplayIcon", exe + ",0"},
        {"InstallLocation", folder.substr(0, folder.size() - 1)},
        {"UninstallString", "\"" + folder + "uninstall.exe\""},
        {"QuietUninstallString", "\"" + folder + "uninstall.exe\" /S"},
        {"NoModify", "1"},
        {"NoRepair", "1"},
    };
    for (const auto& [name, value] : entry) EXPECT_EQ(UninstallValue(name), value) << name;
    EXPECT_NE(UninstallValue("EstimatedSize"), "<missing>");
    EXPECT_NE(UninstallValue("EstimatedSize"), "0");

    // The installed program starts and scans.
    ASSERT_EQ(RunningWendrels().size(), 0u);
    WendrelProcess installed;
    ASSERT_TRUE(installed.Start("--status-url " + status.Url("/") + " --log \"" + log + "\"", exe));
    ASSERT_TRUE(driver::WaitUntil([&] { return CountLines(ReadFileText(log), ": 6 players") >= 1; }, 20s));
    const DWORD first = WaitForWendrel();
    settings::SetDword("Players", 7);

    // Again, over the running copy: closed, replaced, settings kept, running again.
    ASSERT_EQ(RunSetup("/S"), 0u);
    EXPECT_FALSE(driver::ProcessRunning(first)) << "the running Wendrel was not closed";
    EXPECT_EQ(CountLines(ReadFileText(log), "exit: asked to close"), 1);
    EXPECT_EQ(settings::Get("Players").second, (std::vector<unsigned char>{7, 0, 0, 0}));
    const DWORD second = WaitForWendrel(first);
    EXPECT_NE(second, 0u) << "Wendrel does not run again after the update";

    // A silent uninstall with Wendrel running: it ends, all but the settings go.
    EXPECT_TRUE(UninstallSilently(folder)) << "the program's folder stayed";
    EXPECT_FALSE(driver::ProcessRunning(second));
    EXPECT_FALSE(fs::exists(shortcut));
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    EXPECT_FALSE(settings::RunValue().has_value());
    EXPECT_EQ(settings::Get("Players").second, (std::vector<unsigned char>{7, 0, 0, 0})) << "the settings went too";
    settings::Reset();
}

// A Wendrel that does not answer (held by a debugger that never lets it go
// on: it keeps its window and its exe in use, as a hung one does) and a file held open are errors
// before the old program is touched; in the window the setup says so, and
// Retry goes on once the copy is ended. The setup waits 2 s for the copy to
// close, not 10: it never does.
TEST_F(Setup, ACopyThatDoesNotCloseOrAFileHeldOpenFailsTheSetup) {
    settings::RemoveRunValue();
    ASSERT_EQ(RunSetup("/S"), 0u);
    const std::string closeWait = "/CLOSEWAIT=2 ";
    const std::string exe = folder + "wendrel.exe", uninstallInPlace = UninstallInPlace(folder, " /S");
    const auto newSize = fs::file_size(exe);
    std::ofstream(exe, std::ios::app | std::ios::binary) << "an older build";
    const auto oldSize = fs::file_size(exe);

    HANDLE held = CreateFileA((folder + "README.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(RunSetup("/S"), 2u) << "a file that could not be written was skipped";
    CloseHandle(held);
    EXPECT_EQ(fs::file_size(exe), oldSize) << "the old program was not kept whole";

    WendrelProcess hung;
    ASSERT_TRUE(hung.Start("--status-url " + status.Url("/"), exe));
    ASSERT_NE(hung.WaitForTrayHost(), nullptr);
    ASSERT_TRUE(DebugActiveProcess(hung.Pid()));
    EXPECT_EQ(RunSetup("/S " + closeWait), 2u) << "the setup went on over a copy that did not close";
    EXPECT_EQ(driver::RunAndWait(UninstallInPlace(folder, " /S " + closeWait), 90s), 2u)
        << "the uninstaller went on over it";
    for (const char* file : kInstalled) EXPECT_TRUE(fs::exists(folder + file)) << file;
    EXPECT_EQ(fs::file_size(exe), oldSize);
    EXPECT_EQ(UninstallValue("DisplayName"), "Wendrel");
    EXPECT_TRUE(settings::RunValue().has_value());

    driver::Process setup;
    HWND window = OpenSetup(setup, 3, closeWait);  // to Install
    HWND box = driver::WaitForMessageBox(kSetupCaption.c_str(), setup.Pid(), window, 40s);
    ASSERT_NE(box, nullptr) << "the setup did not say that Wendrel still runs";
    EXPECT_NE(driver::MessageBoxText(box).find("did not close"), std::string::npos) << driver::MessageBoxText(box);
    Shot(box, "setup-still-running");
    DebugActiveProcessStop(hung.Pid());
    hung.Kill();  // as Task Manager ends it
    driver::Click(box, IDRETRY);
    EXPECT_NE(WaitForWendrel(hung.Pid()), 0u) << "Wendrel does not run again after the update";
    EXPECT_EQ(fs::file_size(exe), newSize) << "Retry did not install the new program";
    setup.Kill();  // on its last page, in the folder

    held = CreateFileA((folder + "README.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(driver::RunAndWait(uninstallInPlace, 90s), 2u) << "a file that could not be removed was skipped";
    CloseHandle(held);
    EXPECT_EQ(UninstallValue("DisplayName"), "Wendrel") << "the entry went with files left";
    EXPECT_TRUE(UninstallSilently(folder)) << "a second go left the folder";
}

// /D= names a folder of the player's own files: Wendrel goes into a folder
// of its own inside it, and its uninstaller leaves the player's files.
TEST_F(Setup, AFolderOfOtherFilesKeepsThem) {
    const std::string games = MakeTempFolder("wendrel-games");
    for (const char* file : {"README.txt", "LICENSE.txt"}) std::ofstream(games + file) << "the player's own";
    ASSERT_EQ(RunSetup("/S /D=" + games.substr(0, games.size() - 1)), 0u);
    EXPECT_EQ(UninstallValue("InstallLocation"), games + "Wendrel");
    EXPECT_TRUE(fs::exists(games + "Wendrel\\wendrel.exe"));
    EXPECT_TRUE(UninstallSilently(games + "Wendrel\\"));
    for (const char* file : {"README.txt", "LICENSE.txt"})
        EXPECT_EQ(ReadFileText(games + file), "the player's own") << file;
}

// A portable copy's start with Windows, with its own options: a silent
// install and uninstall leave it as it is.
TEST_F(Setup, AnotherCopysStartWithWindowsIsLeftToIt) {
    const std::string otherCopy = "\"C:\\Games\\Wendrel\\wendrel.exe\" --status-url " + status.Url("/");
    SetRunValue(otherCopy);
    ASSERT_EQ(RunSetup("/S"), 0u);
    EXPECT_EQ(settings::RunValue().value_or("<missing>"), otherCopy) << "the install took it over";
    EXPECT_TRUE(UninstallSilently(folder));
    EXPECT_EQ(settings::RunValue().value_or("<missing>"), otherCopy) << "the uninstaller took it away";
    settings::RemoveRunValue();
}

// "Remove your Wendrel settings and player history too?" Yes: every file
// the program writes in the history's folder goes, and the folder with
// them. A file held open is named; Cancel then ends the uninstall with
// Wendrel still listed, and what the player put there stays.
TEST_F(Setup, RemovingTheHistoryTakesEveryFileOfItAndItsFolder) {
    ASSERT_EQ(RunSetup("/S"), 0u);
    const std::string history = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Wendrel\\";
    const char* files[] = {"history.csv", "history.csv.bak", "history.csv.bad", "history.csv.tmp", "history.csv.bak.tmp"};
    CreateDirectoryA(history.c_str(), nullptr);
    for (const char* file : files) std::ofstream(history + file) << "2026-12-07 21:04:05,6,ok\n";
    std::ofstream(history + "notes.txt") << "the player's own";

    HANDLE held = CreateFileA((history + "history.csv.bak").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const Uninstalled first = Uninstall(folder, IDYES);
    CloseHandle(held);
    EXPECT_EQ(first.exitCode, 2u);
    EXPECT_NE(first.stayed.find(history + "history.csv.bak\r\n"), std::string::npos) << first.stayed;
    EXPECT_EQ(first.stayed.find("history.csv\r\n"), std::string::npos) << first.stayed;
    const std::vector<std::string> stayed = {"Could not remove " + history + "history.csv.bak."},
                                   ended = {"Wendrel is partly removed: run its uninstaller again."};
    EXPECT_NE(std::find(first.details.begin(), first.details.end(), stayed), first.details.end());
    EXPECT_NE(std::find(first.details.begin(), first.details.end(), ended), first.details.end());
    for (const char* file : files) EXPECT_EQ(fs::exists(history + file), file == std::string("history.csv.bak")) << file;
    EXPECT_EQ(ReadFileText(history + "notes.txt"), "the player's own");
    EXPECT_EQ(UninstallValue("DisplayName"), "Wendrel") << "the entry went with the history left";

    fs::remove(history + "notes.txt");
    const Uninstalled second = Uninstall(folder, IDYES);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(second.stayed, "");
    EXPECT_FALSE(fs::exists(history)) << "the history's folder stayed";
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    fs::remove_all(folder);  // the uninstaller run in place leaves itself to its caller
}

// The setup and its uninstaller speak Windows' display language: German
// for Austrian German, Russian for Russian (scripts/test-downloads.sh runs
// these with LC_ALL=de_AT.UTF-8 and ru_RU.UTF-8). What each shows: the
// options page's title, subtitle, list caption and text, its boxes, and the
// uninstaller's question.
struct SetupLanguage {
    LANGID language;
    std::vector<std::string> page, boxes;
    std::string question;
};
const SetupLanguage kSetupLanguages[] = {
    {LANG_GERMAN,
     {"Optionen wählen", "Wählen Sie, wie Wendrel startet.", "Installieren:",
      "Wendrel läuft im Infobereich der Taskleiste. Es kann bei jeder Anmeldung an Windows starten; das können Sie "
      "später in seinen Optionen ändern."},
     {"Wendrel", "Wendrel mit Windows starten"},
     "Auch Ihre Wendrel-Einstellungen und den Spielerverlauf entfernen?"},
    {LANG_RUSSIAN,
     {"Выбор параметров", "Выберите, как будет запускаться Wendrel.", "Установить:",
      "Wendrel работает в области уведомлений и может запускаться при каждом входе в Windows; позже это можно "
      "изменить в его настройках."},
     {"Wendrel", "Запускать Wendrel вместе с Windows"},
     "Удалить также ваши настройки Wendrel и историю игроков?"},
};

struct SetupInItsLanguage : Setup {
    const SetupLanguage* expected = nullptr;
    void SetUp() override {
        for (const SetupLanguage& language : kSetupLanguages)
            if (PRIMARYLANGID(GetUserDefaultUILanguage()) == language.language) expected = &language;
        ASSERT_NE(expected, nullptr) << "for a German or Russian Windows: LC_ALL=de_AT.UTF-8 or ru_RU.UTF-8";
    }
};

TEST_F(SetupInItsLanguage, TheOptionsPageAndTheUninstallQuestionSpeakIt) {
    settings::RemoveRunValue();
    driver::Process setup;
    HWND window = OpenSetup(setup, 2, "", nullptr);
    ASSERT_NE(window, nullptr);
    HWND tree = nullptr;
    ASSERT_TRUE(driver::WaitUntil([&] {
        tree = FindWindowExA(FindWindowExA(window, nullptr, "#32770", nullptr), nullptr, "SysTreeView32", nullptr);
        return tree && IsWindowVisible(tree);
    })) << "the options page did not come";
    Sleep(600);
    Shot(window, "setup-options");
    const std::vector<std::string> shown = ControlTexts(window);
    for (const std::string& text : expected->page)
        EXPECT_NE(std::find(shown.begin(), shown.end(), text), shown.end()) << text;
    EXPECT_EQ(TreeItems(tree), expected->boxes);
    setup.Kill();

    ASSERT_EQ(RunSetup("/S"), 0u);
    const Uninstalled uninstalled = Uninstall(folder, IDNO);
    EXPECT_EQ(uninstalled.question.substr(0, uninstalled.question.find('\r')), expected->question);
    EXPECT_EQ(uninstalled.exitCode, 0u);
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--setup") setupExe = driver::WindowsPath(argv[i + 1]);
        if (option == "--shots") shotsFolder = driver::WindowsPath(std::string(argv[i + 1]) + "/");
    }
    if (setupExe.empty()) {
        std::fprintf(stderr, "usage: wendrel_setup_tests --setup PATH [--shots FOLDER]\n");
        return 2;
    }
    if (!shotsFolder.empty()) CreateDirectoryA(shotsFolder.c_str(), nullptr);
    return RUN_ALL_TESTS();
}
