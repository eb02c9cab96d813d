#include "common/Rounding.h"
#include "common/Twips.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quarn;

TEST(Rounding, HalvesGoToTheEvenNeighbourAndLargeNumbersSaturate) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-1.5), -2);
    EXPECT_EQ(RoundToInt32(2.4999), 2);
    EXPECT_EQ(RoundToInt32(2.5001), 3);
    EXPECT_EQ(RoundToInt16(32766.5), 32766);
    EXPECT_EQ(RoundToInt16(40000.0), std::numeric_limits<std::int16_t>::max());
    EXPECT_EQ(RoundToInt16(-40000.0), std::numeric_limits<std::int16_t>::min());
    EXPECT_EQ(RoundToInt32(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Twips, FifteenToThePixel) {
    EXPECT_EQ(TwipsToPixels(3585), 239);
    EXPECT_EQ(TwipsToPixels(7.5), 0);  // half a pixel rounds to even
    EXPECT_EQ(TwipsToPixels(22.5), 2); // one and a half
    EXPECT_EQ(PixelsToTwips(244), 3660);
    EXPECT_EQ(ToPixels(TwipsRect{120, 3000, 3615, 135}), QRect(8, 200, 241, 9));
    EXPECT_EQ(ToTwips(QRect(8, 8, 239, 181)), (TwipsRect{120, 120, 3585, 2715}));
}
