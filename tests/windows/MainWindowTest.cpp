#include "windows/MainWindow.h"

#include "support/ClassicSkin.h"
#include <QScrollBar>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace quarn;

TEST(MainWindowTest, AsksForTheSizeAroundEachVideoAndForTheDesignSizeAtTheEnd) {
    MainWindow main(test::ClassicSkin(), 1, [](const QString&) { return nullptr; });
    QSignalSpy sizes(&main, &MainWindow::SizeWanted);
    EXPECT_EQ(main.size(), QSize(252, 214)); // around the display at its design size
    main.ShowVideo(QSize(320, 240));
    ASSERT_EQ(sizes.count(), 1);
    EXPECT_EQ(sizes.last().at(0).toSize(), QSize(333, 273));
    main.ShowVideo(QSize()); // sound only: as it was
    EXPECT_EQ(sizes.count(), 1);
    auto* seekBar = main.findChild<QWidget*>("HScroll1");
    EXPECT_EQ(seekBar->geometry(), QRect(8, 253, 320, 9));
    main.ShowOpened();
    EXPECT_TRUE(main.SeekBarEnabled());
    main.ShowEnded();
    EXPECT_FALSE(main.SeekBarEnabled());
    EXPECT_FALSE(main.DisplayShown());
    EXPECT_EQ(sizes.last().at(0).toSize(), QSize(252, 214));
    EXPECT_EQ(seekBar->geometry(), QRect(8, 194, 239, 9));
}

TEST(MainWindowTest, TheSeekBarFollowsThePositionButNotUnderTheUsersHand) {
    MainWindow main(test::ClassicSkin(), 1, [](const QString&) { return nullptr; });
    main.ShowOpened();
    main.ShowReadout({"0:10/1:00", 60, 10});
    EXPECT_EQ(main.SeekBarValue(), 10);
    // The full-screen bar's time too, which a screen reader hears in words.
    EXPECT_EQ(main.Controls().Time(), "0:10 / 1:00");
    EXPECT_EQ(main.Controls().findChild<QLabel*>()->accessibleName(), "10 seconds of 1 minute");
    auto* seekBar = main.findChild<QScrollBar*>("HScroll1");
    seekBar->setSliderDown(true);
    main.ShowReadout({"0:11/1:00", 60, 11});
    EXPECT_EQ(main.SeekBarValue(), 10);
    QSignalSpy seeks(&main, &MainWindow::SeekRequested);
    seekBar->setSliderPosition(40); // the user drags the thumb
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_EQ(seeks.at(0).at(0).toInt(), 40);
}
