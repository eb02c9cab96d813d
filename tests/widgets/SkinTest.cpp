#include "widgets/Skin.h"
#include "widgets/Pictures.h"
#include "widgets/SkinCatalog.h"
#include "widgets/WindowShaping.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QResource>
#include <QTemporaryDir>
#include <archive.h>
#include <archive_entry.h>
#include <functional>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

const QRgb kSkinKey = qRgb(255, 0, 255);
const QRgb kSkinBody = qRgb(20, 40, 200);

// A body colour framed by one pixel of key colour.
QImage framedPicture(int w, int h, QRgb body = kSkinBody) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kSkinKey);
    QPainter(&image).fillRect(1, 1, w - 2, h - 2, QColor(body));
    return image;
}

// The smallest whole skin: every window's keys, a few tiny pictures; C is a colour.
const char* const kTinyManifest = R"({"format": 1, "name": "Tiny", "focus": C,
 "menu": {"background": C, "text": C, "border": C, "selectedBackground": C, "selectedText": C,
  "disabledText": C, "separator": C},
 "notice": {"background": C, "text": C, "border": C, "font": FONT},
 "main": {"background": C, "tile": "tile.png", "display": [8, 8, 160, 120], "extra": [16, 30],
  "seekBar": {SLIDER, "left": 8, "gap": 4, "height": 9}, "text": C, "font": FONT},
 "titleStrip": {"picture": "strip.png", "key": "top-left", "dock": {"x": -20, "gap": 1},
  "title": {"rect": [4, 4, 30, 10], "colour": C, "font": FONT}},
 "toolbar": {"picture": "toolbar.png", "key": "top-left", "dock": {"x": -20, "gap": 2},
  "buttons": [{"command": "play", "rect": [2, 2, 10, 10], "picture": "button.png",
   "pressed": "button.png"}], "time": {"rect": [14, 2, 20, 10], "colour": C, "font": FONT,
   "align": "left"}},
 "playlist": {"top": "slice.png", "middle": "slice.png", "bottom": "slice.png", "key": "#ff00ff",
  "list": {"left": 2, "top": 2, "width": 30, "bottom": 2}, "total": [2, 2, 10, 5],
  "marks": [14, 2, 10, 5], "grip": [30, 8, 8, 6], "colours": {"text": C, "playing": C,
  "missing": C, "selection": C, "background": C, "scrollBar": C}, "font": FONT,
  "summaryFont": FONT, "dock": {"x": -20, "gap": 0}},
 "fullScreenBar": {"left": "slice.png", "middle": "slice.png", "right": "slice.png",
  "key": "alpha", "margin": 40, "bottom": 24, "time": {"rect": [2, 2, -40, 10], "colour": C,
  "font": FONT}, "buttons": [{"command": "play-pause", "rect": [-30, 2, 10, 10],
  "picture": "button.png"}], "seekBar": {SLIDER, "rect": [2, 12, -20, 4]},
  "volume": {SLIDER, "rect": [-18, 12, 16, 4]}}})";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Writes the tiny skin into `folder`, its manifest changed by `change`.
QString writeTinySkin(const QString& folder, const std::function<void(QJsonObject&)>& change = {}) {
    QDir().mkpath(folder);
    QString text = QString::fromLatin1(kTinyManifest);
    text.replace("FONT", R"({"family": ["DejaVu Sans"], "size": 8})");
    text.replace("SLIDER", R"("track": C, "border": C, "thumb": C, "thumbHover": C, "marks": C,
                 "disabledTrack": C, "disabledBorder": C, "disabledThumb": C)");
    text.replace(QRegularExpression("\\bC\\b"), "\"#5895c1\"");
    QJsonObject manifest = QJsonDocument::fromJson(text.toUtf8()).object();
    if (change) {
        change(manifest);
    }
    writeFile(folder + "/skin.json", QJsonDocument(manifest).toJson());
    framedPicture(4, 4, kSkinKey).save(folder + "/tile.png");
    for (const char* name : {"/strip.png", "/toolbar.png", "/slice.png"}) {
        framedPicture(40, 16).save(folder + name);
    }
    framedPicture(10, 10).save(folder + "/button.png");
    return folder;
}

