#include "engine/Timeline.h"

#include <gtest/gtest.h>

using namespace quarn;

TEST(Timeline, ALeapOfTheTimestampsNobodyAskedForDoesNotMoveTheTimeShown) {
    Timeline line;
    line.Start();
    EXPECT_DOUBLE_EQ(line.Position(0.5), 0.5);
    EXPECT_DOUBLE_EQ(line.Position(59'443.0), 0.5); // a damaged stream leaps hours ahead
    EXPECT_DOUBLE_EQ(line.Position(59'444.0), 1.5);
    EXPECT_DOUBLE_EQ(line.Length(59'500.0), 57.5);     // the length moves with it
    EXPECT_DOUBLE_EQ(line.EngineTime(10.0), 59'452.5); // and seeks go where the time shown says

    line.Start(30.0); // taken up again at 0:30
    EXPECT_DOUBLE_EQ(line.Position(30.2), 30.2);
    EXPECT_DOUBLE_EQ(line.Position(-3.0), 30.2); // timestamps that wrap round
    EXPECT_DOUBLE_EQ(line.Position(-2.0), 31.2);
}

TEST(Timeline, ALengthIsShownUnlessItIsNoNumberAYearOrMoreOrMoreThanItsFileCouldFill) {
    Timeline line;
    line.Start();
    for (const double length : {0.5, 4'200.0, Timeline::kLongest - 1}) {
        EXPECT_DOUBLE_EQ(line.Length(length), length);
    }
    for (const double length :
         {-1.0, Timeline::kLongest, 1e12, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_DOUBLE_EQ(line.Length(length), 0.0) << length;
    }
    // Longer than its file could fill: the corpus and film desktop tests.
}
