#include "windows/MeltStep.h"

#include <QRandomGenerator>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>

using namespace quarn::melt;

namespace {

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

// On 1920 x 1080 the corner lies in 0..1792 and 0..952, drawn in the order x,
// y, dx, dy; -0.5 and 0.5 give a shift of 0. Spans of 5 and 8 pixels: 2.5
// gives 2, 3.5 gives 4. On a screen smaller than the block the corner falls
// outside. 32639 * r is 8620.50025..., in single precision 8620.5 -> 8620.
TEST(MeltStepTest, DrawsGiveTheCornerAcrossTheScreenAndTheRoundingHalvesToEvenExactly) {
    const float top = std::nextafter(1.0f, 0.0f);
    const float exact = std::bit_cast<float>(1049049673u);
    const struct {
        std::int16_t width, height;
        float r1, r2, r3, r4;
        Step step;
    } cases[] = {{1920, 1080, 0, 0, 0, 0, {0, 0, -1, -1}},
                 {1920, 1080, .25f, .25f, .25f, .25f, {448, 238, 0, 0}},
                 {1920, 1080, .75f, .75f, .75f, .75f, {1344, 714, 0, 0}},
                 {1920, 1080, top, top, top, top, {1792, 952, 1, 1}},
                 {1920, 1080, .5f, 0, top, 0, {896, 0, 1, -1}},
                 {133, 136, .5f, .4375f, .5f, .5f, {2, 4, 0, 0}},
                 {100, 64, .5f, top, .5f, .5f, {-14, -64, 0, 0}},
                 {32767, 200, exact, 0, .5f, .5f, {8621, 0, 0, 0}}};
    for (const auto& c : cases) {
        EXPECT_EQ(MakeStep(c.width, c.height, c.r1, c.r2, c.r3, c.r4), c.step)
            << c.width << " " << c.r1 << " " << c.r2;
    }
}

TEST(MeltBlockCopyTest, ACopyEqualsOneThroughATemporaryAndLosesWhatFallsOffThePicture) {
    struct Case {
        QSize size;
        int x, y, dx, dy;
        QRect written;
    };
    std::vector<Case> cases = {
        {{300, 200}, 172, 10, 1, 0, {173, 10, 127, 128}}, // loses its last column
        {{300, 200}, 0, 50, -1, 1, {0, 51, 127, 128}},    // loses its first column
        {{300, 200}, 40, 0, 1, -1, {41, 0, 128, 127}},
        {{300, 200}, 40, 72, -1, 1, {39, 73, 128, 127}},
        // On a picture smaller than the block only the overlap is copied.
        {{100, 60}, -14, -34, 1, 1, {1, 1, 99, 59}},
        {{100, 60}, -28, 0, 1, 1, {1, 1, 99, 59}},
        {{100, 60}, 0, -68, 1, 1, {1, 1, 99, 59}},
    };
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) { // overlapping, in every direction
            const QRect written = dx == 0 && dy == 0 ? QRect() : QRect(60 + dx, 30 + dy, 128, 128);
            cases.push_back({{300, 200}, 60, 30, dx, dy, written});
        }
    }
    for (const Case& c : cases) {
        const QImage before = noise(c.size);
        QImage image = before.copy();
        EXPECT_EQ(CopyBlock(image, c.x, c.y, c.dx, c.dy), c.written) << c.x << "," << c.y;
        EXPECT_EQ(image, copiedThroughTemporary(before, c.x, c.y, c.dx, c.dy))
            << c.x << "," << c.y << " by " << c.dx << "," << c.dy;
    }
}

TEST(MeltKeysTest, OnlyKeysThatTypeACharacterEndTheEffect) {
    // Escape however the platform spells it; Ctrl+A; Delete brings a DEL along.
    const std::tuple<int, const char*, bool> keys[] = {
        {Qt::Key_A, "a", true},          {Qt::Key_5, "5", true},
        {Qt::Key_Space, " ", true},      {Qt::Key_Return, "\r", true},
        {Qt::Key_Escape, "\x1b", true},  {Qt::Key_Escape, "", true},
        {Qt::Key_Backspace, "\b", true}, {Qt::Key_A, "\x01", true},
        {Qt::Key_Delete, "\x7f", false}, {Qt::Key_Left, "", false},
        {Qt::Key_F5, "", false},         {Qt::Key_Shift, "", false}};
    for (const auto& [key, text, ends] : keys) {
        EXPECT_EQ(KeyEndsMelt(key, QString::fromLatin1(text)), ends) << std::hex << key;
    }
}