// Sets (or, given nothing, removes) the value at a dotted path of objects.
void setAt(QJsonObject& object, QStringList keys, const QJsonValue& value) {
    const QString key = keys.takeFirst();
    QJsonObject inner = object.value(key).toObject();
    if (!keys.isEmpty()) {
        setAt(inner, keys, value);
    }
    object.remove(key);
    if (!keys.isEmpty() || !value.isUndefined()) {
        object.insert(key, keys.isEmpty() ? value : inner);
    }
}

struct ZipEntry {
    QString path;
    QByteArray data;
    unsigned type = AE_IFREG;
};

void writeZip(const QString& file, const std::vector<ZipEntry>& entries) {
    archive* zip = archive_write_new();
    archive_write_set_format_zip(zip);
    ASSERT_EQ(archive_write_open_filename(zip, file.toLocal8Bit().constData()), ARCHIVE_OK);
    for (const ZipEntry& item : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, item.path.toUtf8().constData());
        archive_entry_set_filetype(entry, item.type);
        archive_entry_set_perm(entry, 0644);
        if (item.type == AE_IFLNK) {
            archive_entry_set_symlink(entry, "/etc/passwd");
        }
        archive_entry_set_size(entry, item.data.size());
        archive_write_header(zip, entry);
        archive_write_data(zip, item.data.constData(), size_t(item.data.size()));
        archive_entry_free(entry);
    }
    archive_write_close(zip);
    archive_write_free(zip);
}

// The files of a skin's folder as entries under `prefix` ("" or "folder/").
std::vector<ZipEntry> skinEntries(const QString& folder, const QString& prefix) {
    std::vector<ZipEntry> entries;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
        QFile in(file.filePath());
        in.open(QIODevice::ReadOnly);
        entries.push_back({prefix + file.fileName(), in.readAll()});
    }
    return entries;
}

QString refusal(const QString& path) {
    try {
        ReadSkin(path);
    } catch (const SkinError& error) {
        return error.Message();
    }
    return "(read without a refusal)";
}

QByteArray bigEndian(quint32 n) {
    const char bytes[] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    return QByteArray(bytes, 4);
}

// A PNG chunk with its check sum.
QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : type + data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return bigEndian(quint32(data.size())) + type + data + bigEndian(~crc);
}

bool sameArea(const QRegion& a, const QRegion& b) {
    return (a ^ b).isEmpty();
}

} // namespace

TEST(SkinReader, AcceptsAWholeSkinFromAFolderAnArchiveOrAResourceFolder) {
    QTemporaryDir temp;
    const QString folder = writeTinySkin(temp.filePath("tiny"));
    writeZip(temp.filePath("packed.zip"), skinEntries(folder, "tiny/"));
    writeZip(temp.filePath("flat.zip"), skinEntries(folder, ""));
    // A resource folder, as the bundled skins are carried in the program.
    QString qrc = "<RCC><qresource prefix=\"/test-skins/tiny\">";
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
        qrc += QString("<file alias=\"%1\">%2</file>").arg(file.fileName(), file.filePath());
    }
    writeFile(temp.filePath("skins.qrc"), (qrc + "</qresource></RCC>").toUtf8());
    const QString rcc = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/rcc";
    const QString compiled = temp.filePath("skins.rcc");
    ASSERT_EQ(QProcess::execute(rcc, {"--binary", temp.filePath("skins.qrc"), "-o", compiled}), 0);
    ASSERT_TRUE(QResource::registerResource(compiled));

    const Skin skin = ReadSkin(folder);
    EXPECT_EQ(skin.name, "Tiny");
    EXPECT_EQ(skin.toolbar.buttons.at(0).name, "play");
    EXPECT_EQ(skin.toolbar.time.alignment, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(skin.playlist.key, (KeyRule{KeyRule::Kind::Colour, 0xff00ff}));
    for (const QString& path : {folder, temp.filePath("packed.zip"), temp.filePath("flat.zip"),
                                QString(":/test-skins/tiny")}) {
        const Skin other = ReadSkin(path);
        EXPECT_EQ(other.id, path.endsWith(".zip") ? QFileInfo(path).baseName() : "tiny");
        EXPECT_EQ(other.pictures.keys().size(), 5) << path.toStdString();
        EXPECT_EQ(other.Original("toolbar.png"), skin.Original("toolbar.png"));
        EXPECT_EQ(other.fullScreenBar.volume.rect, QRect(-18, 12, 16, 4));
    }
    QResource::unregisterResource(compiled);
}

