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
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <queue>
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
    QStringList names = filesUnder(committedDir);
    names.removeAll(QStringLiteral("intro.mp3"));
    names.removeAll(QStringLiteral("skins.cmake"));
    return names;
}

// The playlist's slices and the full-screen controls bar's, shaped like the rest.
const QStringList slicedSkins = {"playlist-top.png", "playlist-middle.png", "playlist-bottom.png",
                                 "overlay-left.png", "overlay-middle.png",  "overlay-right.png"};

const QStringList embeddedFiles =
    QStringList{"toolbar.png",        "songname.png", "play.png",
                "pause.png",          "stop.png",     "open.png",
                "effects.png",        "exit.png",     "tile.png",
                "splash.jpg",         "about.png",    "about-picture1.png",
                "about-picture2.png", "quarn.ico",    "menus.ico",
                "cmdlg.gif",          "dlgs.gif"} +
    slicedSkins;

const QStringList filesBesideProgram = {"intro.mp3", "quarn 1.bmp", "quarn 2.bmp", "quarn 3.bmp",
                                        "quarn 4.bmp"};

class SkinGenerator : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        output = std::make_unique<QTemporaryDir>();
        QProcess generator;
        generator.start(QStringLiteral(QUARN_SKINGEN_PATH), {output->path()});
        finished = generator.waitForFinished(60000) &&
                   generator.exitStatus() == QProcess::NormalExit && generator.exitCode() == 0;
    }
    static void TearDownTestSuite() { output.reset(); }

    static std::unique_ptr<QTemporaryDir> output;
    static bool finished;
};
std::unique_ptr<QTemporaryDir> SkinGenerator::output;
bool SkinGenerator::finished = false;

// The pictures the windows are cut from: their key colour decides the outline.
const QStringList shapedSkins =
    QStringList{"toolbar.png",        "songname.png",       "play.png",    "pause.png",
                "stop.png",           "open.png",           "effects.png", "exit.png",
                "about-picture1.png", "about-picture2.png", "quarn 1.bmp", "quarn 2.bmp",
                "quarn 3.bmp",        "quarn 4.bmp"} +
    slicedSkins;

