#include "windows/MeltStep.h"

#include <QRandomGenerator>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace quarn::melt;

namespace {

const float kJustUnderOne = std::nextafter(1.0f, 0.0f);

// Every pixel differs from its neighbours, so any misplaced pixel shows.
QImage noise(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(size.width());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
        }
    }
    return image;
}

// The block copied pixel by pixel out of an untouched picture: what a copy
// through a temporary gives.
QImage copiedThroughTemporary(const QImage& before, int x, int y, int dx, int dy) {
    QImage after = before.copy();
    for (int j = 0; j < kBlockSize; ++j) {
        for (int i = 0; i < kBlockSize; ++i) {
            const QPoint from(x + i, y + j);
            if (before.rect().contains(from) && before.rect().contains(from + QPoint(dx, dy))) {
                after.setPixel(from + QPoint(dx, dy), before.pixel(from));
            }
        }
    }
    return after;
}

} // namespace

TEST(MeltStepTest, DrawsGiveTheCornerAcrossTheScreenAndTheShiftRoundingHalvesToEven) {
    // 1920 x 1080: the corner lies in 0..1792 and 0..952; -0.5 and 0.5 give 0.
    EXPECT_EQ(MakeStep(1920, 1080, 0.0f, 0.0f, 0.0f, 0.0f), (Step{0, 0, -1, -1}));
    EXPECT_EQ(MakeStep(1920, 1080, 0.25f, 0.25f, 0.25f, 0.25f), (Step{448, 238, 0, 0}));
    EXPECT_EQ(MakeStep(1920, 1080, 0.5f, 0.5f, 0.5f, 0.5f), (Step{896, 476, 0, 0}));
    EXPECT_EQ(MakeStep(1920, 1080, 0.75f, 0.75f, 0.75f, 0.75f), (Step{1344, 714, 0, 0}));
    const float top = kJustUnderOne;
    EXPECT_EQ(MakeStep(1920, 1080, top, top, top, top), (Step{1792, 952, 1, 1}));
    // The draws are taken in the order x, y, dx, dy.
    EXPECT_EQ(MakeStep(1920, 1080, 0.5f, 0.0f, top, 0.0f), (Step{896, 0, 1, -1}));
    // Spans of 5 and 8 pixels: 2.5 gives 2, 3.5 gives 4.
    EXPECT_EQ(MakeStep(133, 136, 0.5f, 0.4375f, 0.5f, 0.5f), (Step{2, 4, 0, 0}));
}

TEST(MeltStepTest, TheProductIsRoundedExactlyNotAfterASinglePrecisionRounding) {
    // 32639 * r is 8620.50025...; in single precision it would be 8620.5 -> 8620.
    EXPECT_EQ(MakeStep(32767, 200, std::bit_cast<float>(1049049673u), 0, 0, 0).x, 8621);
}

TEST(MeltStepTest, OnAScreenSmallerThanTheBlockTheCornerFallsOutside) {
    EXPECT_EQ(MakeStep(100, 64, 0.5f, kJustUnderOne, 0.5f, 0.5f), (Step{-14, -64, 0, 0}));
}

TEST(MeltStepTest, OverManyDrawsCornersStayOnScreenAndShiftsHaveTheirOdds) {
    RandomSource random(12345);
    constexpr int kDraws = 400000;
    std::map<int, int> xs; // on a 132-pixel screen: 0..4, the ends half as often
    std::map<int, int> dx;
    std::map<int, int> dy;
    int still = 0;
    for (int i = 0; i < kDraws; ++i) {
        const Step step =
            MakeStep(1920, 1080, random.Next(), random.Next(), random.Next(), random.Next());
        ASSERT_TRUE(step.x >= 0 && step.x <= 1792 && step.y >= 0 && step.y <= 952);
        ++dx[step.dx];
        ++dy[step.dy];
        still += step.dx == 0 && step.dy == 0;
        ++xs[MakeStep(132, 132, random.Next(), 0, 0, 0).x];
    }
    const std::map<int, double> xOdds{{0, .125}, {1, .25}, {2, .25}, {3, .25}, {4, .125}};
    const std::map<int, double> shiftOdds{{-1, .25}, {0, .5}, {1, .25}};
    const auto expectOdds = [&](const std::map<int, int>& counts,
                                const std::map<int, double>& odds) {
        ASSERT_EQ(counts.size(), odds.size());
        for (const auto& [value, share] : odds) {
            EXPECT_NEAR(counts.at(value) / double(kDraws), share, 0.005) << value;
        }
    };
    expectOdds(xs, xOdds);
    expectOdds(dx, shiftOdds);
    expectOdds(dy, shiftOdds);
    EXPECT_NEAR(still / double(kDraws), 0.25, 0.005) << "dx and dy drawn independently";
}

