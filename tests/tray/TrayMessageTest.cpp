#include "player/FrmMain.h"
#include "splash/Splash.h"
#include "support/WindowsFixture.h"
#include "tray/MyTrayMod.h"

#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

class TrayMessageTest : public test::WindowsFixture {
protected:
    void SetUp() override {
        WindowsFixture::SetUp();
        frmMain().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frmMain()));
        frmMain().move(10, 20);
    }

    QPoint centred() {
        QWidget probe;
        probe.resize(frmMain().size());
        frmMain().CenterForm(probe);
        return probe.pos();
    }

    // Sends one mouse message over the icon, as the toolkit reports it.
    std::int32_t iconMessage(QSystemTrayIcon::ActivationReason reason) {
        return TrayWndProc(tray::kCallbackMessage, 1, tray::MessageFor(reason));
    }
};

} // namespace

TEST_F(TrayMessageTest, ALeftPressCentresTheMainWindow) {
    EXPECT_EQ(iconMessage(QSystemTrayIcon::Trigger), 1);
    EXPECT_EQ(frmMain().pos(), centred());
}

TEST_F(TrayMessageTest, ALeftPressRestoresAMinimisedWindowButKeepsAMaximisedOne) {
    frmMain().setWindowState(Qt::WindowMinimized);
    iconMessage(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(frmMain().isMinimized());
    frmMain().setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
    iconMessage(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(frmMain().isMinimized());
    EXPECT_TRUE(frmMain().windowState() & Qt::WindowMaximized);
}

TEST_F(TrayMessageTest, EveryOtherMouseMessageDoesNothing) {
    for (std::int32_t message :
         {tray::kMouseMove, tray::kLeftButtonUp, tray::kLeftButtonDoubleClick,
          tray::kRightButtonDown, tray::kRightButtonUp, tray::kMiddleButtonDown}) {
        EXPECT_EQ(TrayWndProc(tray::kCallbackMessage, 1, message), 1) << message;
        EXPECT_EQ(frmMain().pos(), QPoint(10, 20)) << message;
    }
}

TEST_F(TrayMessageTest, ADoubleClickActsOnceThroughItsFirstPress) {
    // The toolkit reports a double click as a press, then the double click.
    iconMessage(QSystemTrayIcon::Trigger);
    EXPECT_EQ(frmMain().pos(), centred());
    frmMain().move(10, 20);
    iconMessage(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(frmMain().pos(), QPoint(10, 20));
}

TEST_F(TrayMessageTest, ARightClickIsNoMenu) {
    iconMessage(QSystemTrayIcon::Context);
    ASSERT_NE(TrayIcon(), nullptr);
    EXPECT_EQ(TrayIcon()->contextMenu(), nullptr);
    EXPECT_EQ(frmMain().pos(), QPoint(10, 20));
}

TEST_F(TrayMessageTest, OtherMessagesAreNotTheIconsBusiness) {
    EXPECT_EQ(TrayWndProc(0x0F, 0, 0), 0);
    EXPECT_EQ(TrayWndProc(0x400, 1, tray::kLeftButtonDown), 0);
    EXPECT_EQ(frmMain().pos(), QPoint(10, 20));
}

TEST_F(TrayMessageTest, RemovingTheIconTakesItAway) {
    ASSERT_NE(TrayIcon(), nullptr);
    RemoveTrayIcon(splash());
    EXPECT_EQ(TrayIcon(), nullptr);
}