TEST(SkinReader, RefusesEachBadManifestWithAMessageNamingSkinAndKey) {
    const QString button = R"({"command": "play", "picture": "button.png", "rect": )";
    const struct {
        const char* path;
        QString json; // the new value; "" removes the key
        const char* message;
    } cases[] = {
        {"toolbar.time.rect", "", "the manifest has no \"toolbar.time.rect\""},
        {"toolbar.time.colour", "\"red\"", "\"toolbar.time.colour\" is not a colour"},
        {"format", "2", "\"format\" is 2; this player reads format 1"},
        {"main.display", "[0, 0, 0, 10]", "\"main.display\" is not a rectangle"},
        {"titleStrip.key", "\"green\"", "\"titleStrip.key\" is not a key"},
        {"notice.font.family", "[]", "\"notice.font.family\" is not a list of font families"},
        {"main.seekBar.height", "0", "\"main.seekBar.height\" is not a whole number of 1 or more"},
        {"toolbar.buttons", "[{\"command\": \"dance\"}]",
         "\"toolbar.buttons[0].command\" is not a command of the player"},
        {"main.tile", "\"../tile.png\"", "\"main.tile\" is not a plain file name"},
        {"main.tile", "\"gone.png\"", "\"gone.png\" is missing"},
        {"titleStrip.picture", "\"tile.png\"", "the key leaves nothing of \"tile.png\""},
        {"titleStrip.title.rect", "[30, 4, 30, 10]",
         "\"titleStrip.title.rect\" lies outside \"strip.png\""},
        {"toolbar.buttons", "[" + button + "[35, 2, 10, 10]}]",
         "\"play\" button's rectangle lies outside \"toolbar.png\""},
        {"toolbar.buttons", "[" + button + "[2, 2, 9, 10]}]",
         "\"play\" button's rectangle is 9 x 10 pixels, not the size of \"button.png\" (10 x 10)"},
        {"playlist.list.width", "39", "\"playlist.list\" lies outside the width of \"slice.png\""},
        {"playlist.middle", "\"button.png\"", "\"button.png\" is 10 pixels wide, not 40 like"},
        {"fullScreenBar.time.rect", "[2, 10, -40, 10]",
         "\"fullScreenBar.time.rect\" lies outside the full-screen bar's 16 pixels of height"},
    };
    QTemporaryDir temp;
    int made = 0;
    const auto freshFolder = [&] { return temp.filePath(QString::number(++made) + "/tiny"); };
    const QString prefix = "The skin \"tiny\" cannot be used: ";
    for (const auto& bad : cases) {
        const QJsonValue value =
            bad.json.isEmpty()
                ? QJsonValue(QJsonValue::Undefined)
                : QJsonDocument::fromJson(("[" + bad.json + "]").toUtf8()).array()[0];
        const QString message = refusal(writeTinySkin(freshFolder(), [&](QJsonObject& manifest) {
            setAt(manifest, QString(bad.path).split('.'), value);
        }));
        EXPECT_TRUE(message.startsWith(prefix + bad.message)) << message.toStdString();
    }

    // Files that are not what the manifest says.
    const auto spoilt = [&](const char* name, const std::function<void(const QString&)>& spoil) {
        const QString folder = writeTinySkin(freshFolder());
        spoil(folder + "/" + name);
        return refusal(folder);
    };
    EXPECT_EQ(spoilt("skin.json", [](const QString& file) { QFile::remove(file); }),
              prefix + "the skin has no skin.json.");
    EXPECT_TRUE(spoilt("skin.json", [](const QString& file) {
                    writeFile(file, "{\"format\": 1,");
                }).startsWith(prefix + "skin.json is not JSON: "));
    EXPECT_EQ(
        spoilt("button.png",
               [](const QString& file) { QImage(10, 10, QImage::Format_RGB32).save(file, "BMP"); }),
        prefix + "\"button.png\" is not a PNG picture.");
    EXPECT_EQ(
        spoilt("button@2x.png", [](const QString& file) { framedPicture(15, 15).save(file); }),
        prefix + "\"button@2x.png\" is 15 x 15 pixels, not twice \"button.png\" (10 x 10).");
    EXPECT_EQ(spoilt("nothing", [](const QString&) {}), "(read without a refusal)");
}

