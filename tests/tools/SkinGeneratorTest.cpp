// The skin generator must still draw the committed pictures, and the pictures
// must keep what the windows rely on: sizes, key colours, the file formats the
// program reads. The skins the windows are cut from must match to the byte;
// other pictures (icons, the tile, the splash) are drawn with antialiasing and
// smooth scaling, which round a level differently on other processors, so they
// match within two levels a channel with every pixel's see-through-ness kept.

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
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

QImage committed(const QString& name) {
    return QImage(committedDir + "/" + name);
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

// A key-coloured pixel that cannot reach the picture's edge through other
// key-coloured pixels would cut a pinhole into the window.
int enclosedKeyPixels(const QImage& image) {
    const QRgb key = image.pixel(0, 0);
    QImage reached(image.size(), QImage::Format_Mono);
    reached.fill(0);
    std::vector<QPoint> open;
    for (int x = 0; x < image.width(); ++x)
        open.insert(open.end(), {{x, 0}, {x, image.height() - 1}});
    for (int y = 0; y < image.height(); ++y)
        open.insert(open.end(), {{0, y}, {image.width() - 1, y}});
    int enclosed = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            enclosed += image.pixel(x, y) == key;
    while (!open.empty()) {
        const QPoint p = open.back();
        open.pop_back();
        if (!image.valid(p) || reached.pixelIndex(p) == 1 || image.pixel(p) != key)
            continue;
        reached.setPixel(p, 1);
        --enclosed;
        open.insert(open.end(),
                    {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    return enclosed;
}

TEST(SkinPictures, HaveTheSizesAndKeyColoursTheWindowsAreBuiltAroundAndNoPinholes) {
    const std::pair<const char*, QSize> sizes[] = {
        {"toolbar.png", {244, 46}},
        {"songname.png", {244, 39}},
        {"play.png|pause.png|stop.png|open.png|effects.png|exit.png", {17, 21}},
        {"playlist-top.png", {244, 24}},
        {"playlist-middle.png", {244, 16}},
        {"playlist-bottom.png", {244, 28}},
        {"overlay-left.png|overlay-right.png", {48, 44}},
        {"overlay-middle.png", {8, 44}},
        {"tile.png", {256, 299}},
        {"splash.jpg", {427, 416}},
        {"about.png", {358, 402}},
        {"about-picture1.png|quarn 1.bmp|quarn 2.bmp|quarn 3.bmp|quarn 4.bmp", {106, 144}},
        {"about-picture2.png", {194, 81}},
        {"cmdlg.gif|dlgs.gif", {48, 48}},
    };
    for (const auto& [names, size] : sizes)
        for (const QString& name : QString::fromLatin1(names).split(u'|'))
            EXPECT_EQ(committed(name).size(), size) << name.toStdString();
    // Shaped pictures: the toolbar is keyed white, the rest red; the About
    // animation's frames by the key of the picture they replace.
    const QRgb animationKey = committed("about-picture1.png").pixel(0, 0);
    for (const QString& name : drawnFiles().filter(shaped)) {
        const QRgb key = name == "toolbar.png"       ? qRgb(255, 255, 255)
                         : name.startsWith("quarn ") ? animationKey
                                                     : qRgb(255, 0, 0);
        const QImage picture = committed(name);
        EXPECT_TRUE(name.startsWith("about-picture") || picture.pixel(0, 0) == key)
            << name.toStdString();
        EXPECT_EQ(enclosedKeyPixels(picture), 0) << name.toStdString();
    }
}

// The playlist and the full-screen controls bar stretch by repeating their
// middle slice: laid out with three of them, every line from the first
// slice's last to the last slice's first is the same, and the area the window
// draws over is one dark colour exactly where the window code expects it.
TEST(SkinPictures, StretchingSkinsJoinWithoutSeamsAroundOneFlatDarkArea) {
    const struct {
        const char* parts;
        bool down;
        QRect flat;      // in the skin laid out with three middle slices
        bool flatBeside; // the colour also stops at the flat area's sides
    } skins[] = {{"playlist-top.png|playlist-middle.png|playlist-bottom.png", true,
                  QRect(9, 20, 226, 54), true},
                 {"overlay-left.png|overlay-middle.png|overlay-right.png", false,
                  QRect(30, 9, 60, 26), false}};
    for (const auto& skin : skins) {
        SCOPED_TRACE(skin.parts);
        const QStringList parts = QString::fromLatin1(skin.parts).split(u'|');
        const QImage first = committed(parts[0]), middle = committed(parts[1]),
                     last = committed(parts[2]);
        const auto length = [&](const QImage& image) {
            return skin.down ? image.height() : image.width();
        };
        const auto at = [&](int along) { return skin.down ? QPoint(0, along) : QPoint(along, 0); };
        const int from = length(first), step = length(middle), to = from + 3 * step;
        QImage whole(QRect(QPoint(), first.size()).united(QRect(at(to), last.size())).size(),
                     QImage::Format_RGB32);
        QPainter painter(&whole);
        for (int i = 0; i < 3; ++i)
            painter.drawImage(at(from + i * step), middle);
        painter.drawImage(0, 0, first);
        painter.drawImage(at(to), last);
        painter.end();
        const auto line = [&](int i) {
            return skin.down ? whole.copy(0, i, whole.width(), 1)
                             : whole.copy(i, 0, 1, whole.height());
        };
        for (int i = from; i <= to; ++i)
            EXPECT_TRUE(line(i) == line(from - 1)) << "line " << i;
        const QRgb colour = whole.pixel(skin.flat.topLeft());
        EXPECT_LT(std::max({qRed(colour), qGreen(colour), qBlue(colour)}), 40);
        int misplaced = 0;
        for (int y = skin.flat.top() - 1; y <= skin.flat.bottom() + 1; ++y)
            for (int x = skin.flat.left() - 1; x <= skin.flat.right() + 1; ++x) {
                const bool beside = x < skin.flat.left() || x > skin.flat.right();
                misplaced += skin.flat.contains(x, y)
                                 ? whole.pixel(x, y) != colour
                                 : whole.pixel(x, y) == colour && (skin.flatBeside || !beside);
            }
        EXPECT_EQ(misplaced, 0);
    }
}

// The program's icon holds 8-, 24- and 32-bit images of 48 pixels; the
// desktop's icon theme shows the same mark as its full-colour one.
TEST(SkinIcons, ProgramIconHoldsThreeDepthsAndTheDesktopIconIsItsFullColourImage) {
    QImageReader reader(committedDir + "/quarn.ico");
    QList<int> depths;
    QImage fullColour;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        EXPECT_EQ(image.size(), QSize(48, 48));
        depths << image.text("_q_icoOrigDepth").toInt();
        fullColour = image.convertToFormat(QImage::Format_ARGB32);
    }
    EXPECT_EQ(depths, (QList<int>{8, 24, 32}));
    EXPECT_TRUE(sameWithinRounding(
        committed("icons/quarn-media-player-48.png").convertToFormat(QImage::Format_ARGB32),
        fullColour));
}

// The pictures carried inside the program are the committed ones. (The intro
// and the About animation's frames beside it: the desktop tests play and show them.)
TEST(SkinResources, TheProgramCarriesTheCommittedPictures) {
    const QStringList carried = filesUnder(QStringLiteral(":/skins"));
    EXPECT_EQ(carried, drawnFiles().filter(QRegularExpression("^(?!icons/|quarn \\d)")));
    for (const QString& name : carried)
        EXPECT_TRUE(bytesOf(":/skins/" + name) == bytesOf(committedDir + "/" + name))
            << name.toStdString();
}

} // namespace
