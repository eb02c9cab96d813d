#include "common/Layout.h"

#include <gtest/gtest.h>

using namespace quarn;

// On a 1280 x 1024 screen (19200 x 15360 twips): the splash (6390 x 6240)
// centred across and slightly high; a window taller than most of the screen
// above its top.
TEST(Layout, WindowsAreCentredSlightlyHighAndVideosScaledDownToTheScreenWithTheirAspect) {
    const TwipsPoint splash = CenteredPosition(19200, 15360, 6390, 6240);
    EXPECT_DOUBLE_EQ(splash.left, 6405);
    EXPECT_DOUBLE_EQ(splash.top, 4176);
    EXPECT_DOUBLE_EQ(CenteredPosition(19200, 15360, 3000, 15000).top, -204);
    // Classic's frame takes 13 pixels of the width; it, the title strip and
    // the toolbar 121 of the height.
    const QSize screen(1280, 1024), around(13, 121);
    EXPECT_EQ(FitVideoToScreen({320, 240}, screen, around), QSize(320, 240));
    EXPECT_EQ(FitVideoToScreen({1920, 1080}, screen, around), QSize(1267, 712));
    EXPECT_EQ(FitVideoToScreen({1080, 1920}, screen, around), QSize(507, 903));
    EXPECT_EQ(FitVideoToScreen({0, 0}, screen, around), QSize(0, 0));
}

TEST(Layout, TheTileIsLaidColumnByColumnIncludingTheEndOfBothLoops) {
    EXPECT_EQ(TilePositions(3810, 3210, 3840, 4485), (std::vector<TwipsPoint>{{0, 0}}));
    // Exactly one tile wide: a second column starts at X = 3840, wholly outside.
    EXPECT_EQ(TilePositions(3840, 3210, 3840, 4485), (std::vector<TwipsPoint>{{0, 0}, {3840, 0}}));
    EXPECT_EQ(TilePositions(5000, 5000, 3840, 4485),
              (std::vector<TwipsPoint>{{0, 0}, {0, 4485}, {3840, 0}, {3840, 4485}}));
    EXPECT_TRUE(TilePositions(3810, 3210, 0, 4485).empty());
}

TEST(Layout, TheFrameGoesAroundTheDisplayAndCompanionsDockFromTheMainWindowsMiddle) {
    const MainWindowLayout around = MainWindowAround({320, 240}, {{8, 8}, {13, 33}, 8, 5, 9});
    EXPECT_EQ(around.size, QSize(333, 273));
    EXPECT_EQ(around.display, QRect(8, 8, 320, 240));
    EXPECT_EQ(around.seekBar, QRect(8, 253, 320, 9));
    // An odd width's middle is rounded down.
    EXPECT_EQ(CompanionPlace(QRect(400, 300, 253, 214), -123, 260), QPoint(403, 260));
    EXPECT_EQ(CompanionPlace(QRect(400, 300, 252, 214), -123, 516), QPoint(403, 516));
}

TEST(Layout, AGroupOutsideTheAreaMovesOnlyAsFarAsItMustToLieInsideIt) {
    const QRect area(0, 0, 1920, 1080);
    EXPECT_EQ(ShiftIntoArea(QRect(400, 200, 320, 270), area), QPoint(0, 0));
    // Past the bottom: up until the bottoms meet; past the right and the top.
    EXPECT_EQ(ShiftIntoArea(QRect(400, 900, 320, 270), area), QPoint(0, -90));
    EXPECT_EQ(ShiftIntoArea(QRect(1800, -20, 320, 270), area), QPoint(-200, 20));
    // Larger than the area: its top left corner on the area's.
    EXPECT_EQ(ShiftIntoArea(QRect(-300, -300, 2700, 1400), QRect(20, 30, 1920, 1080)),
              QPoint(320, 330));
}
