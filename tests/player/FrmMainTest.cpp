#include "player/FrmMain.h"
#include "splash/Splash.h"
#include "support/WindowsFixture.h"
#include "toolbar/Toolbar.h"
#include "tray/MyTrayMod.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

using FrmMainTest = test::WindowsFixture;

TEST_F(FrmMainTest, LoadSetsTheSeekBarAndPutsTheTrayIconOnTheSplash) {
    FrmMain& main = frmMain();
    EXPECT_EQ(main.HScroll1().maximum(), 0);
    EXPECT_EQ(main.HScroll1().minimum(), 0);
    ASSERT_NE(TrayIcon(), nullptr);
    EXPECT_EQ(TrayIcon()->parent(), &splash());
    EXPECT_EQ(TrayIcon()->toolTip(), "Quarn Media Player");
    EXPECT_FALSE(main.isVisible());
}

TEST_F(FrmMainTest, PaintsTheBackgroundFromTheTile) {
    FrmMain& main = frmMain();
    main.resize(300, 330); // more than one tile in each direction
    const QImage shot = main.grab().toImage();
    const QImage& tile = main.Picture3().Picture();
    ASSERT_EQ(tile.size(), QSize(256, 299));
    EXPECT_EQ(shot.pixel(1, 1), tile.pixel(1, 1));
    EXPECT_EQ(shot.pixel(256 + 3, 4), tile.pixel(3, 4));
    EXPECT_EQ(shot.pixel(5, 299 + 6), tile.pixel(5, 6));
}

TEST_F(FrmMainTest, SetSpeedTakesThousandthsAndIgnoresNonPositiveValues) {
    frmMain().SetSpeed(1500);
    EXPECT_DOUBLE_EQ(theShow().speed, 1.5);
    frmMain().SetSpeed(0);
    frmMain().SetSpeed(-200);
    EXPECT_DOUBLE_EQ(theShow().speed, 1.5);
}

TEST_F(FrmMainTest, TheMonitorRestsWhenNothingChangesAndWakesForAMove) {
    FrmMain& main = frmMain();
    main.show();
    toolbar().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main.MonitorAwake(); }, 3000));
    toolbar().move(toolbar().pos() + QPoint(50, 50));
    EXPECT_TRUE(main.MonitorAwake());
    // Within a tick the toolbar is back in its place below the main window.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return toolbar().y() == main.y() + main.height() + 2; }, 1000));
}

TEST_F(FrmMainTest, TheMonitorStaysAwakeWhilePlayingHoweverSeldomThePositionMoves) {
    FrmMain& main = frmMain();
    main.show();
    theShow().SetFileName(QStringLiteral("/media/slow.mp4"));
    theShow().duration = 100;
    // Two pictures a second, and a second without any change.
    for (int i = 0; i < 100; ++i) {
        if (i % 33 == 0) {
            theShow().position += 0.5;
        }
        QTest::qWait(FrmMain::kTickMs);
        ASSERT_TRUE(main.MonitorAwake()) << i;
    }
    EXPECT_EQ(toolbar().Time().text(), "0:02/1:40");
    // Paused, it rests.
    theShow().Pause();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !main.MonitorAwake(); }, 3000));
}

TEST_F(FrmMainTest, DraggingTheMarginMovesTheWindowButTheVideoDoesNot) {
    FrmMain& main = frmMain();
    main.move(200, 200);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    QTest::mousePress(&main.TheShowDisplay(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(&main.TheShowDisplay(), QPoint(80, 80));
    QTest::mouseRelease(&main.TheShowDisplay(), Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(main.pos(), QPoint(200, 200));
    QTest::mousePress(&main, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseMove(&main, QPoint(23, 13));
    QTest::mouseRelease(&main, Qt::RightButton, {}, QPoint(23, 13));
    EXPECT_EQ(main.pos(), QPoint(220, 210));
}
