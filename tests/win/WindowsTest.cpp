#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "FakeMonitor.h"
#include "MemoryHistoryFile.h"
#include "platform/resource.h"
#include "settings/OptionsLayout.h"
#include "settings/Settings.h"
#include "status/FetchFailure.h"
#include "text/Catalogue.h"
#include "text/Languages.h"
#include "win32/Controls.h"
#include "win32/HistoryWindow.h"
#include "win32/MainWindow.h"
#include "win32/NetworkWatcher.h"
#include "win32/OptionsDialog.h"
#include "win32/PictureAccessible.h"
#include "win32/Program.h"
#include "win32/TextConversion.h"
#include "win32/Win32MsgBox.h"
#include "win32/Win32Registry.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string ClassOf(HWND window) {
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    return cls;
}

RECT BoxInParent(HWND control) {
    RECT box;
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// The size text takes in control's font, on one line or wrapped at width.
SIZE TextSize(HWND control, const std::wstring& text, UINT format, int width = 0) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {need.right, need.bottom};
}

// What a visible child of a window shows cut off: its text wider than its
// box, or wrapped into more lines than the box holds (buttons and check
// boxes less their edges and box, a group box less its frame, a drop-down
// list less its arrow, a list's headings within their columns and the
// columns within the list). Edit boxes show data, and are not measured.
std::vector<std::string> CutTexts(HWND child) {
    const std::string cls = ClassOf(child), shown = WindowText(child);
    const std::wstring text = Wide(shown, CP_UTF8);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const int dpi = WindowDpi(GetParent(child));
    const auto px = [dpi](int at96) { return MulDiv(at96, dpi, 96); };
    RECT client;
    GetClientRect(child, &client);
    std::vector<std::string> cut;
    const auto expectRoom = [&](const std::string& what, SIZE need, int width, int height) {
        if (need.cx > width || need.cy > height)
            cut.push_back(what + " \"" + shown + "\" needs " + std::to_string(need.cx) + "x" + std::to_string(need.cy) +
                          " pixels, has " + std::to_string(width) + "x" + std::to_string(height));
    };
    if (lstrcmpiA(cls.c_str(), "STATIC") == 0 && !text.empty()) {
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_LEFTNOWORDWRAP)
            expectRoom("label", TextSize(child, text, DT_SINGLELINE | prefix), client.right, client.bottom);
        else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)
            expectRoom("label",
                       TextSize(child, text, DT_WORDBREAK | prefix | ((style & SS_EDITCONTROL) ? DT_EDITCONTROL : 0),
                                client.right),
                       client.right, client.bottom);
    } else if (lstrcmpiA(cls.c_str(), "BUTTON") == 0 && !text.empty()) {
        const LONG type = style & BS_TYPEMASK;
        const SIZE line = TextSize(child, text, DT_SINGLELINE);
        if (type == BS_GROUPBOX)
            expectRoom("group box", line, client.right - px(16), client.bottom);
        else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE)
            expectRoom("check box", line, client.right - px(16), client.bottom);
        else
            expectRoom("button", line, client.right - px(6), client.bottom - px(4));
    } else if (lstrcmpiA(cls.c_str(), "COMBOBOX") == 0) {
        expectRoom("drop-down list", TextSize(child, text, DT_SINGLELINE | DT_NOPREFIX),
                   client.right - GetSystemMetrics(SM_CXVSCROLL) - px(4), client.bottom);
    } else if (lstrcmpiA(cls.c_str(), "SysListView32") == 0) {
        HWND header = ListView_GetHeader(child);
        int columns = 0;
        for (int i = 0; i < Header_GetItemCount(header); ++i) {
            wchar_t heading[128] = {};
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH;
            item.pszText = heading;
            item.cchTextMax = 128;
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            const std::string name = Narrow(heading, CP_UTF8);
            SIZE need = TextSize(header, heading, DT_SINGLELINE | DT_NOPREFIX);
            if (need.cx + px(12) > item.cxy)
                cut.push_back("column heading \"" + name + "\" needs " + std::to_string(need.cx + px(12)) +
                              " pixels, has " + std::to_string(item.cxy));
            columns += item.cxy;
        }
        if (columns > client.right)
            cut.push_back("the list's columns need " + std::to_string(columns) + " pixels, it has " +
                          std::to_string(client.right));
    }
    return cut;
}

