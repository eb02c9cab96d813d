// The skin generator must still draw the committed pictures. The skins the
// windows are cut from must match to the byte; other pictures (icons, the tile, the splash) are
// drawn with antialiasing and smooth scaling, which round a level differently on other processors,
// so they match within two levels a channel with every pixel's see-through-ness kept.

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// The pictures the windows are cut from: their key decides the outline. That is
// every picture of every skin's folder but its tile.
const QRegularExpression shaped("^(about-picture.|quarn .)\\.(png|bmp)$|"
                                "^(?!icons/)[^/]+/(?!tile[.@])[^/]+\\.png$");

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
    for (const QString name : {"classic/play.png", "high-contrast/toolbar.png"}) {
        const QByteArray skin = bytesOf(committedDir + "/" + name);
        QImage skinRounded = imagesIn(skin).at(0);
        skinRounded.setPixel(8, 10, skinRounded.pixel(8, 10) ^ 1);
        EXPECT_FALSE(matches(name, pngOf(skinRounded), skin)) << name.toStdString();
    }
}

// Every picture name in a manifest (any string value ending in .png).
void picturesNamed(const QJsonValue& value, QStringList& names) {
    if (value.isString() && value.toString().endsWith(".png"))
        names << value.toString();
    for (const QJsonValue item : value.isArray() ? value.toArray() : QJsonArray())
        picturesNamed(item, names);
    for (const QJsonValue item : value.isObject() ? value.toObject() : QJsonObject())
        picturesNamed(item, names);
}

// WCAG 2 contrast ratio of two colours.
double contrast(QRgb a, QRgb b) {
    auto luminance = [](QRgb c) {
        auto linear = [](int v) {
            return v / 255.0 <= 0.03928 ? v / 255.0 / 12.92
                                        : std::pow((v / 255.0 + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SkinFiles, ManifestsNameTheirPicturesAndHighContrastTextStandsOutSevenToOne) {
    const QStringList folders = QDir(committedDir)
                                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                    .filter(QRegularExpression("^(?!icons$)"));
    ASSERT_EQ(folders.size(), 3);
    QJsonObject hc;
    for (const QString& folder : folders) {
        QJsonParseError error;
        const QJsonDocument manifest =
            QJsonDocument::fromJson(bytesOf(committedDir + "/" + folder + "/skin.json"), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << folder.toStdString();
        if (folder == "high-contrast")
            hc = manifest.object();
        QStringList names;
        picturesNamed(manifest.object(), names);
        EXPECT_GE(names.size(), 15) << folder.toStdString();
        for (const QString& name : names)
            EXPECT_TRUE(QFile::exists(committedDir + "/" + folder + "/" + name))
                << folder.toStdString() << " names " << name.toStdString();
    }
    auto colour = [&](const QString& path) {
        QJsonValue value = hc;
        for (const QString& key : path.split('.'))
            value = value[key];
        return QColor(value.toString()).rgb();
    };
    // A text element against its window's picture under the text's corner.
    auto behind = [&](const QString& element, const QString& text) {
        const QJsonValue window = std::as_const(hc)[element];
        const QJsonArray rect = window[text]["rect"].toArray();
        return QImage(committedDir + "/high-contrast/" + window["picture"].toString())
            .pixel(rect[0].toInt(), rect[1].toInt());
    };
    const std::pair<QRgb, QRgb> pairs[] = {
        {colour("titleStrip.title.colour"), behind("titleStrip", "title")},
        {colour("toolbar.time.colour"), behind("toolbar", "time")},
        {colour("main.text"), colour("main.background")},
        {colour("menu.text"), colour("menu.background")},
        {colour("menu.selectedText"), colour("menu.selectedBackground")},
        {colour("notice.text"), colour("notice.background")}};
    for (const auto& [text, back] : pairs)
        EXPECT_GE(contrast(text, back), 7.0) << std::hex << text << " on " << back;
    for (const QString text : {"text", "playing", "missing"})
        for (const QString back : {"background", "selection"})
            EXPECT_GE(
                contrast(colour("playlist.colours." + text), colour("playlist.colours." + back)),
                7.0)
                << text.toStdString() << " on " << back.toStdString();
}

} // namespace
