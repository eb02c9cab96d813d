// The skin generator's own writers and its outline thresholding: what Qt
// reads back must be exactly what was written.

#include "skingen/Files.h"
#include "skingen/Painting.h"

#include <QBuffer>
#include <QImageReader>
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

std::vector<QImage> readAll(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    std::vector<QImage> images;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        reader.jumpToImage(i);
        images.push_back(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

} // namespace

TEST(GifWriter, QtReadsBackEveryPixel) {
    for (const QSize size : {QSize(48, 48), QSize(37, 29)}) {
        const QImage source = allIndices(size.width(), size.height());
        const std::vector<QImage> read = readAll(GifFile(source), "gif");
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(read[0], source.convertToFormat(QImage::Format_ARGB32));
    }
}

// Qt takes a 24-bit icon image as opaque and ignores its mask, so only the
// 8-bit image (through its mask) and the 32-bit one (through its alpha) can
// show the desktop through.
TEST(IcoWriter, EachDepthKeepsItsColoursAndEightAndThirtyTwoBitsLetTheDesktopThrough) {
    QImage art(48, 48, QImage::Format_ARGB32); // left half see-through
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            art.setPixel(x, y, x < 24 ? qRgba(0, 0, 0, 0) : qRgb(10 * (y % 4), 90, 200));
    const std::vector<QImage> read = readAll(IcoFile({{art, 8}, {art, 24}, {art, 32}}), "ico");
    ASSERT_EQ(read.size(), 3u);
    for (const QImage& image : read) {
        const int depth = image.text("_q_icoOrigDepth").toInt();
        SCOPED_TRACE(std::to_string(depth) + "-bit image");
        ASSERT_EQ(image.size(), QSize(48, 48));
        EXPECT_EQ(image.pixel(30, 5), qRgb(10, 90, 200));
        EXPECT_EQ(image.pixel(30, 7), qRgb(30, 90, 200));
        EXPECT_EQ(qAlpha(image.pixel(3, 5)), depth == 24 ? 255 : 0);
    }
    // Few colours come through the 8-bit palette exactly.
    const QImage opaque = art.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Indexed(opaque, PopularColours(opaque, 256)).convertToFormat(QImage::Format_RGB32),
              opaque);
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