// Every text of window's visible children shows whole (CutTexts), and no
// two of them lie over each other (but a group box round what is in it);
// each failure names where (the language and window), the control and its text.
void ExpectCaptionsFit(HWND window, const std::string& where = "") {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) children.push_back(child);
    const auto name = [](HWND control) {
        return ClassOf(control) + " " + std::to_string(GetDlgCtrlID(control)) + " \"" + WindowText(control) + "\"";
    };
    const auto groupBoxRound = [](HWND box, HWND inner) {
        RECT outer = BoxInParent(box), in = BoxInParent(inner), both;
        UnionRect(&both, &outer, &in);
        return lstrcmpiA(ClassOf(box).c_str(), "BUTTON") == 0 &&
               (GetWindowLongW(box, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && EqualRect(&both, &outer);
    };
    for (std::size_t i = 0; i < children.size(); ++i) {
        for (const std::string& cut : CutTexts(children[i]))
            ADD_FAILURE() << where << ": control " << GetDlgCtrlID(children[i]) << ": " << cut;
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            RECT a = BoxInParent(children[i]), b = BoxInParent(children[j]), over;
            if (IntersectRect(&over, &a, &b) && !groupBoxRound(children[i], children[j]) &&
                !groupBoxRound(children[j], children[i]))
                ADD_FAILURE() << where << ": " << name(children[i]) << " lies over " << name(children[j]);
        }
    }
}

// Presses OK on the next message box titled title that is not except.
std::thread CloseMessageBox(const char* title, HWND except, std::atomic<bool>& closed) {
    return std::thread([=, &closed] {
        for (int i = 0; i < 200 && !closed; ++i) {
            for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", title); w;
                 w = FindWindowExA(nullptr, w, "#32770", title)) {
                if (w != except && IsWindowVisible(w)) {
                    PostMessageA(w, WM_COMMAND, IDOK, 0);
                    closed = true;
                    return;
                }
            }
            Sleep(50);
        }
    });
}

struct OptionsWindow : ::testing::Test {
    MemoryRegistry registry;
    mdRegistry store{registry};
    OptionsDialog dialog;
    Win32MsgBox msgBox;
    frmOptions form{store, dialog, msgBox};

    void SetUp() override { dialog.Attach(form); }
    void TearDown() override { form.Unload(); }
};

TEST_F(OptionsWindow, LoadsHiddenWithTheLayoutAndDefaults) {
    EXPECT_EQ(form.txtSound(), "Flyover.wav");
    HWND w = dialog.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(cls, "#32770");
    EXPECT_EQ(WindowText(w), "Options");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_MINUTES)), "5");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_ZALMO)), "C:\\Program Files\\QuellanPro3\\qlpro.exe");
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_INWINDOW), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_NOTIFY), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_STARTUP), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_REMIND), BST_UNCHECKED);
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_REMIND)), "Tell me before it usually gets &busy");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_NOTIFY)), "Show a &notification");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_STARTUP)), "Start Wendrel with &Windows");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_LABEL0)), "&Check Every:");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_LABEL4)), "&Quellan Directory:");
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(w, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(WindowText(GetDlgItem(w, IDCANCEL)), "Cancel");

    LOGFONTA bold{};
    GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(w, IDC_ALARMDLG, WM_GETFONT, 0, 0)), sizeof bold, &bold);
    EXPECT_GE(bold.lfWeight, FW_BOLD);

    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_TEST)), "&Test");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_LABEL5)), "&Language:");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_STARTUP_NOTE)), "");
    HWND list = GetDlgItem(w, IDC_LANGUAGE);
    EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
    wchar_t item[64] = {};
    SendMessageW(list, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(std::wstring(item), L"\x0420\x0443\x0441\x0441\x043A\x0438\x0439") << "Russian, by its own name";

    // Client area: the English design at this DPI, which its captions fit;
    // the new check boxes come below the old one, in order, then the
    // language, then OK.
    const TwipScale scale(WindowDpi(w));
    const OptionsLayout design = OptionsDesign();
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.bottom, scale.Y(design.height));
    EXPECT_EQ(client.right, scale.X(design.width));
    int lastTop = -1;
    for (int id : {IDC_INWINDOW, IDC_NOTIFY, IDC_REMIND, IDC_STARTUP, IDC_STARTUP_NOTE, IDC_LANGUAGE, IDOK}) {
        RECT box;
        GetWindowRect(GetDlgItem(w, id), &box);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&box), 2);
        EXPECT_GT(box.top, lastTop) << id;
        lastTop = box.bottom;
    }
    EXPECT_LE(lastTop, client.bottom);
    ExpectCaptionsFit(w);
}

