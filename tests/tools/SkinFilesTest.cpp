// The skin generator's GIF writer and its outline thresholding: what Qt
// reads back must be exactly what was written.

#include "skingen/Files.h"
#include "skingen/Painting.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace skingen;

namespace {

// Every index used, in a pattern that runs over many of the encoder's clear codes.
QImage allIndices(int width, int height) {
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, 255 - i, (i * 37) % 256));
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x * 7 + y * 13) % 256));
    return image;
}

} // namespace

TEST(GifWriter, QtReadsBackEveryPixel) {
    for (const QSize size : {QSize(48, 48), QSize(37, 29)}) {
        const QImage source = allIndices(size.width(), size.height());
        EXPECT_EQ(QImage::fromData(GifFile(source), "gif").convertToFormat(QImage::Format_ARGB32),
                  source.convertToFormat(QImage::Format_ARGB32));
    }
}

TEST(KeyedOutline, LessThanHalfCoveredPixelsBecomeTheKeyAndEdgesLieOverTheBacking) {
    QImage art(5, 1, QImage::Format_ARGB32_Premultiplied);
    art.setPixel(0, 0, qPremultiply(qRgba(200, 200, 200, 127)));
    art.setPixel(1, 0, qPremultiply(qRgba(200, 200, 200, 128)));
    art.setPixel(2, 0, qRgba(0, 0, 0, 0));
    art.setPixel(3, 0, qPremultiply(qRgba(255, 255, 255, 153)));
    art.setPixel(4, 0, qRgb(255, 255, 255));
    const QRgb white = qRgb(255, 255, 255);
    const QImage out = Keyed(art, white, qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(0, 0), white);
    EXPECT_NE(out.pixel(1, 0), white);
    EXPECT_EQ(out.pixel(2, 0), white);
    // 60 % white over black: no trace of the white key around the outline.
    EXPECT_EQ(out.pixel(3, 0), qRgb(153, 153, 153));
    // Art in the key colour stays opaque, a shade off the key.
    EXPECT_NE(out.pixel(4, 0), white);
    EXPECT_GE(qRed(out.pixel(4, 0)), 250);
}