TEST(SkinReader, RefusesHostileArchivesBeforeReadingTheirPictures) {
    QTemporaryDir temp;
    const QString folder = writeTinySkin(temp.filePath("tiny"));
    const QString prefix = "The skin \"hostile\" cannot be used: ";
    const QString zip = temp.filePath("hostile.zip");
    const auto refusalOf = [&](const std::vector<ZipEntry>& extra) {
        // Its pictures are no pictures: the archive's own refusal must come first.
        std::vector<ZipEntry> entries = skinEntries(folder, "tiny/");
        for (ZipEntry& entry : entries) {
            entry.data = entry.path.endsWith(".png") ? "not a picture" : entry.data;
        }
        entries.insert(entries.end(), extra.begin(), extra.end());
        writeZip(zip, entries);
        return refusal(zip);
    };
    for (const char* outside : {"../evil.png", "tiny/../../evil.png", "/etc/x"}) {
        EXPECT_EQ(refusalOf({{outside, "x"}}),
                  prefix + "the archive holds \"" + outside + "\", a path outside it.");
    }
    EXPECT_EQ(refusalOf({{"tiny/link.png", {}, AE_IFLNK}}),
              prefix + "the archive holds \"tiny/link.png\", a link.");
    EXPECT_EQ(refusalOf({{"tiny/zeros.png", QByteArray(60 * 1000 * 1000, '\0')}}),
              prefix + "the archive expands to more than 50 MB.");
    std::vector<ZipEntry> many;
    for (int i = 0; i < 2000; ++i) {
        many.push_back({QString("tiny/%1.txt").arg(i), {}});
    }
    EXPECT_EQ(refusalOf(many), prefix + "the archive holds more than 2000 entries.");
    EXPECT_EQ(refusalOf({{"other/skin.json", "{}"}}),
              prefix + "the archive holds more than one skin (in \"other\", \"tiny\").");

    writeFile(zip, "This is a letter, not an archive.");
    EXPECT_EQ(refusal(zip), prefix + "it is not a zip archive.");
    ASSERT_TRUE(QFile::resize(zip, 51 * 1000 * 1000)); // sparse: no time, no disk
    EXPECT_EQ(refusal(zip), prefix + "the archive is larger than 50 MB.");
}

TEST(SkinReader, RefusesAHugePictureBeforeDecodingIt) {
    QTemporaryDir temp;
    const QString folder = writeTinySkin(temp.filePath("tiny"));
    // The chunks of a 30000 x 30000 picture without its pixels: decoded, 3.6 GB.
    const QByteArray header =
        bigEndian(30000) + bigEndian(30000) + QByteArray("\x08\x06\x00\x00\x00", 5);
    writeFile(folder + "/toolbar.png", "\x89PNG\r\n\x1a\n" + pngChunk("IHDR", header) +
                                           pngChunk("IDAT", {}) + pngChunk("IEND", {}));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(refusal(folder), "The skin \"tiny\" cannot be used: \"toolbar.png\" is 30000 x "
                               "30000 pixels, more than 4096 a side.");
    EXPECT_LT(timer.elapsed(), 500);
}