TEST(MeltBlockCopyTest, OverlappingCopyEqualsACopyThroughATemporary) {
    const QImage before = noise({400, 300});
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            QImage image = before.copy();
            const QRect written = CopyBlock(image, 100, 80, dx, dy);
            EXPECT_EQ(image, copiedThroughTemporary(before, 100, 80, dx, dy)) << dx << "," << dy;
            EXPECT_EQ(written, dx == 0 && dy == 0
                                   ? QRect()
                                   : QRect(100 + dx, 80 + dy, kBlockSize, kBlockSize));
        }
    }
}

TEST(MeltBlockCopyTest, BlocksAtTheEdgesLoseWhatFallsOffTheSurface) {
    const QImage before = noise({300, 200});
    struct Case {
        int x, y, dx, dy;
        QRect written;
    };
    for (const Case& c :
         {Case{172, 10, 1, 0, {173, 10, 127, 128}}, // loses its last column
          Case{0, 50, -1, 1, {0, 51, 127, 128}},    // loses its first column
          Case{40, 0, 1, -1, {41, 0, 128, 127}}, Case{40, 72, -1, 1, {39, 73, 128, 127}}}) {
        QImage image = before.copy();
        EXPECT_EQ(CopyBlock(image, c.x, c.y, c.dx, c.dy), c.written) << c.x << "," << c.y;
        EXPECT_EQ(image, copiedThroughTemporary(before, c.x, c.y, c.dx, c.dy)) << c.x << "," << c.y;
    }
    // Nothing wraps round into the next row at the right edge.
    QImage image = before.copy();
    CopyBlock(image, 172, 10, 1, 0);
    EXPECT_EQ(image.pixel(299, 20), before.pixel(298, 20));
    EXPECT_EQ(image.pixel(0, 21), before.pixel(0, 21));
}

TEST(MeltBlockCopyTest, OnAPictureSmallerThanTheBlockOnlyTheOverlapIsCopied) {
    const QImage before = noise({100, 60});
    for (const auto& [x, y] : {std::pair{-14, -34}, std::pair{-28, 0}, std::pair{0, -68}}) {
        QImage image = before.copy();
        CopyBlock(image, x, y, 1, 1);
        EXPECT_EQ(image, copiedThroughTemporary(before, x, y, 1, 1)) << x << "," << y;
    }
}

TEST(MeltDirtyTilesTest, CoversEverythingMarkedClippedToTheSurfaceAndLittleElse) {
    DirtyTiles tiles(QSize(1000, 750)); // not a whole number of tiles
    const QRect a(101, 37, 128, 128);
    const QRect b(880, 630, 129, 129); // runs off the bottom right corner
    tiles.Mark(a);
    tiles.Mark(b);
    tiles.Mark(QRect(-50, -50, 20, 20)); // wholly outside
    const QRegion region = tiles.Take();
    EXPECT_TRUE(region.contains(a));
    EXPECT_TRUE(region.contains(b & QRect(0, 0, 1000, 750)));
    EXPECT_EQ(region.boundingRect(), QRect(96, 32, 1000 - 96, 750 - 32));
    EXPECT_FALSE(region.contains(QPoint(500, 400)));
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_TRUE(tiles.IsEmpty());
    EXPECT_TRUE(tiles.Take().isEmpty());

    tiles.Mark(QRect(0, 0, 1000, 750));
    EXPECT_EQ(tiles.Take(), QRegion(0, 0, 1000, 750)) << "rows with the same runs merge";
}

TEST(MeltKeysTest, OnlyKeysThatTypeACharacterEndTheEffect) {
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_A, QStringLiteral("a")));
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_5, QStringLiteral("5")));
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_Return, QStringLiteral("\r")));
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_Escape, QStringLiteral("\x1b")));
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_Escape, QString())); // however the platform spells it
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_Backspace, QStringLiteral("\b")));
    EXPECT_TRUE(KeyEndsMelt(Qt::Key_A, QStringLiteral("\x01"))); // Ctrl+A
    EXPECT_FALSE(KeyEndsMelt(Qt::Key_Delete, QStringLiteral("\x7f")));
    EXPECT_FALSE(KeyEndsMelt(Qt::Key_Left, QString()));
    EXPECT_FALSE(KeyEndsMelt(Qt::Key_F5, QString()));
    EXPECT_FALSE(KeyEndsMelt(Qt::Key_Shift, QString()));
}
