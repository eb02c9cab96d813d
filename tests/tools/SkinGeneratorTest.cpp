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

// The committed files that the generator draws: everything but the intro
// sound (made by tools/make-intro) and the build file.
QStringList drawnFiles() {
    return filesUnder(committedDir).filter(QRegularExpression("^(?!intro\\.mp3|skins\\.cmake)"));
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

TEST(SkinGenerator, DrawsTheCommittedFiles) {
    QTemporaryDir output;
    QProcess generator;
    generator.start(QStringLiteral(QUARN_SKINGEN_PATH), {output.path()});
    ASSERT_TRUE(generator.waitForFinished(60000) &&
                generator.exitStatus() == QProcess::NormalExit && generator.exitCode() == 0);
    EXPECT_EQ(filesUnder(output.path()), drawnFiles());
    for (const QString& name : drawnFiles()) {
        SCOPED_TRACE(name.toStdString() +
                     ": run the regenerate-skins target and commit the result");
        const QByteArray drawn = bytesOf(output.filePath(name));
        const QByteArray expected = bytesOf(committedDir + "/" + name);
        ASSERT_FALSE(drawn.isEmpty());
        if (drawn == expected)
            continue;
        EXPECT_FALSE(shaped.match(name).hasMatch()) << "a skin the windows are cut from differs";
        const std::vector<QImage> a = imagesIn(drawn), b = imagesIn(expected);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_TRUE(sameWithinRounding(a[i], b[i])) << "image " << i;
    }
}

} // namespace
