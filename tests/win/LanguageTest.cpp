// The windows in other languages: texts beyond ASCII through the program's
// own Windows code, read back with the W calls (right whatever the ANSI code
// page: CMakeLists.txt runs the Unicode tests under code pages 1251 and 1252
// too), and captions longer than English.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "Driver.h"
#include "FakeMonitor.h"
#include "platform/resource.h"
#include "text/Languages.h"
#include "win32/Controls.h"
#include "win32/MainWindow.h"
#include "win32/Win32MsgBox.h"
#include "win32/Win32Tray.h"

namespace {

// Russian (not in code page 1252) and Polish (not in 1251).
const std::string kRussian =
    "\u041f\u0451\u0442\u0440: 5 \u0438\u0433\u0440\u043e\u043a\u043e\u0432";  // Пётр: 5 игроков
const std::string kPolish = "\u0141\u00f3d\u017a \u2014 \u0119, \u0105";       // Łódź — ę, ą

// The real main window over a fake world, speaking texts.
struct MainWindowIn {
    FakeWorld world;
    MainWindow window;
    frmWendrel form;
    explicit MainWindowIn(const Texts& texts) : form(Deps(world, window, texts)) {}
    ~MainWindowIn() { window.Destroy(); }

    static MonitorDeps Deps(FakeWorld& world, MainWindow& window, const Texts& texts) {
        MonitorDeps deps = world.Deps("http://status.quellan.example", &window);
        deps.texts = &texts;
        return deps;
    }
    RECT Box(int id) const {
        RECT box;
        HWND control = GetDlgItem(window.Handle(), id);
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&box), 2);
        return box;
    }
};

// Without a locale asked for, the ANSI code page of an English Windows 7:
// the program's manifest does not make it UTF-8 (65001).
TEST(UnicodeTest, TheTestsRunAtTheLocalesAnsiCodePage) {
    const char* asked = std::getenv("WENDREL_CODE_PAGE");
    EXPECT_EQ(GetACP(), asked ? static_cast<UINT>(std::atoi(asked)) : 1252u);
}

TEST(UnicodeTest, AMessageBoxShowsTextsOfAnyAlphabet) {
    Win32MsgBox msgBox;
    std::thread shown([&] { msgBox.Show(kRussian + "\r\n" + kPolish, kPolish, kMbOk); });
    HWND titled = driver::WaitForMessageBox(kPolish.c_str(), GetCurrentProcessId());
    // Whatever its title came out as, the box is read and closed.
    HWND box = titled ? titled : driver::WaitForMessageBox(nullptr, GetCurrentProcessId());
    const std::string text = box ? driver::MessageBoxText(box) : "";
    if (box) driver::PressOk(box);
    shown.join();
    EXPECT_NE(titled, nullptr) << "no message box titled " << kPolish;
    EXPECT_EQ(text, kRussian + "\r\n" + kPolish);
}

// The text shown whole; one too long for Windows' 255 units is cut before
// a character that would not fit whole (a pair of UTF-16 units).
TEST(UnicodeTest, TheNotificationShowsThemCutAtAWholeCharacter) {
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    Win32Tray tray;
    TrayRecord icon{kTrayRecordSize,
                    reinterpret_cast<std::uintptr_t>(host),
                    1,
                    kNifMessage | kNifIcon | kNifTip,
                    kWmMouseMove,
                    reinterpret_cast<std::uintptr_t>(LoadIconW(nullptr, MAKEINTRESOURCEW(32512)))};
    std::copy_n("Wendrel", 8, icon.szTip);
    ASSERT_TRUE(tray.NotifyIcon(TrayMessage::Add, icon));
    const std::string shown = kRussian + " " + kPolish;               // 26 UTF-16 units
    const std::string kept = shown + std::string(255 - 1 - 26, 'x');  // 254 units
    const std::string face = "\U0001F600";                            // two units, the 255th and 256th
    for (const auto& [text, expected] : {std::pair{shown, shown}, std::pair{kept + face, kept}}) {
        ASSERT_TRUE(tray.ShowNotification({reinterpret_cast<std::uintptr_t>(host), 1, kPolish, text}));
        // The balloon of this text once it shows (the last one's may still be there).
        driver::Balloon balloon;
        std::string seen;
        driver::WaitUntil([&] {
            seen.clear();
            for (const driver::Balloon& b : driver::ReadBalloons()) {
                seen += b.text + "\n";
                if (b.text.size() == expected.size()) balloon = b;
            }
            return balloon.window != nullptr;
        });
        EXPECT_EQ(balloon.text, expected) << "balloons seen:\n" << seen;
        if (!balloon.title.empty()) {  // Wine's tooltips do not tell it
            EXPECT_EQ(balloon.title, kPolish);
        }
    }
    tray.NotifyIcon(TrayMessage::Delete, icon);
    DestroyWindow(host);
}

TEST(UnicodeTest, TheStatusLineAndTheListShowThem) {
    MainWindowIn main(EnglishTexts());
    ASSERT_TRUE(main.window.Create(main.form));
    main.window.SetStatusLine(kRussian + " " + kPolish);
    main.window.AddRow(kPolish, 7);
    main.window.AddRow(kRussian, 5);
    EXPECT_EQ(driver::ControlText(main.window.Handle(), IDC_STATUSLINE), kRussian + " " + kPolish);
    EXPECT_EQ(driver::ReadListView(GetDlgItem(main.window.Handle(), IDC_LIST), 2),
              (std::vector<std::vector<std::string>>{{kPolish, "7"}, {kRussian, "5"}}));
}

