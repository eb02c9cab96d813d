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

// Left half see-through, right half a few opaque colours.
QImage halfCovered() {
    QImage art(48, 48, QImage::Format_ARGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            art.setPixel(x, y, x < 24 ? qRgba(0, 0, 0, 0) : qRgb(10 * (y % 4), 90, 200));
    return art;
}

} // namespace

TEST(GifWriter, QtReadsBackEveryPixel) {
    for (const QSize size : {QSize(48, 48), QSize(37, 29)}) {
        const QImage source = allIndices(size.width(), size.height());
        const std::vector<QImage> read = readAll(GifFile(source), "gif");
        ASSERT_EQ(read.size(), 1u);
        ASSERT_EQ(read[0].size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_EQ(read[0].pixel(x, y), source.pixel(x, y)) << x << "," << y;
    }
}

TEST(IcoWriter, EachDepthKeepsItsColours) {
    const QImage art = halfCovered();
    const std::vector<QImage> read = readAll(IcoFile({{art, 8}, {art, 24}, {art, 32}}), "ico");
    ASSERT_EQ(read.size(), 3u);
    for (const QImage& image : read) {
        SCOPED_TRACE(image.text("_q_icoOrigDepth").toStdString() + "-bit image");
        ASSERT_EQ(image.size(), QSize(48, 48));
        EXPECT_EQ(image.pixel(30, 5), qRgb(10, 90, 200));
        EXPECT_EQ(image.pixel(30, 7), qRgb(30, 90, 200));
    }
}

// Qt takes a 24-bit icon image as opaque and ignores its mask, so only the
// 8-bit image (through its mask) and the 32-bit one (through its alpha) can
// show the desktop through.
TEST(IcoWriter, EightAndThirtyTwoBitImagesLetTheDesktopThrough) {
    const QImage art = halfCovered();
    const std::vector<QImage> read = readAll(IcoFile({{art, 8}, {art, 32}}), "ico");
    ASSERT_EQ(read.size(), 2u);
    for (const QImage& image : read) {
        EXPECT_EQ(qAlpha(image.pixel(3, 5)), 0);
        EXPECT_EQ(qAlpha(image.pixel(30, 5)), 255);
    }
}

TEST(Palette, FewColoursAreKeptExactly) {
    const QImage art = halfCovered().convertToFormat(QImage::Format_RGB32);
    const QImage eightBit = Indexed(art, PopularColours(art, 256));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            ASSERT_EQ(eightBit.pixel(x, y), art.pixel(x, y));
}

TEST(KeyedOutline, LessThanHalfCoveredPixelsBecomeTheKey) {
    QImage art(3, 1, QImage::Format_ARGB32_Premultiplied);
    art.setPixel(0, 0, qPremultiply(qRgba(200, 200, 200, 127)));
    art.setPixel(1, 0, qPremultiply(qRgba(200, 200, 200, 128)));
    art.setPixel(2, 0, qRgba(0, 0, 0, 0));
    const QImage out = Keyed(art, qRgb(255, 0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_NE(out.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(2, 0), qRgb(255, 0, 0));
}

TEST(KeyedOutline, EdgePixelsAreLaidOverTheBackingNotTheKey) {
    QImage art(1, 1, QImage::Format_ARGB32_Premultiplied);
    art.setPixel(0, 0, qPremultiply(qRgba(255, 255, 255, 153)));
    // 60 % white over black: no trace of the white key around the outline.
    EXPECT_EQ(Keyed(art, qRgb(255, 255, 255), qRgb(0, 0, 0)).pixel(0, 0), qRgb(153, 153, 153));
}

TEST(KeyedOutline, ArtInTheKeyColourStaysOpaque) {
    QImage art(1, 1, QImage::Format_ARGB32_Premultiplied);
    art.setPixel(0, 0, qRgb(255, 255, 255));
    const QRgb kept = Keyed(art, qRgb(255, 255, 255), qRgb(0, 0, 0)).pixel(0, 0);
    EXPECT_NE(kept, qRgb(255, 255, 255));
    EXPECT_GE(qRed(kept), 250);
}
