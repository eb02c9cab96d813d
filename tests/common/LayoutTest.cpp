#include "common/Layout.h"

#include <gtest/gtest.h>

using namespace quarn;

TEST(CenteredPosition, CentresAcrossAndSitsSlightlyHigh) {
    // 1280 x 1024 pixels is 19200 x 15360 twips; the splash is 6390 x 6240.
    const TwipsPoint at = CenteredPosition(19200, 15360, 6390, 6240);
    EXPECT_DOUBLE_EQ(at.left, (19200 - 6390) / 2.0);
    EXPECT_DOUBLE_EQ(at.top, 15360 * 0.95 / 2 - 6240 / 2.0);
}

TEST(CenteredPosition, GivesAWindowTallerThanMostOfTheScreenANegativeTop) {
    EXPECT_LT(CenteredPosition(19200, 15360, 3000, 15000).top, 0);
}

TEST(TilePositions, IncludesTheEndOfBothLoops) {
    // A window narrower than the tile gets one column and one row.
    auto tiles = TilePositions(3810, 3210, 3840, 4485);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0], (TwipsPoint{0, 0}));
    // Exactly one tile wide: a second column starts at X = 3840, wholly outside.
    tiles = TilePositions(3840, 3210, 3840, 4485);
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[1], (TwipsPoint{3840, 0}));
    // Column by column, top to bottom.
    tiles = TilePositions(5000, 5000, 3840, 4485);
    ASSERT_EQ(tiles.size(), 4u);
    EXPECT_EQ(tiles[1], (TwipsPoint{0, 4485}));
    EXPECT_EQ(tiles[2], (TwipsPoint{3840, 0}));
}

TEST(TilePositions, AZeroTileDrawsNothing) {
    EXPECT_TRUE(TilePositions(3810, 3210, 0, 4485).empty());
}

TEST(FitVideoToScreen, KeepsAVideoThatFits) {
    EXPECT_EQ(FitVideoToScreen({320, 240}, {1280, 1024}), QSize(320, 240));
}

TEST(FitVideoToScreen, ScalesABigVideoDownWithItsAspect) {
    // The title strip, the window's margins and the toolbar take 1820 twips
    // (121.33 pixels) of height and the margins 200 twips (13.33) of width.
    const QSize fitted = FitVideoToScreen({1920, 1080}, {1280, 1024});
    EXPECT_LE(fitted.width() + 200 / 15.0, 1280);
    EXPECT_NEAR(double(fitted.width()) / fitted.height(), 1920.0 / 1080.0, 0.01);
    const QSize tall = FitVideoToScreen({1080, 1920}, {1280, 1024});
    EXPECT_LE(tall.height() + 1820 / 15.0, 1024);
    EXPECT_NEAR(double(tall.width()) / tall.height(), 1080.0 / 1920.0, 0.01);
}

TEST(MainWindowAround, LeavesMarginsAroundTheDisplayWithTheSeekBarBelowIt) {
    const MainWindowLayout around = MainWindowAround(4800, 3600);
    EXPECT_EQ(around.width, 5000);
    EXPECT_EQ(around.height, 4100);
    EXPECT_EQ(around.seekBar, (TwipsRect{120, 3800, 4800, 135}));
}

TEST(Docks, TheCompanionsStandAboveAndBelowTheMainWindowsMiddle) {
    const TwipsRect main{6000, 4500, 3785, 3215};
    EXPECT_EQ(TitleStripDock(main), (TwipsPoint{6000 + 3785 / 2.0 - 1850, 4500 - 600}));
    EXPECT_EQ(ToolbarDock(main), (TwipsPoint{6000 + 3785 / 2.0 - 1850, 4500 + 3215 + 30}));
}

TEST(ShiftIntoArea, MovesOnlyAsFarAsItMustToLieInsideTheArea) {
    const QRect area(0, 0, 1920, 1080);
    EXPECT_EQ(ShiftIntoArea(QRect(400, 200, 320, 270), area), QPoint(0, 0));
    // Past the bottom: up until the bottoms meet; past the right and the top.
    EXPECT_EQ(ShiftIntoArea(QRect(400, 900, 320, 270), area), QPoint(0, -90));
    EXPECT_EQ(ShiftIntoArea(QRect(1800, -20, 320, 270), area), QPoint(-200, 20));
    // Larger than the area: its top left corner on the area's.
    EXPECT_EQ(ShiftIntoArea(QRect(-300, -300, 2700, 1400), QRect(20, 30, 1920, 1080)),
              QPoint(320, 330));
}