TEST(SkinPictures, ScaleRectanglesOutlinesAndPicturesWithoutKeyBleeding) {
    EXPECT_EQ(Scaled(-3, 1.5), -5);
    EXPECT_EQ(Scaled(QRect(1, 1, 3, 3), 1.5), QRect(2, 2, 4, 4)); // edges 1.5 and 6
    EXPECT_EQ(Scaled(QRect(-30, 2, -40, 10), 1.5), QRect(-45, 3, -60, 15));
    EXPECT_EQ(Scaled(QSize(5, 3), 1.5), QSize(8, 5));

    QTemporaryDir temp;
    const QString folder = writeTinySkin(temp.filePath("tiny"));
    framedPicture(20, 20, qRgb(0, 200, 0)).save(folder + "/button@2x.png");
    const Skin skin = ReadSkin(folder);
    const KeyRule topLeft;

    const SkinPicture same = skin.Picture("toolbar.png", topLeft, 1);
    EXPECT_EQ(same.image, LoadPicture(folder + "/toolbar.png")); // drawn as before
    EXPECT_TRUE(sameArea(same.outline, QRegion(1, 1, 38, 14)));
    const SkinPicture twice = skin.Picture("toolbar.png", topLeft, 2);
    EXPECT_EQ(twice.image.size(), QSize(80, 32));
    EXPECT_TRUE(sameArea(twice.outline, QRegion(2, 2, 76, 28))); // each pixel a 2 x 2 block
    const SkinPicture half = skin.Picture("toolbar.png", topLeft, 1.5);
    EXPECT_EQ(half.image.size(), QSize(60, 24));
    EXPECT_TRUE(sameArea(half.outline, QRegion(2, 2, 57, 21))); // edges 1.5, 22.5, 58.5
    for (const QImage& image : {twice.image, half.image}) {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = qUnpremultiply(image.pixel(x, y));
                ASSERT_TRUE(qAlpha(pixel) == 0 || qRed(pixel) < 60) << x << "," << y;
            }
        }
    }

    // The twin is the source where the skin has one.
    EXPECT_EQ(skin.Picture("button.png", topLeft, 2).image, skin.Original("button@2x.png"));
    const SkinPicture larger = skin.Picture("button.png", topLeft, 1.5);
    EXPECT_EQ(larger.image.size(), QSize(15, 15));
    EXPECT_EQ(QColor(larger.image.pixel(7, 7)), QColor(0, 200, 0));
    EXPECT_TRUE(skin.Picture("nothing.png", topLeft, 2).image.isNull());

    QImage clear(3, 1, QImage::Format_ARGB32);
    clear.fill(qRgba(9, 9, 9, 255));
    clear.setPixel(0, 0, qRgba(255, 0, 255, 255));
    clear.setPixel(2, 0, qRgba(9, 9, 9, 0));
    EXPECT_TRUE(sameArea(OutlineOf(clear, {KeyRule::Kind::Alpha, 0}), QRegion(0, 0, 2, 1)));
    EXPECT_TRUE(sameArea(OutlineOf(clear, {KeyRule::Kind::Colour, 0x090909}), QRegion(0, 0, 1, 1)));
}

TEST(SkinCatalog, ListsBundledThenUserSkinsFoldersAndArchives) {
    QTemporaryDir temp;
    const auto named = [](const char* name) {
        return [name](QJsonObject& manifest) { manifest["name"] = name; };
    };
    const QString bundled = temp.filePath("bundled"), user = temp.filePath("user");
    writeTinySkin(bundled + "/zeta", named("Zeta"));
    writeZip(bundled + "/alpha.zip",
             skinEntries(writeTinySkin(temp.filePath("a"), named("Alpha")), ""));
    QDir().mkpath(bundled + "/no-skin");
    writeFile(bundled + "/notes.txt", "{}");
    writeTinySkin(temp.filePath("more/classic"), named("Classic"));
    writeTinySkin(user + "/classic", named("My classic"));
    writeFile(user + "/Broken.zip", "no archive");

    using Entry = std::tuple<QString, QString, QString, bool>;
    std::vector<Entry> listed;
    for (const SkinEntry& entry : ListSkins({bundled, temp.filePath("more")}, user)) {
        listed.emplace_back(entry.id, entry.name, QFileInfo(entry.path).fileName(), entry.bundled);
    }
    EXPECT_EQ(listed, (std::vector<Entry>{{"alpha", "Alpha", "alpha.zip", true},
                                          {"zeta", "Zeta", "zeta", true},
                                          {"classic", "Classic", "classic", true},
                                          {"Broken", "Broken", "Broken.zip", false},
                                          {"classic-2", "My classic", "classic", false}}));
    EXPECT_TRUE(ListSkins({temp.filePath("nowhere")}, "").empty());
}