TEST_F(OptionsWindow, EditsReachTheFormAndAGreyedBoxShows) {
    registry.Put(Settings::kKeyPath, "InWindow", kRegDword, {2, 0, 0, 0});
    form.Show();
    Pump();
    HWND w = dialog.Window();
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_INWINDOW), BST_INDETERMINATE);
    SetDlgItemTextA(w, IDC_ZALMO, "D:\\ql.exe");
    EXPECT_EQ(form.txtZalmo(), "D:\\ql.exe");
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_INWINDOW, BN_CLICKED), 0);
    EXPECT_EQ(form.ckInWindow(), 0);
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_INWINDOW), BST_UNCHECKED);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_NOTIFY, BN_CLICKED), 0);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_STARTUP, BN_CLICKED), 0);
    EXPECT_EQ(form.ckNotify(), 0);
    EXPECT_EQ(form.ckStartWithWindows(), 1);
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_STARTUP), BST_CHECKED);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(form.txtZalmo(), "D:\\ql.exe");
}

TEST_F(OptionsWindow, BadNumberShowsAMessageAndFocusesItsBox) {
    form.Show();
    Pump();
    HWND w = dialog.Window();
    SetDlgItemTextA(w, IDC_USERS, "many");
    std::atomic<bool> closed{false};
    std::thread closer = CloseMessageBox("Options", w, closed);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    closer.join();
    EXPECT_TRUE(closed);
    Pump();
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetFocus(), GetDlgItem(w, IDC_USERS));
    // Coming back from a message box is not a form's activation: the entry stays.
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_USERS)), "many");
    EXPECT_EQ(registry.ValueCount(), 0u);
}

TEST_F(OptionsWindow, CloseBoxUnloadsTheForm) {
    form.Show();
    Pump();
    SetDlgItemTextA(dialog.Window(), IDC_USERS, "9");
    SendMessageA(dialog.Window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_EQ(form.txtUsers(), "2");
}

// Test reports what the monitor found, as it says it.
struct TestingMonitor : MonitorSettingsSink {
    std::vector<std::string> tested;
    void ApplySettings(const MonitorSettings&) override {}
    std::vector<Message> TestAlarm(const std::string& sound, std::int32_t) override {
        tested.push_back(sound);
        return {Message(Msg::OptionsTestNoFile, sound)};
    }
};

// The new controls through the window: the note on another copy's start
// with Windows (left alone by OK), the language list and Test.
TEST_F(OptionsWindow, TheNoteTheLanguageListAndTestWorkThroughTheWindow) {
    const std::string other = "\"D:\\Other\\wendrel.exe\" --timeout 5";
    registry.PutText(Settings::kRunKeyPath, Settings::kRunValueName, other);
    TestingMonitor monitor;
    form.SetMonitor(&monitor);
    form.Show();
    Pump();
    HWND w = dialog.Window();
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_STARTUP_NOTE)), "Windows starts another copy now: D:\\Other\\wendrel.exe");
    EXPECT_EQ(IsDlgButtonChecked(w, IDC_STARTUP), BST_UNCHECKED);
    HWND list = GetDlgItem(w, IDC_LANGUAGE);
    SendMessageW(list, CB_SETCURSEL, 2, 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(form.Controls().Text(OptionsField::Language), "de");

    SetDlgItemTextW(w, IDC_SOUND, L"C:\\gone.wav");
    std::atomic<bool> closed{false};
    std::thread closer = CloseMessageBox("Options", w, closed);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_TEST, BN_CLICKED), 0);
    closer.join();
    EXPECT_TRUE(closed) << "Test did not say what it found";
    EXPECT_EQ(monitor.tested, std::vector<std::string>{"C:\\gone.wav"});

    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(store.FetchSetting(Settings::kKeyPath, "Language"), SettingValue(std::string("de")));
    EXPECT_EQ(store.FetchSetting(Settings::kRunKeyPath, Settings::kRunValueName), SettingValue(other));
}

