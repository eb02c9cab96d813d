// The skin generator must still draw the committed pictures. The skins the
// windows are cut from must match to the byte; other pictures (icons, the tile, the splash) are
// drawn with antialiasing and smooth scaling, which round a level differently on other processors,
// so they match within two levels a channel with every pixel's see-through-ness kept.

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const QString committedDir = QStringLiteral(QUARN_SKINS_DIR);

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file under a folder and its subfolders, relative to it, in order.
QStringList filesUnder(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

// The pictures the windows are cut from: their key colour decides the outline.
const QRegularExpression shaped("^(toolbar|songname|play|pause|stop|open|effects|exit|about-"
                                "picture.|quarn .|playlist-.*|overlay-.*)\\.(png|bmp)$");

// Every image in a picture file (an icon holds several), as 32-bit ARGB.
std::vector<QImage> imagesIn(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    std::vector<QImage> images;
    for (int i = 0; i < std::max(1, reader.imageCount()) && (i == 0 || reader.jumpToImage(i)); ++i)
        images.push_back(reader.read().convertToFormat(QImage::Format_ARGB32));
    return images;
}

// Whether the two pictures show the same thing: the same size, every channel
// within two levels, and no pixel turned see-through or opaque.
bool sameWithinRounding(const QImage& drawn, const QImage& expected) {
    if (drawn.size() != expected.size() || drawn.isNull())
        return false;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = expected.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > 2 || std::abs(qGreen(a) - qGreen(b)) > 2 ||
                std::abs(qBlue(a) - qBlue(b)) > 2 || std::abs(qAlpha(a) - qAlpha(b)) > 2 ||
                (qAlpha(a) == 0) != (qAlpha(b) == 0))
                return false;
        }
    return true;
}

// Whether a drawn file matches the committed one: a shaped skin to the byte,
// any other picture within rounding, image by image.
bool matches(const QString& name, const QByteArray& drawn, const QByteArray& expected) {
    if (drawn == expected)
        return true;
    return !shaped.match(name).hasMatch() &&
           std::ranges::equal(imagesIn(drawn), imagesIn(expected), sameWithinRounding);
}

TEST(SkinGenerator, DrawsTheCommittedFiles) {
    QTemporaryDir output;
    QProcess generator;
    generator.start(QStringLiteral(QUARN_SKINGEN_PATH), {output.path()});
    ASSERT_TRUE(generator.waitForFinished(60000) &&
                generator.exitStatus() == QProcess::NormalExit && generator.exitCode() == 0);
    // Every committed file but the intro sound (made by tools/make-intro) and the build file.
    const QStringList drawnFiles =
        filesUnder(committedDir).filter(QRegularExpression("^(?!intro\\.mp3|skins\\.cmake)"));
    EXPECT_EQ(filesUnder(output.path()), drawnFiles);
    for (const QString& name : drawnFiles) {
        const QByteArray drawn = bytesOf(output.filePath(name));
        EXPECT_TRUE(!drawn.isEmpty() && matches(name, drawn, bytesOf(committedDir + "/" + name)))
            << name.toStdString() << ": run the regenerate-skins target and commit the result";
    }
}

QByteArray pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(PictureComparison, ForgivesRoundingButCatchesAMovedRecolouredOrUncoveredMark) {
    const QString icon = "icons/quarn-media-player-48.png";
    const QByteArray expected = bytesOf(committedDir + "/" + icon);
    const QImage original = imagesIn(expected).at(0);
    QImage rounded = original, recoloured = original, uncovered = original;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) {
            const QRgb p = original.pixel(x, y);
            if (qAlpha(p) > 0 && qRed(p) < 255)
                rounded.setPixel(x, y, qRgba(qRed(p) + 1, qGreen(p), qBlue(p), qAlpha(p)));
            if (qAlpha(p) == 255)
                recoloured.setPixel(x, y, qRgba(qRed(p) ^ 0x40, qGreen(p), qBlue(p), 255));
        }
    ASSERT_EQ(qAlpha(original.pixel(0, 0)), 0);
    uncovered.setPixel(0, 0, qRgba(0, 0, 0, 1));
    ASSERT_NE(rounded, original);
    EXPECT_TRUE(matches(icon, pngOf(rounded), expected));
    EXPECT_FALSE(matches(icon, pngOf(recoloured), expected));
    EXPECT_FALSE(
        matches(icon, pngOf(original.copy(1, 0, original.width(), original.height())), expected));
    EXPECT_FALSE(matches(icon, pngOf(uncovered), expected));
    // The skins the windows are cut from allow no difference at all.
    const QByteArray skin = bytesOf(committedDir + "/play.png");
    QImage skinRounded = imagesIn(skin).at(0);
    skinRounded.setPixel(8, 10, skinRounded.pixel(8, 10) ^ 1);
    EXPECT_FALSE(matches("play.png", pngOf(skinRounded), skin));
}

} // namespace
