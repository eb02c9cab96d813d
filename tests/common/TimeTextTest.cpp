#include "common/TimeText.h"
#include "common/FileTitles.h"

#include <gtest/gtest.h>

using namespace quarn;

TEST(TimeString, ShowsMinutesAndSecondsThenHours) {
    EXPECT_EQ(TimeString(0), "0:00");
    EXPECT_EQ(TimeString(65), "1:05");
    EXPECT_EQ(TimeString(3599), "59:59");
    EXPECT_EQ(TimeString(3600), "1:00:00");
    EXPECT_EQ(TimeString(3725), "1:02:05");
    EXPECT_EQ(TimeString(2147483647), "596523:14:07");
    EXPECT_EQ(TimeString(-65), "-1:05");
    EXPECT_EQ(TimeString(-2147483647 - 1), "-596523:14:07"); // no overflow at the very end
}

TEST(GetFileName, TakesTheTextAfterTheLastSeparator) {
    EXPECT_EQ(GetFileName("/home/ann/Media/clip.avi"), "clip.avi");
    EXPECT_EQ(GetFileName("/home/ann/Media/"), "");
    // Only "/" separates here; a backslash is part of a file's name.
    EXPECT_EQ(GetFileName("C:\\Media\\clip.avi"), "C:\\Media\\clip.avi");
}

TEST(SongTitle, DropsTheLastFourCharactersWhateverTheyAreAndAddsTheGap) {
    EXPECT_EQ(SongTitle("song.mp3"), "song    ");
    EXPECT_EQ(SongTitle("a.mp"), "    ");
    EXPECT_EQ(SongTitle("film.mpeg"), "film.    ");
    EXPECT_EQ(SongTitle("ab"), "ab    "); // too short to lose four: kept whole
}

TEST(MarqueeStep, MovesTheFirstCharacterToTheEnd) {
    EXPECT_EQ(MarqueeStep("clip    "), "lip    c");
    EXPECT_EQ(MarqueeStep("x"), "x");
    EXPECT_EQ(MarqueeStep(""), "");
    // A character outside the basic plane moves whole.
    EXPECT_EQ(MarqueeStep(QString::fromUtf8("\xF0\x9F\x8E\xB5 a")),
              QString::fromUtf8(" a\xF0\x9F\x8E\xB5"));
}

TEST(PlaybackReadout, ShowsPositionAndLengthOnceSomethingPlays) {
    EXPECT_EQ(PlaybackReadout(0.4, 65.2), (Readout{"0:00/1:05", 65, 0}));
    EXPECT_FALSE(PlaybackReadout(0, 65));
    EXPECT_FALSE(PlaybackReadout(-1, 65));
    // Whole seconds, halves to the even neighbour.
    EXPECT_EQ(PlaybackReadout(2.5, 10)->value, 2);
    EXPECT_EQ(PlaybackReadout(3.5, 10)->value, 4);
    // The value stays within the range: no length at all, or past the length.
    EXPECT_EQ(PlaybackReadout(7, 0), (Readout{"0:07/0:00", 0, 0}));
    EXPECT_EQ(PlaybackReadout(6.2, 5), (Readout{"0:05/0:05", 5, 5}));
    // Longer than nine hours: whole seconds beyond 16 bits.
    EXPECT_EQ(PlaybackReadout(9 * 3600 + 30 * 60, 10 * 3600 + 0.2),
              (Readout{"9:30:00/10:00:00", 36000, 34200}));
}

TEST(TimeStringFor, AFileOfAnHourOrMoreShowsEveryTimeWithHours) {
    const struct {
        int seconds, length;
        const char* shown;
    } cases[] = {{0, 59, "0:00"},         {59, 3599, "0:59"},      {3599, 3599, "59:59"},
                 {0, 3600, "0:00:00"},    {307, 7200, "0:05:07"},  {3599, 3600, "0:59:59"},
                 {3725, 7200, "1:02:05"}, {-65, 7200, "-0:01:05"}, {3725, 0, "1:02:05"}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimeStringFor(c.seconds, c.length), c.shown) << c.seconds << " " << c.length;
    }
    EXPECT_EQ(ReadoutAt(307, 7200).caption, "0:05:07/2:00:00");
    EXPECT_EQ(ReadoutAt(307, 3599).caption, "5:07/59:59");
}