// Shown after the language changed, the window has the new captions, and
// room for them: the test language is longer than any.
TEST_F(OptionsWindow, ShownAgainTheWindowSpeaksTheNewLanguageWithRoomForIt) {
    const InvariantFormat format;
    Texts texts(format);
    OptionsDialog dialog2(texts);
    frmOptions form2{store, dialog2, msgBox};
    dialog2.Attach(form2);
    form2.Show();
    Pump();
    HWND w = dialog2.Window();
    RECT english, pseudo;
    GetClientRect(w, &english);
    form2.cmdCancel_Click();
    texts.Use(*FindLanguage("qps-ploc"));
    form2.Show();
    Pump();
    EXPECT_EQ(WindowText(w), texts(Message(Msg::OptionsTitle)));
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_LABEL4)), texts(Message(Msg::OptionsQuellanDirectory)));
    wchar_t first[128] = {};
    SendDlgItemMessageW(w, IDC_LANGUAGE, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(Narrow(first, CP_UTF8), texts(Message(Msg::OptionsWindowsLanguage)));
    GetClientRect(w, &pseudo);
    EXPECT_GT(pseudo.right, english.right) << "a longer language widens the window";
    ExpectCaptionsFit(w);
    form2.Unload();
}

// The program starts in --language's language, else in the one stored in
// Options, else in Windows' (as far as a catalogue has each).
TEST(StartLanguageTest, TheRunsLanguageThenTheStoredChoiceThenWindows) {
    const std::wstring keyPath = Wide(Settings::kKeyPath, CP_UTF8);
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
    Win32Registry api;
    mdRegistry store{api};
    const Catalogue& windows = ChooseLanguage("", WindowsLanguages());
    const std::pair<const char*, const char*> cases[] = {
        {"ru", "ru"},          // the stored choice
        {"xx", windows.code},  // none there is: Windows'
        {"", windows.code},    // Windows' language, chosen in Options
    };
    for (const auto& [stored, expected] : cases) {
        ASSERT_EQ(store.StoreSetting(Settings::kKeyPath, Settings::Language.name, std::string(stored), kRegSz), 0);
        EXPECT_STREQ(StartLanguage("").code, expected) << stored;
        EXPECT_STREQ(StartLanguage("pl").code, "pl") << "--language goes before " << stored;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
}

// A path in any letters goes through the box and the registry whole, and
// a value another program stored so shows whole.
TEST(OptionsUnicodeTest, APathInAnyLettersSurvivesTheBoxAndTheRegistry) {
    const std::wstring keyPath = Wide(Settings::kKeyPath, CP_UTF8);
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
    Win32Registry api;
    mdRegistry store{api};
    OptionsDialog dialog;
    Win32MsgBox msgBox;
    frmOptions form{store, dialog, msgBox};
    dialog.Attach(form);
    form.Show();
    Pump();
    HWND w = dialog.Window();
    const std::wstring sound = L"C:\\\x0141\x00f3\x0064\x017a\\\x0417\x0432\x0443\x043a.wav";  // C:\Łódź\Звук.wav
    SetDlgItemTextW(w, IDC_SOUND, sound.c_str());
    EXPECT_EQ(form.txtSound(), Narrow(sound, CP_UTF8));
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(w));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    wchar_t stored[MAX_PATH] = {};
    DWORD type = 0, size = sizeof stored;
    ASSERT_EQ(RegQueryValueExW(key, L"AlarmSound", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size), 0);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(stored), sound);
    EXPECT_EQ(size, (sound.size() + 1) * sizeof(wchar_t));
    // ASCII is stored as the ANSI calls stored it.
    char ascii[MAX_PATH] = {};
    DWORD asciiSize = sizeof ascii;
    ASSERT_EQ(RegQueryValueExA(key, "ZalmoPath", nullptr, &type, reinterpret_cast<BYTE*>(ascii), &asciiSize), 0);
    EXPECT_STREQ(ascii, "C:\\Program Files\\QuellanPro3\\qlpro.exe");

    const std::wstring client = L"D:\\\x65e5\x672c\\qlpro.exe";  // D:\日本\qlpro.exe
    RegSetValueExW(key, L"ZalmoPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(client.c_str()),
                   static_cast<DWORD>((client.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    form.Form_Activate();
    wchar_t shown[MAX_PATH] = {};
    GetDlgItemTextW(w, IDC_ZALMO, shown, MAX_PATH);
    EXPECT_EQ(std::wstring(shown), client);
    EXPECT_EQ(form.txtZalmo(), Narrow(client, CP_UTF8));
    form.Unload();
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
}

// The real main window over a fake world, started as the program starts it
// (in English, or in the language texts speaks).
struct StartedMainWindow {
    FakeWorld world;
    MainWindow window;
    frmWendrel form;
    explicit StartedMainWindow(const Texts* texts = nullptr) : form(Deps(world, window, texts)) {}
    static MonitorDeps Deps(FakeWorld& world, MainWindow& window, const Texts* texts) {
        MonitorDeps deps = world.Deps("http://status.quellan.example", &window);
        if (texts) deps.texts = texts;
        return deps;
    }
    // Its windows go with it: a broadcast must not reach a window whose object is gone.
    ~StartedMainWindow() { window.Destroy(); }
    bool Start() {
        if (!window.Create(form)) return false;
        form.Form_Initialize();
        form.Form_Load();
        return true;
    }
};

TEST(ActivationTest, ComingFromTheMainWindowReloadsTheStoredSettings) {
    StartedMainWindow started;
    ASSERT_TRUE(started.Start());
    FakeWorld& world = started.world;
    MainWindow& window = started.window;

    OptionsDialog dialog;
    Win32MsgBox msgBox;
    frmOptions options{world.store, dialog, msgBox};
    dialog.Attach(options);
    world.store.EnsureKey(Settings::kKeyPath, kHKeyCurrentUser);
    world.store.StoreSetting(Settings::kKeyPath, "CheckInterval", std::int32_t{7}, kRegDword);
    options.Show();
    Pump();
    HWND box = GetDlgItem(dialog.Window(), IDC_MINUTES);
    EXPECT_EQ(WindowText(box), "7");
    SetWindowTextA(box, "8");
    EXPECT_EQ(options.txtMinutes(), "8");

    window.ShowWindow();  // the user moves to the main window...
    Pump();
    EXPECT_EQ(options.txtMinutes(), "8");
    SetForegroundWindow(dialog.Window());  // ...and back to Options
    Pump();
    EXPECT_EQ(WindowText(box), "7");
    EXPECT_EQ(options.txtMinutes(), "7");
    options.Unload();
}

// An exception must not unwind through Windows: the window procedure stops
// it, the user is told, and the window goes on working.
TEST(MainWindowTest, AFailureInsideAButtonIsReportedAndTheWindowGoesOn) {
    StartedMainWindow started;
    ASSERT_TRUE(started.Start());
    FakeWorld& world = started.world;
    MainWindow& window = started.window;
    world.missions.throwOnList = true;
    std::atomic<bool> closed{false};
    std::thread closer = CloseMessageBox("Wendrel", nullptr, closed);
    SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(IDC_SORT, BN_CLICKED), 0);
    closer.join();
    EXPECT_TRUE(closed) << "no message about the failure";
    world.inet.ServePage(StatusPage("3"));
    SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(IDC_RESCAN, BN_CLICKED), 0);
    EXPECT_EQ(WindowText(GetDlgItem(window.Handle(), IDC_STATUSLINE)), "Last scan 21:04:05: 3 players");
    world.app.Quitting = true;
    SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
}

