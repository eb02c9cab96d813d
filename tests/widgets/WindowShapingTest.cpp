#include "widgets/WindowShaping.h"
#include "widgets/PictureBox.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

// The outline scan done the slow, obvious way, pixel by pixel: the runs of
// pixels whose colour differs from the top-left pixel's.
std::vector<QRect> referenceScan(const QImage& image) {
    std::vector<QRect> runs;
    const QRgb key = image.pixel(0, 0) & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0, start = -1; x <= image.width(); ++x) {
            const bool opaque = x < image.width() && (image.pixel(x, y) & 0xFFFFFF) != key;
            if (opaque && start < 0) {
                start = x;
            } else if (!opaque && start >= 0) {
                runs.emplace_back(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    return runs;
}

QImage picture(int w, int h, QRgb fill, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, format);
    image.fill(fill);
    return image;
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(20, 40, 200);

} // namespace

TEST(SkinRuns, TheTopLeftPixelsColourToTheBitIsCutAndTheRunsMatchAPixelByPixelScan) {
    EXPECT_TRUE(SkinRuns(picture(17, 21, kRed)).empty());
    QImage oneBit = picture(3, 1, kRed);
    oneBit.setPixel(1, 0, qRgb(254, 0, 0));
    EXPECT_EQ(SkinRuns(oneBit), std::vector<QRect>{QRect(1, 0, 1, 1)});
    QImage withAlpha = picture(3, 1, kRed, QImage::Format_ARGB32);
    withAlpha.setPixel(1, 0, qRgba(255, 0, 0, 0)); // alpha is not part of the colour
    EXPECT_TRUE(SkinRuns(withAlpha).empty());

    QImage ragged = picture(97, 61, kRed);
    quint32 seed = 12345;
    for (int y = 0; y < ragged.height(); ++y) {
        for (int x = 0; x < ragged.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            if ((seed >> 28) < 9) {
                ragged.setPixel(x, y, qRgb(int(seed & 0xFF), int((seed >> 8) & 0xFF), 7));
            }
        }
    }
    ragged.setPixel(0, 0, kRed);
    EXPECT_EQ(SkinRuns(ragged), referenceScan(ragged));
    // A picture as loaded, in whatever format it comes.
    const QImage toolbar(":/skins/classic/toolbar.png");
    EXPECT_EQ(SkinRuns(toolbar), referenceScan(toolbar));
}

TEST(Shaping, AFormTakesThePicturesSizeAndOutlineAndLosesItWithNothingOpaque) {
    QImage skin = picture(30, 10, kRed);
    for (int x = 5; x < 25; ++x) {
        for (int y = 2; y < 8; ++y) {
            skin.setPixel(x, y, kBlue);
        }
    }
    QWidget window;
    window.resize(50, 50);
    PictureBox box(&window, "skin", {0, 0, 600, 600}, skin, true);
    ShapeForm(box, window);
    EXPECT_FALSE(box.HasBorder());
    EXPECT_EQ(box.size(), QSize(30, 10));
    EXPECT_EQ(window.size(), QSize(30, 10));
    EXPECT_TRUE((window.mask() ^ QRegion(5, 2, 20, 6)).isEmpty());
    // Nothing opaque: the window's old outline goes.
    box.SetPicture(picture(20, 20, kRed));
    ShapeForm(box, window);
    EXPECT_TRUE(window.mask().isEmpty());
    EXPECT_EQ(window.size(), QSize(20, 20));
}
