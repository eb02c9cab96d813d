#include "common/ColourWord.h"
#include "common/Rounding.h"
#include "common/Twips.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quarn;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundToInt32(2.5), 2);
    EXPECT_EQ(roundToInt32(3.5), 4);
    EXPECT_EQ(roundToInt32(0.5), 0);
    EXPECT_EQ(roundToInt32(-0.5), 0);
    EXPECT_EQ(roundToInt32(-1.5), -2);
    EXPECT_EQ(roundToInt32(2.4999), 2);
    EXPECT_EQ(roundToInt32(2.5001), 3);
    EXPECT_EQ(roundToInt16(32766.5), 32766);
}

TEST(Rounding, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(roundToInt16(40000.0), std::numeric_limits<std::int16_t>::max());
    EXPECT_EQ(roundToInt16(-40000.0), std::numeric_limits<std::int16_t>::min());
    EXPECT_EQ(roundToInt32(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(roundToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ColourWord, KeepsRedInTheLowByte) {
    EXPECT_EQ(colourWord(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(colourWord(90, 150, 198), 0x00C6965Au);
    EXPECT_EQ(colourWordFromRgb(qRgb(88, 149, 193)), colourWord(88, 149, 193));
    EXPECT_EQ(colourWordFromRgb(qRgba(1, 2, 3, 0)), 0x030201u); // alpha is not a colour
    const QColor c = toQColor(0x00C6965A);
    EXPECT_EQ(c, QColor(90, 150, 198));
    EXPECT_EQ(colourWordFromQColor(c), 0x00C6965Au);
}

TEST(Twips, FifteenToThePixel) {
    EXPECT_EQ(twipsToPixels(3585), 239);
    EXPECT_EQ(twipsToPixels(7.5), 0);  // half a pixel rounds to even
    EXPECT_EQ(twipsToPixels(22.5), 2); // one and a half
    EXPECT_EQ(pixelsToTwips(244), 3660);
    EXPECT_EQ(toPixels(TwipsRect{120, 3000, 3615, 135}), QRect(8, 200, 241, 9));
    EXPECT_EQ(toTwips(QRect(8, 8, 239, 181)), (TwipsRect{120, 120, 3585, 2715}));
}