TEST(MainWindowTest, StartsHiddenAsAToolWindowAndShowsTheScan) {
    StartedMainWindow started;
    started.world.inet.ServePage(StatusPage("14"));
    ASSERT_TRUE(started.Start());
    AppState& app = started.world.app;
    FakeTray& tray = started.world.tray;
    MainWindow& window = started.window;
    HWND w = window.Handle();
    HWND host = reinterpret_cast<HWND>(window.TrayWindowHandle());
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(WindowText(w), InEnglish(frmWendrel::Title()));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_EQ(GetWindow(w, GW_OWNER), host);
    EXPECT_EQ(tray.calls.at(0).second.hWnd, reinterpret_cast<std::uintptr_t>(host));

    HWND list = GetDlgItem(w, IDC_LIST);
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    char cell[64];
    ListView_GetItemText(list, 0, 0, cell, sizeof cell);
    EXPECT_STREQ(cell, "status.quellan.example");
    ListView_GetItemText(list, 0, 1, cell, sizeof cell);
    EXPECT_STREQ(cell, "14");
    const TwipScale scale(WindowDpi(w));
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), scale.X(2400));
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), scale.X(1440));
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_STATUSLINE)), "Last scan 21:04:05: 14 players");
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_LAUNCH)), "&Start Quellan");
    ExpectCaptionsFit(w);

    // The tray's double-click shows it; the close box hides it again.
    SendMessageA(host, WM_MOUSEMOVE, 1, 515);
    EXPECT_TRUE(IsWindowVisible(w));
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_TRUE(IsWindow(w));
    app.Quitting = true;
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(tray.calls.back().first, TrayMessage::Delete);
}