// Every image in a picture file (an icon holds several), as 32-bit ARGB.
std::vector<QImage> imagesIn(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    std::vector<QImage> images;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        images.push_back(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

// "" when the two pictures show the same thing: the same size, every channel
// within two levels, and no pixel turned see-through or opaque; else what differs.
std::string pictureDifference(const QImage& drawn, const QImage& expected) {
    if (drawn.size() != expected.size() || drawn.isNull())
        return "the sizes differ";
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = expected.pixel(x, y);
            const bool near =
                std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
                std::abs(qBlue(a) - qBlue(b)) <= 2 && std::abs(qAlpha(a) - qAlpha(b)) <= 2;
            if (!near || (qAlpha(a) == 0) != (qAlpha(b) == 0))
                return QStringLiteral("pixel %1,%2 is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 8, 16, QChar('0'))
                    .arg(b, 8, 16, QChar('0'))
                    .toStdString();
        }
    return {};
}

std::string fileDifference(const QString& name, const QByteArray& drawn,
                           const QByteArray& expected) {
    if (drawn == expected)
        return {};
    if (shapedSkins.contains(name))
        return "a skin the windows are cut from differs";
    const std::vector<QImage> a = imagesIn(drawn), b = imagesIn(expected);
    if (a.size() != b.size())
        return "the number of images differs";
    for (size_t i = 0; i < a.size(); ++i)
        if (const std::string why = pictureDifference(a[i], b[i]); !why.empty())
            return "image " + std::to_string(i) + ": " + why;
    return {};
}

TEST_F(SkinGenerator, DrawsTheCommittedFiles) {
    ASSERT_TRUE(finished);
    EXPECT_EQ(filesUnder(output->path()), drawnFiles());
    for (const QString& name : drawnFiles()) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray drawn = bytesOf(output->path() + "/" + name);
        EXPECT_FALSE(drawn.isEmpty());
        EXPECT_EQ(fileDifference(name, drawn, bytesOf(committedDir + "/" + name)), "")
            << "run the regenerate-skins target and commit the result";
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
    const QString icon = QStringLiteral("icons/quarn-media-player-48.png");
    const QImage original = committed(icon).convertToFormat(QImage::Format_ARGB32);
    const QByteArray expected = pngOf(original);
    QImage rounded = original;
    QImage recoloured = original;
    QImage uncovered = original;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) {
            const QRgb p = original.pixel(x, y);
            if (qAlpha(p) > 0 && qAlpha(p) < 255 && qRed(p) < 255)
                rounded.setPixel(x, y, qRgba(qRed(p) + 1, qGreen(p), qBlue(p), qAlpha(p)));
            if (qAlpha(p) == 255)
                recoloured.setPixel(x, y, qRgba(qRed(p) ^ 0x40, qGreen(p), qBlue(p), 255));
        }
    uncovered.setPixel(0, 0, qRgba(0, 0, 0, 1)); // a corner that was see-through
    ASSERT_EQ(qAlpha(original.pixel(0, 0)), 0);
    const QImage shifted = original.copy(1, 0, original.width(), original.height());

    EXPECT_EQ(fileDifference(icon, pngOf(rounded), expected), "");
    EXPECT_NE(fileDifference(icon, pngOf(recoloured), expected), "");
    EXPECT_NE(fileDifference(icon, pngOf(shifted), expected), "");
    EXPECT_NE(fileDifference(icon, pngOf(uncovered), expected), "");
    // The skins the windows are cut from allow no difference at all.
    const QImage skin = committed("play.png");
    QImage skinRounded = skin.convertToFormat(QImage::Format_RGB32);
    skinRounded.setPixel(8, 10, skinRounded.pixel(8, 10) ^ 1);
    EXPECT_NE(fileDifference("play.png", pngOf(skinRounded), bytesOf(committedDir + "/play.png")),
              "");
}

TEST(SkinPictures, HaveTheSizesTheWindowsAreBuiltAround) {
    const std::vector<std::pair<QString, QSize>> sizes = {{"toolbar.png", {244, 46}},
                                                          {"songname.png", {244, 39}},
                                                          {"play.png", {17, 21}},
                                                          {"pause.png", {17, 21}},
                                                          {"stop.png", {17, 21}},
                                                          {"open.png", {17, 21}},
                                                          {"effects.png", {17, 21}},
                                                          {"exit.png", {17, 21}},
                                                          {"playlist-top.png", {244, 24}},
                                                          {"playlist-middle.png", {244, 16}},
                                                          {"playlist-bottom.png", {244, 28}},
                                                          {"overlay-left.png", {48, 44}},
                                                          {"overlay-middle.png", {8, 44}},
                                                          {"overlay-right.png", {48, 44}},
                                                          {"tile.png", {256, 299}},
                                                          {"splash.jpg", {427, 416}},
                                                          {"about.png", {358, 402}},
                                                          {"about-picture1.png", {106, 144}},
                                                          {"about-picture2.png", {194, 81}},
                                                          {"quarn 1.bmp", {106, 144}},
                                                          {"quarn 2.bmp", {106, 144}},
                                                          {"quarn 3.bmp", {106, 144}},
                                                          {"quarn 4.bmp", {106, 144}},
                                                          {"cmdlg.gif", {48, 48}},
                                                          {"dlgs.gif", {48, 48}}};
    for (const auto& [name, size] : sizes)
        EXPECT_EQ(committed(name).size(), size) << name.toStdString();
}

TEST(SkinPictures, ShapedPicturesHaveTheirKeyColourTopLeft) {
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0);
    EXPECT_EQ(committed("toolbar.png").pixel(0, 0), white);
    for (const QString& name : QStringList{"songname.png", "play.png", "pause.png", "stop.png",
                                           "open.png", "effects.png", "exit.png"} +
                                   slicedSkins)
        EXPECT_EQ(committed(name).pixel(0, 0), red) << name.toStdString();
    // The animation's frames replace its start picture and are cut by the same key.
    const QRgb animationKey = committed("about-picture1.png").pixel(0, 0);
    for (int frame = 1; frame <= 4; ++frame)
        EXPECT_EQ(committed(QStringLiteral("quarn %1.bmp").arg(frame)).pixel(0, 0), animationKey);
}

// A key-coloured pixel that cannot reach the picture's edge through other
// key-coloured pixels would cut a pinhole into the window.
int enclosedKeyPixels(const QImage& image) {
    const QRgb key = image.pixel(0, 0);
    const int w = image.width(), h = image.height();
    std::vector<bool> reached(static_cast<size_t>(w * h), false);
    std::queue<QPoint> open;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h || reached[y * w + x] || image.pixel(x, y) != key)
            return;
        reached[y * w + x] = true;
        open.push({x, y});
    };
    for (int x = 0; x < w; ++x) {
        visit(x, 0);
        visit(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        visit(0, y);
        visit(w - 1, y);
    }
    while (!open.empty()) {
        const QPoint p = open.front();
        open.pop();
        visit(p.x() + 1, p.y());
        visit(p.x() - 1, p.y());
        visit(p.x(), p.y() + 1);
        visit(p.x(), p.y() - 1);
    }
    int enclosed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            enclosed += image.pixel(x, y) == key && !reached[y * w + x];
    return enclosed;
}

TEST(SkinPictures, ShapedPicturesHaveNoHolesInsideTheArt) {
    for (const QString& name : shapedSkins)
        EXPECT_EQ(enclosedKeyPixels(committed(name)), 0) << name.toStdString();
}