// Captions longer than English (the test language's are about 40 % longer):
// the row's four buttons widen together, each caption fits, and the window
// grows with them; back in English, the layout is exactly English's again.
TEST(MainWindowLayout, ButtonsWidenTogetherForLongerCaptionsAndEnglishKeepsItsLayout) {
    const InvariantFormat format;
    Texts texts(format);
    MainWindowIn main(texts);
    ASSERT_TRUE(main.window.Create(main.form));
    HWND w = main.window.Handle();
    const int row[] = {IDC_OPTIONS, IDC_RESCAN, IDC_SORT, IDC_LAUNCH};
    const TwipScale scale(WindowDpi(w));
    const auto clientWidth = [&] {
        RECT client;
        GetClientRect(w, &client);
        return client.right;
    };
    std::vector<RECT> english;
    for (int id :
         {IDC_FRAME, IDC_LIST, IDC_STATUSLINE, IDC_OPTIONS, IDC_RESCAN, IDC_SORT, IDC_LAUNCH, IDC_HIDE, IDC_HISTORY})
        english.push_back(main.Box(id));
    for (int i = 0; i < 4; ++i) {
        const RECT box = main.Box(row[i]);
        EXPECT_EQ(box.left, scale.X(120 + i * (1305 + 105))) << i;
        EXPECT_EQ(box.right - box.left, scale.X(1305)) << i;
    }
    EXPECT_EQ(clientWidth(), scale.X(5775));
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_SORT)), "&Sort Missions");

    texts.Use(*FindLanguage("qps-ploc"));
    main.window.Retranslate();
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_SORT)), texts(Msg::MainSort));
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_STATUSLINE)), texts(Msg::MainNotScanned));  // no scan yet: the window's own
    const HFONT font = DialogFont(WindowDpi(w));
    const int width = main.Box(IDC_OPTIONS).right - main.Box(IDC_OPTIONS).left;
    EXPECT_GT(width, scale.X(1305));
    for (int id : {IDC_OPTIONS, IDC_RESCAN, IDC_SORT, IDC_LAUNCH, IDC_HIDE, IDC_HISTORY}) {
        const RECT box = main.Box(id);
        EXPECT_EQ(box.right - box.left, width) << id;
        EXPECT_LT(TextWidth(font, WindowText(GetDlgItem(w, id))), width) << WindowText(GetDlgItem(w, id));
    }
    const int grown = clientWidth() - scale.X(5775);
    EXPECT_GT(grown, 0);
    // The frame, the list and the status line widen as much as the window;
    // the row still ends at the frame's right edge (but for rounding: a twip
    // is less than a pixel, and the font's width factor rounds again).
    const int widened[] = {IDC_FRAME, IDC_LIST, IDC_STATUSLINE};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(main.Box(widened[i]).right - english[i].right, grown, 2) << i;
    EXPECT_NEAR(main.Box(IDC_LAUNCH).right, main.Box(IDC_FRAME).right, 2);

    main.window.SetStatusLine("said by the form");
    texts.Use(EnglishCatalogue());
    main.window.Retranslate();
    EXPECT_EQ(WindowText(GetDlgItem(w, IDC_STATUSLINE)), "said by the form");  // the form's to say again
    std::size_t i = 0;
    for (int id :
         {IDC_FRAME, IDC_LIST, IDC_STATUSLINE, IDC_OPTIONS, IDC_RESCAN, IDC_SORT, IDC_LAUNCH, IDC_HIDE, IDC_HISTORY}) {
        const RECT box = main.Box(id);
        EXPECT_TRUE(EqualRect(&english[i++], &box)) << id;
    }
    EXPECT_EQ(clientWidth(), scale.X(5775));
}

// The tray menu in the window's language, read while it is open (under
// Wine only the program's own process can read its menus).
TEST(MainWindowLayout, TheTrayMenuSpeaksTheLanguage) {
    const InvariantFormat format;
    const Texts texts(format, *FindLanguage("qps-ploc"));
    MainWindowIn main(texts);
    ASSERT_TRUE(main.window.Create(main.form));
    std::vector<std::string> items;
    std::thread reader([&items] {
        HWND menu = nullptr;
        driver::WaitUntil([&] { return (menu = driver::FindVisible("#32768", nullptr, GetCurrentProcessId())); });
        if (!menu) return;
        HMENU handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(handle); ++i) {
            wchar_t text[256] = {};
            GetMenuStringW(handle, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            items.push_back(driver::Narrow(text));
        }
        driver::CloseMenu(menu);
    });
    EXPECT_EQ(main.window.ShowPopupMenu(), MenuCommand::None);
    reader.join();
    const std::vector<std::string> expected = {texts(Msg::MenuLaunch), texts(Msg::MenuStatus), texts(Msg::MenuOptions),
                                               texts(Msg::MenuAbout), texts(Msg::MenuExit)};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(expected[0].rfind("[", 0), 0u) << "the test language's brackets";
}

}  // namespace