// A status line of more lines than its two makes the line and its frame
// taller, the buttons move down and the window grows with them; an address
// without spaces breaks rather than run out of the line; a short line
// again gives back the design.
TEST(MainWindowTest, AStatusLineOfMoreLinesGrowsTheWindowDown) {
    StartedMainWindow started;
    ASSERT_TRUE(started.Start());
    HWND w = started.window.Handle();
    const auto box = [w](int id) { return BoxInParent(GetDlgItem(w, id)); };
    const auto client = [w] {
        RECT r;
        GetClientRect(w, &r);
        return r;
    };
    const RECT before = client(), options = box(IDC_OPTIONS), frame = box(IDC_FRAME);
    std::string reasons = "Last scan 21:04:05 failed:";
    for (int i = 0; i < 6; ++i) reasons += " the proxy server could not reach status.quellan.example;";
    const std::string address = "Last scan 21:04:05 failed: no status page at http://" + std::string(150, 'x') + "/";
    for (const std::string& line : {reasons, address}) {
        started.window.SetStatusLine(line);
        const RECT after = client();
        const int down = after.bottom - before.bottom;
        EXPECT_GT(down, 0) << line;
        EXPECT_EQ(after.right, before.right) << line;
        EXPECT_NEAR(box(IDC_OPTIONS).top - options.top, down, 1) << line;
        EXPECT_NEAR(box(IDC_FRAME).bottom - frame.bottom, down, 1) << line;
        ExpectCaptionsFit(w, line.substr(0, 30));
    }
    started.window.SetStatusLine("Last scan 21:04:05: 3 players");
    const RECT again = client(), optionsAgain = box(IDC_OPTIONS);
    EXPECT_TRUE(EqualRect(&again, &before));
    EXPECT_TRUE(EqualRect(&optionsAgain, &options));
}

// Every window in every language at this screen's DPI (the tests run at 96
// and 144): each text shows whole, and no control lies over another. The
// main window says why its scan failed, in its longest words; Options has
// the note on another copy's start with Windows; History has a week of
// scans to sum up.
TEST(FitTest, EveryWindowHoldsItsTextsInEveryLanguage) {
    const InvariantFormat format;
    MemoryHistoryFile file;
    for (int day = 1; day <= 7; ++day)
        for (int hour = 0; hour < 24; hour += 3)
            file.text += "2026-12-0" + std::to_string(day) + " " + (hour < 10 ? "0" : "") + std::to_string(hour) +
                         ":00:00," + std::to_string(hour / 2) + ",ok\r\n";
    file.text = "Time (UTC),Players,Scan\r\n" + file.text;
    for (const Catalogue& language : AllCatalogues()) {
        Texts texts(format, language);
        const std::string in = std::string(language.code) + ", ";

        StartedMainWindow started(&texts);
        started.world.inet.Fail({.kind = FetchFailure::Kind::HttpStatus,
                                 .host = "status.quellan.example",
                                 .status = 503,
                                 .wait = 120,
                                 .viaProxy = true});
        ASSERT_TRUE(started.Start());
        ExpectCaptionsFit(started.window.Handle(), in + "main window");

        MemoryRegistry registry;
        registry.PutText(Settings::kRunKeyPath, Settings::kRunValueName,
                         "\"D:\\Games\\Another copy of Wendrel, from last year\\wendrel.exe\" --timeout 5");
        mdRegistry store{registry};
        OptionsDialog dialog(texts);
        Win32MsgBox msgBox;
        frmOptions options{store, dialog, msgBox};
        dialog.Attach(options);
        options.Show();
        Pump();
        ExpectCaptionsFit(dialog.Window(), in + "Options");
        options.Unload();

        PlayerHistory history(file);
        FakeClock clock;
        history.Load(clock.utc);
        HistoryWindow window(history, clock, texts);
        window.SetThreshold([] { return 5; });
        window.Show();
        Pump();
        ExpectCaptionsFit(window.Handle(), in + "History");
        DestroyWindow(window.Handle());
    }
}