// The playlist and the full-screen controls bar stretch by repeating their
// middle slice: from the first slice's last line to the last slice's first,
// every line must be the same, and the area the window draws over must be one
// dark colour exactly where the window code expects it.
TEST(SkinPictures, StretchingSkinsJoinWithoutSeamsAroundOneFlatDarkArea) {
    struct Stretching {
        const char *first, *middle, *last;
        bool down;
        QRect flat;      // in the skin laid out with three middle slices
        bool flatBeside; // the colour also stops at the flat area's sides
    };
    const Stretching skins[] = {{"playlist-top.png", "playlist-middle.png", "playlist-bottom.png",
                                 true, QRect(9, 20, 226, 54), true},
                                {"overlay-left.png", "overlay-middle.png", "overlay-right.png",
                                 false, QRect(30, 9, 60, 26), false}};
    for (const Stretching& skin : skins) {
        SCOPED_TRACE(skin.middle);
        const QImage first = committed(skin.first), middle = committed(skin.middle),
                     last = committed(skin.last);
        const QPoint step = skin.down ? QPoint(0, middle.height()) : QPoint(middle.width(), 0);
        const QPoint firstEnd = skin.down ? QPoint(0, first.height()) : QPoint(first.width(), 0);
        const QPoint lastAt = firstEnd + 3 * step;
        const QSize size = skin.down ? QSize(first.width(), lastAt.y() + last.height())
                                     : QSize(lastAt.x() + last.width(), first.height());
        QImage whole(size, QImage::Format_RGB32);
        QPainter painter(&whole);
        painter.drawImage(0, 0, first);
        for (int i = 0; i < 3; ++i)
            painter.drawImage(firstEnd + i * step, middle);
        painter.drawImage(lastAt, last);
        painter.end();

        auto line = [&](int i) {
            return skin.down ? whole.copy(0, i, whole.width(), 1)
                             : whole.copy(i, 0, 1, whole.height());
        };
        const int from = (skin.down ? firstEnd.y() : firstEnd.x()) - 1;
        for (int i = from + 1; i <= (skin.down ? lastAt.y() : lastAt.x()); ++i)
            EXPECT_TRUE(line(i) == line(from)) << "line " << i;

        const QRect& flat = skin.flat;
        const QRgb colour = whole.pixel(flat.topLeft());
        EXPECT_LT(std::max({qRed(colour), qGreen(colour), qBlue(colour)}), 40);
        int misplaced = 0;
        for (int y = flat.top() - 1; y <= flat.bottom() + 1; ++y)
            for (int x = flat.left() - 1; x <= flat.right() + 1; ++x) {
                const bool beside = x < flat.left() || x > flat.right();
                if (flat.contains(x, y)
                        ? whole.pixel(x, y) != colour
                        : whole.pixel(x, y) == colour && (skin.flatBeside || !beside))
                    ++misplaced;
            }
        EXPECT_EQ(misplaced, 0);
    }
}

std::vector<std::pair<QSize, int>> iconImages(const QString& name) {
    QImageReader reader(committedDir + "/" + name);
    std::vector<std::pair<QSize, int>> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        images.emplace_back(image.size(), image.text("_q_icoOrigDepth").toInt());
    }
    return images;
}

TEST(SkinIcons, ProgramIconHolds8And24And32BitImagesOf48Pixels) {
    const std::vector<std::pair<QSize, int>> expected = {
        {{48, 48}, 8}, {{48, 48}, 24}, {{48, 48}, 32}};
    EXPECT_EQ(iconImages("quarn.ico"), expected);
}

// The desktop's icon theme shows the same mark as the program's own icon.
TEST(SkinIcons, DesktopIconOf48PixelsIsTheProgramIconsFullColourImage) {
    QImageReader reader(committedDir + "/quarn.ico");
    ASSERT_TRUE(reader.jumpToImage(2));
    const QImage programIcon = reader.read();
    ASSERT_EQ(programIcon.text("_q_icoOrigDepth"), "32");
    EXPECT_EQ(
        pictureDifference(
            committed("icons/quarn-media-player-48.png").convertToFormat(QImage::Format_ARGB32),
            programIcon.convertToFormat(QImage::Format_ARGB32)),
        "");
}

TEST(SkinResources, ProgramCarriesTheEmbeddedPictures) {
    for (const QString& name : embeddedFiles) {
        const QByteArray carried = bytesOf(":/skins/" + name);
        EXPECT_FALSE(carried.isEmpty()) << name.toStdString();
        EXPECT_TRUE(carried == bytesOf(committedDir + "/" + name)) << name.toStdString();
    }
}

TEST(SkinResources, BuildPlacesIntroAndFramesBesideTheProgram) {
    for (const QString& name : filesBesideProgram) {
        const QByteArray placed = bytesOf(QStringLiteral(QUARN_BINARY_DIR "/") + name);
        EXPECT_FALSE(placed.isEmpty()) << name.toStdString();
        EXPECT_TRUE(placed == bytesOf(committedDir + "/" + name)) << name.toStdString();
    }
}

} // namespace
