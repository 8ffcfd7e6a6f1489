// The tray icon and the main window.
#include "MonitorFixture.h"

namespace {

TEST_F(MonitorFixture, QueryUnloadHidesUntilQuitting) {
    Start();
    view.visible = true;
    EXPECT_TRUE(form.Form_QueryUnload());
    EXPECT_FALSE(view.visible);
    for (const auto& [message, record] : tray.calls) EXPECT_NE(message, TrayMessage::Delete);

    app.Quitting = true;
    tray.Clear();
    EXPECT_FALSE(form.Form_QueryUnload());
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].first, TrayMessage::Delete);
    EXPECT_EQ(tray.calls[0].second.cbSize, kTrayRecordSize);
    EXPECT_EQ(tray.calls[0].second.hWnd, FakeMainView::kTrayWindow);
    EXPECT_EQ(tray.calls[0].second.uID, 1u);
}

TEST_F(MonitorFixture, TrayClicks) {
    Start();
    view.visible = false;
    // Mouse messages, and the notification's shown, hidden and timed-out messages.
    for (int message : {512, 513, 514, 516, 518, 519, 0x402, 0x403, 0x404}) form.tiFB_MouseMove(message);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.menusOpened, 0);
    form.tiFB_MouseMove(kWmLButtonDblClk);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.showNormalCalls, 1);
    form.tiFB_MouseMove(kWmLButtonDblClk);
    EXPECT_EQ(view.showNormalCalls, 2);
    form.btnHide_Click();
    EXPECT_FALSE(view.visible);
    view.menuAnswers = {MenuCommand::Status};
    form.tiFB_MouseMove(kWmRButtonUp);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.showNormalCalls, 2);  // the menu's Status leaves the window state alone
    form.btnHide_Click();
    form.tiFB_MouseMove(kNinBalloonUserClick);  // as the double-click
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.showNormalCalls, 3);
}

TEST_F(MonitorFixture, TrayClicksDuringAMenuCommandDoNothing) {
    Start();
    view.visible = false;
    view.menuAnswers = {MenuCommand::About};
    view.duringMenu = [&] {
        form.tiFB_MouseMove(kWmLButtonDblClk);
        form.tiFB_MouseMove(kWmRButtonUp);
    };
    form.tiFB_MouseMove(kWmRButtonUp);
    EXPECT_EQ(view.menusOpened, 1);
    EXPECT_FALSE(view.visible);
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_EQ(msgBox.shown[0].text, std::string("Wendrel V") + WENDREL_VERSION + "\r\n\r\nhttp://www.orvane.example");
    EXPECT_EQ(msgBox.shown[0].title, WENDREL_PUBLISHER);
    EXPECT_EQ(msgBox.shown[0].style, kMbIconInformation);
    view.duringMenu = nullptr;
    form.tiFB_MouseMove(kWmLButtonDblClk);  // the busy flag is clear again
    EXPECT_TRUE(view.visible);
}

TEST_F(MonitorFixture, TaskbarRestartAddsTheIconAsItIsShown) {
    Players(5);
    Start();  // alarm phase: the high icon
    tray.Clear();
    form.OnTaskbarCreated();
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].first, TrayMessage::Add);
    EXPECT_EQ(tray.calls[0].second.hIcon, FakeMainView::kHighIcon);
}

}  // namespace