// TwipsX gives the fewest twips that X makes at least so many pixels wide,
// at each DPI and so at each width factor of the system's font.
TEST(DpiTest, TwipsXIsTheFewestTwipsThatGiveThePixels) {
    for (const int dpi : {96, 120, 144, 168, 192}) {
        const TwipScale scale(dpi);
        for (int pixels = 1; pixels <= 800; ++pixels) {
            const int twips = scale.TwipsX(pixels);
            ASSERT_GE(scale.X(twips), pixels) << dpi << " dpi, " << twips << " twips";
            ASSERT_LT(scale.X(twips - 1), pixels) << dpi << " dpi, " << twips << " twips";
        }
    }
}

// At a new DPI the tray icon is loaded at the new small-icon size (the
// windows' layout at a new DPI: tests/e2e).
TEST(DpiTest, TheTrayIconFollowsANewDpi) {
    StartedMainWindow started;
    ASSERT_TRUE(started.Start());
    SendMessageA(reinterpret_cast<HWND>(started.window.TrayWindowHandle()), WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(started.world.tray.calls.back().second.hIcon), &icon));
    BITMAP bitmap{};
    GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, SystemMetric(SM_CXSMICON, 192));
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
}

// The list is a common control: new system colours reach it only through
// its window, and Wine's list keeps the colours it was made with.
TEST(MainWindowTest, ANewSystemColourReachesTheList) {
    StartedMainWindow started;
    ASSERT_TRUE(started.Start());
    const int element = COLOR_WINDOW;
    const COLORREF before = GetSysColor(element), changed = RGB(0x10, 0x20, 0x30);
    SetSysColors(1, &element, &changed);
    EXPECT_EQ(ListView_GetBkColor(GetDlgItem(started.window.Handle(), IDC_LIST)), changed);
    SetSysColors(1, &element, &before);
}

// The History window draws itself again when the system's colours, theme
// or settings change.
TEST(HistoryWindowTest, NewColoursOrANewThemeDrawItAgain) {
    MemoryHistoryFile file;
    PlayerHistory history(file);
    FakeClock clock;
    HistoryWindow window(history, clock);
    window.Show();
    for (const UINT message : {WM_SYSCOLORCHANGE, WM_THEMECHANGED, WM_SETTINGCHANGE}) {
        Pump();
        ValidateRect(window.Handle(), nullptr);
        SendMessageA(window.Handle(), message, 0, 0);
        EXPECT_TRUE(GetUpdateRect(window.Handle(), nullptr, FALSE)) << message << " left the old picture";
    }
    DestroyWindow(window.Handle());
}

// After a change of language the next update speaks the new one: the title,
// the pictures' names and the lines under them, in UTF-16 (the test
// language's accents are in no code page).
TEST(HistoryWindowTest, AnUpdateSpeaksTheLanguageChosenSince) {
    MemoryHistoryFile file;
    PlayerHistory history(file);
    FakeClock clock;
    const InvariantFormat format;
    Texts texts(format);
    HistoryWindow window(history, clock, texts);
    window.Show();
    const auto textOf = [](HWND control) {
        wchar_t text[256] = {};
        GetWindowTextW(control, text, 256);
        return Narrow(text, CP_UTF8);
    };
    EXPECT_EQ(textOf(window.Handle()), "Wendrel History");
    texts.Use(*FindLanguage("qps-ploc"));
    window.Update();
    for (const auto& [id, message] :
         {std::pair{0, Msg::HistoryWindowCaption}, std::pair{IDC_HISTORY_DAY, Msg::HistoryWindowDayTitle},
          std::pair{IDC_HISTORY_WEEK, Msg::HistoryWindowWeekName},
          std::pair{IDC_HISTORY_SUMMARY, Msg::HistoryWindowNoHistory}})
        EXPECT_EQ(textOf(id ? GetDlgItem(window.Handle(), id) : window.Handle()), texts(message)) << id;
    DestroyWindow(window.Handle());
}

