#include "player/MainWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

TEST(MainWindowTest, PaintsTheBackgroundFromTheTile) {
    MainWindow main;
    main.resize(300, 330); // more than one tile in each direction
    const QImage shot = main.grab().toImage();
    const QImage tile = loadPicture(QStringLiteral(":/skins/tile.png"));
    ASSERT_EQ(tile.size(), QSize(256, 299));
    EXPECT_EQ(shot.pixel(1, 1), tile.pixel(1, 1));
    EXPECT_EQ(shot.pixel(256 + 3, 4), tile.pixel(3, 4));
    EXPECT_EQ(shot.pixel(5, 299 + 6), tile.pixel(5, 6));
}

TEST(MainWindowTest, FitsAroundEachVideoAndShrinksBackAtTheEnd) {
    MainWindow main;
    main.move(50, 60);
    EXPECT_EQ(main.size(), QSize(252, 214)); // around the display at its design size
    main.ShowVideo(QSize(320, 240));
    EXPECT_EQ(main.size(), QSize(333, 273));
    main.ShowVideo(QSize()); // sound only: as it was
    EXPECT_EQ(main.size(), QSize(333, 273));
    auto* seekBar = main.findChild<QWidget*>(QStringLiteral("HScroll1"));
    EXPECT_EQ(seekBar->geometry(), QRect(8, 253, 320, 9));
    main.ShowOpened();
    EXPECT_TRUE(main.SeekBarEnabled());
    main.ShowEnded();
    EXPECT_FALSE(main.SeekBarEnabled());
    EXPECT_FALSE(main.DisplayShown());
    EXPECT_EQ(main.size(), QSize(252, 214));
    EXPECT_EQ(seekBar->geometry(), QRect(8, 194, 239, 9));

    // Maximised it keeps its size; back in the normal state it fits again.
    main.show();
    main.setWindowState(Qt::WindowMaximized);
    main.ShowVideo(QSize(100, 80));
    main.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.size() == QSize(113, 113); }, 2000))
        << main.width() << "x" << main.height();
}

TEST(MainWindowTest, GrownForAVideoTheGroupStaysOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    MainWindow main;
    main.move(screen.right() - 300, screen.bottom() - 250);
    main.ShowVideo(QSize(400, 300));
    EXPECT_LE(main.geometry().right(), screen.right());
    // Room below it for the toolbar: 2 pixels and 46.
    EXPECT_LE(main.geometry().bottom() + 2 + 46, screen.bottom() + 1);
}

TEST(MainWindowTest, TheSeekBarFollowsThePositionButNotUnderTheUsersHand) {
    MainWindow main;
    main.ShowOpened();
    main.ShowReadout({QStringLiteral("0:10/1:00"), 60, 10});
    EXPECT_EQ(main.SeekBarValue(), 10);
    auto* seekBar = main.findChild<QScrollBar*>(QStringLiteral("HScroll1"));
    seekBar->setSliderDown(true);
    main.ShowReadout({QStringLiteral("0:11/1:00"), 60, 11});
    EXPECT_EQ(main.SeekBarValue(), 10);
    QSignalSpy seeks(&main, &MainWindow::seekRequested);
    seekBar->setSliderPosition(40); // the user drags the thumb
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_EQ(seeks.at(0).at(0).toInt(), 40);
}

TEST(MainWindowTest, DraggingTheMarginMovesTheWindowButTheVideoDoesNot) {
    MainWindow main;
    main.move(200, 200);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    auto* video = main.findChild<QWidget*>(QStringLiteral("TheShow"));
    QTest::mousePress(video, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(video, QPoint(80, 80));
    QTest::mouseRelease(video, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(main.pos(), QPoint(200, 200));
    QTest::mousePress(&main, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseMove(&main, QPoint(23, 13));
    QTest::mouseRelease(&main, Qt::RightButton, {}, QPoint(23, 13));
    EXPECT_EQ(main.pos(), QPoint(220, 210));
}

TEST(MainWindowTest, SetSpeedTakesThousandthsAndIgnoresNonPositiveValues) {
    MainWindow main;
    QSignalSpy speeds(&main, &MainWindow::speedRequested);
    main.SetSpeed(1500);
    main.SetSpeed(0);
    main.SetSpeed(-200);
    ASSERT_EQ(speeds.count(), 1);
    EXPECT_DOUBLE_EQ(speeds.at(0).at(0).toDouble(), 1.5);
}