// The pictures answer a reader in words, read in this process (under Wine a
// second process gets no object), and the keys move the readout's cursor.
TEST(HistoryWindowTest, PicturesInWordsAndACursorForTheKeys) {
    CoInitialize(nullptr);
    MemoryHistoryFile file;
    file.text =  // the clock is at 21:04:05 UTC
        "Time (UTC),Players,Scan\r\n2026-12-07 20:04:00,14,ok\r\n2026-12-07 20:34:00,,failed\r\n"
        "2026-12-07 20:54:00,3,ok\r\n";
    PlayerHistory history(file);
    FakeClock clock;
    history.Load(clock.utc);
    HistoryWindow window(history, clock);
    window.SetThreshold([] { return 5; });
    window.Show();
    Pump();
    HWND day = GetDlgItem(window.Handle(), IDC_HISTORY_DAY), week = GetDlgItem(window.Handle(), IDC_HISTORY_WEEK);
    ASSERT_TRUE(day && week);

    Microsoft::WRL::ComPtr<IAccessible> picture;
    ASSERT_EQ(AccessibleObjectFromWindow(day, OBJID_CLIENT, IID_PPV_ARGS(picture.GetAddressOf())), S_OK);
    const auto ask = [&](auto method) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        EXPECT_EQ((picture.Get()->*method)(self, &text), S_OK);
        const std::string utf8 = Narrow(text ? text : L"", CP_UTF8);
        SysFreeString(text);
        return utf8;
    };
    EXPECT_EQ(ask(&IAccessible::get_accName), "Last 24 hours");
    const std::string description = ask(&IAccessible::get_accDescription);
    for (const char* words : {"Highest 14 players, at 20:04 today", "lowest 3 players", "1 check failed"})
        EXPECT_NE(description.find(words), std::string::npos) << description;

    const auto readout = [&] {
        wchar_t text[256] = {};
        GetWindowTextW(GetDlgItem(window.Handle(), IDC_HISTORY_READOUT), text, 256);
        return Narrow(text, CP_UTF8);
    };
    SetFocus(day);
    const struct {
        WPARAM key;
        const char* readout;
    } kKeys[] = {{VK_END, "20:54 \xE2\x80\x94 3 players"},
                 {VK_LEFT, "20:34 \xE2\x80\x94 the check failed"},
                 {VK_HOME, "20:04 \xE2\x80\x94 14 players"},
                 {VK_LEFT, "20:04 \xE2\x80\x94 14 players"}};
    for (const auto& k : kKeys) {
        SendMessageA(day, WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(readout(), k.readout) << k.key;
    }
    EXPECT_EQ(ask(&IAccessible::get_accValue), "20:04 \xE2\x80\x94 14 players");
    EXPECT_EQ(picture.Reset(), 0u) << "the reader's reference is the object's last: the window holds none";
    SendMessageA(day, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), week);
    EXPECT_EQ(readout(), "Mondays 21:00\xE2\x80\x93" "22:00 \xE2\x80\x94 no checks in this hour yet");
    DestroyWindow(window.Handle());
}

// An object that cannot be handed over to the reader (LresultFromObject
// fails, as it has been seen to on Windows) leaves WM_GETOBJECT to
// DefWindowProc: the error code would read as a handle to an object. The
// object handed over, or not, is freed once the reader's reference goes.
TEST(HistoryWindowTest, AnObjectThatCannotBeHandedOverIsLeftToWindows) {
    CoInitialize(nullptr);
    MemoryHistoryFile file;
    PlayerHistory history(file);
    FakeClock clock;
    HistoryWindow window(history, clock);
    window.Show();
    const HWND day = GetDlgItem(window.Handle(), IDC_HISTORY_DAY);
    ASSERT_TRUE(day);
    // Stands in for LresultFromObject: keeps a reference to what it is given
    // (as a reader's would be) and answers as told.
    static IUnknown* offered;
    static LRESULT handOverAnswer;
    const LresultFromObjectFn handOver = [](REFIID, WPARAM, LPUNKNOWN object) -> LRESULT {
        offered = object;
        object->AddRef();
        return handOverAnswer;
    };
    const struct {
        LRESULT handOverAnswer, answer;
    } kCases[] = {{E_OUTOFMEMORY, 0}, {E_NOINTERFACE, 0}, {0x40c1, 0x40c1}};
    for (const auto& c : kCases) {
        handOverAnswer = c.handOverAnswer;
        offered = nullptr;
        EXPECT_EQ(AnswerGetObject(day, 0, OBJID_CLIENT, handOver), c.answer) << c.handOverAnswer;
        ASSERT_TRUE(offered) << c.handOverAnswer;
        EXPECT_EQ(offered->Release(), 0u) << c.handOverAnswer << ": the window keeps no reference";
    }
    DestroyWindow(window.Handle());
}

// Windows' notices of new addresses can be asked for. Under Wine they never
// come (docs/wine-notes.md).
TEST(NetworkWatcherTest, AsksForNoticesOfNewAddresses) {
    NetworkWatcher watcher;
    std::string error;
    EXPECT_TRUE(watcher.Start(GetDesktopWindow(), WM_NULL, error)) << error;
}

}  // namespace
