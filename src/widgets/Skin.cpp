#include "widgets/Skin.h"

#include "widgets/SkinArchive.h"
#include "widgets/WindowShaping.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace quarn {

namespace {

constexpr int kMaxSide = 4096;                     // of a picture, checked before it is decoded
constexpr int kMaxTwinSide = 8192;                 // of an @2x twin
constexpr qint64 kMaxFileBytes = 50 * 1000 * 1000; // of any file read from a skin's folder
const QString kManifest = QStringLiteral("skin.json");
const QStringList kCommands = {
    QStringLiteral("play"), QStringLiteral("pause"),       QStringLiteral("play-pause"),
    QStringLiteral("stop"), QStringLiteral("open"),        QStringLiteral("previous"),
    QStringLiteral("next"), QStringLiteral("effects"),     QStringLiteral("exit"),
    QStringLiteral("mute"), QStringLiteral("full-screen"), QStringLiteral("playlist")};

// What is wrong with a skin; ReadSkin() puts the skin's name in front of it.
struct Problem {
    QString text;
};

[[noreturn]] void refuse(const QString& text) {
    throw Problem{text};
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString sizeText(QSize size) {
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

// "toolbar.png" -> "toolbar@2x.png".
QString twinName(const QString& file) {
    const int dot = file.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? file + QStringLiteral("@2x")
                    : file.left(dot) + QStringLiteral("@2x") + file.mid(dot);
}

// The skin's files: a folder's, read when asked for, or an archive's, read
// into memory at once.
class SkinFiles {
public:
    explicit SkinFiles(const QString& path) {
        const QFileInfo info(path);
        if (info.isDir()) {
            folder_ = QDir(path);
            return;
        }
        if (!info.exists()) {
            refuse(QStringLiteral("there is no folder or archive %1").arg(quoted(path)));
        }
        try {
            archive_ = ReadSkinArchive(path);
        } catch (const ArchiveProblem& problem) {
            refuse(problem.Problem());
        }
        isArchive_ = true;
    }

    bool Has(const QString& name) const {
        return isArchive_ ? archive_.contains(name) : QFileInfo::exists(folder_.filePath(name));
    }

    QByteArray Read(const QString& name) const {
        if (!Has(name)) {
            refuse(name == kManifest ? QStringLiteral("the skin has no skin.json")
                                     : quoted(name) + QStringLiteral(" is missing"));
        }
        if (isArchive_) {
            return archive_.value(name);
        }
        const QFileInfo info(folder_.filePath(name));
        // Nothing outside the skin's folder is read, and nothing that could block.
        const QString inside = QDir(folder_.canonicalPath()).filePath(QString());
        if (!info.isFile() || (info.isSymLink() && !info.canonicalFilePath().startsWith(inside))) {
            refuse(quoted(name) + QStringLiteral(" is not a plain file in the skin's folder"));
        }
        const QString tooLarge =
            quoted(name) + QStringLiteral(" is larger than %1 MB").arg(kMaxFileBytes / 1000 / 1000);
        if (info.size() > kMaxFileBytes) {
            refuse(tooLarge);
        }
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            refuse(quoted(name) + QStringLiteral(" cannot be read"));
        }
        const QByteArray bytes = file.read(kMaxFileBytes + 1);
        if (bytes.size() > kMaxFileBytes) {
            refuse(tooLarge);
        }
        return bytes;
    }

private:
    QDir folder_;
    QHash<QString, QByteArray> archive_;
    bool isArchive_ = false;
};

// A picture's bytes decoded, once its header has shown a size within `maxSide`.
QImage decode(const QString& name, const QByteArray& bytes, int maxSide) {
    static const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);
    if (!bytes.startsWith(kSignature)) {
        refuse(quoted(name) + QStringLiteral(" is not a PNG picture"));
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size(); // from the header alone
    if (!size.isValid() || size.isEmpty()) {
        refuse(quoted(name) + QStringLiteral(" cannot be read"));
    }
    if (size.width() > maxSide || size.height() > maxSide) {
        refuse(
            quoted(name) +
            QStringLiteral(" is %1 pixels, more than %2 a side").arg(sizeText(size)).arg(maxSide));
    }
    // Room for the largest allowed picture, at 16 bits a channel.
    reader.setAllocationLimit(int(qint64(maxSide) * maxSide * 8 / (1024 * 1024)) + 1);
    const QImage image = reader.read();
    if (image.isNull()) {
        refuse(quoted(name) + QStringLiteral(" cannot be read"));
    }
    // Drawn as today's embedded pictures are: 32-bit RGB unless it has alpha.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

// One object of the manifest, with its place in it for messages ("toolbar.time").
class Node {
public:
    Node(QJsonObject object, QString path, QStringList* pictures)
        : object_(std::move(object)), path_(std::move(path)), pictures_(pictures) {}

    QString Path(const QString& key) const {
        return path_.isEmpty() ? key : path_ + QLatin1Char('.') + key;
    }
    bool Has(const QString& key) const { return object_.contains(key); }

    QJsonValue Need(const QString& key) const {
        if (!Has(key)) {
            refuse(QStringLiteral("the manifest has no %1").arg(quoted(Path(key))));
        }
        return object_.value(key);
    }

    [[noreturn]] void Wrong(const QString& key, const QString& what) const {
        refuse(QStringLiteral("%1 is not %2").arg(quoted(Path(key)), what));
    }

    Node Object(const QString& key) const {
        const QJsonValue value = Need(key);
        if (!value.isObject()) {
            Wrong(key, QStringLiteral("an object"));
        }
        return Node(value.toObject(), Path(key), pictures_);
    }

    QString Text(const QString& key) const {
        const QJsonValue value = Need(key);
        if (!value.isString() || value.toString().trimmed().isEmpty()) {
            Wrong(key, QStringLiteral("text"));
        }
        return value.toString();
    }
    QString OptionalText(const QString& key, const QString& fallback) const {
        return Has(key) ? Text(key) : fallback;
    }

    bool OptionalFlag(const QString& key) const {
        if (!Has(key)) {
            return false;
        }
        if (!object_.value(key).isBool()) {
            Wrong(key, QStringLiteral("true or false"));
        }
        return object_.value(key).toBool();
    }

    int Whole(const QString& key, std::optional<int> least = std::nullopt) const {
        const std::optional<int> number = whole(Need(key));
        if (!number || (least && *number < *least)) {
            Wrong(key, least ? QStringLiteral("a whole number of %1 or more").arg(*least)
                             : QStringLiteral("a whole number"));
        }
        return *number;
    }
    int OptionalWhole(const QString& key, int fallback, int least) const {
        return Has(key) ? Whole(key, least) : fallback;
    }

    QColor Colour(const QString& key) const {
        static const QRegularExpression kColour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        const QJsonValue value = Need(key);
        if (!value.isString() || !kColour.match(value.toString()).hasMatch()) {
            Wrong(key, QStringLiteral("a colour"));
        }
        return QColor(value.toString());
    }

    // [left, top, width, height] of a positive size; `fromRight`: in the full-screen
    // bar, where a negative left counts from its right end and a negative width
    // stretches to that many pixels short of it.
    QRect Rect(const QString& key, bool fromRight = false) const {
        const std::vector<int> parts = wholes(key, 4);
        if (parts.size() != 4 || (parts[0] < 0 && !fromRight) || parts[2] == 0 ||
            (parts[2] < 0 && !fromRight) || parts[3] <= 0) {
            Wrong(key, QStringLiteral("a rectangle"));
        }
        return {parts[0], parts[1], parts[2], parts[3]};
    }

    QSize Size(const QString& key) const {
        const std::vector<int> parts = wholes(key, 2);
        if (parts.size() != 2 || parts[0] < 0 || parts[1] < 0) {
            Wrong(key, QStringLiteral("a size"));
        }
        return {parts[0], parts[1]};
    }

    SkinFont Font(const QString& key) const {
        const Node font = Object(key);
        SkinFont result;
        const QJsonArray families = font.Need(QStringLiteral("family")).toArray();
        for (const QJsonValue& family : families) {
            if (family.isString() && !family.toString().trimmed().isEmpty()) {
                result.families << family.toString();
            }
        }
        if (families.isEmpty() || result.families.size() != families.size()) {
            font.Wrong(QStringLiteral("family"), QStringLiteral("a list of font families"));
        }
        const QJsonValue size = font.Need(QStringLiteral("size"));
        if (!size.isDouble() || size.toDouble() <= 0 || size.toDouble() > 200) {
            font.Wrong(QStringLiteral("size"), QStringLiteral("a font size"));
        }
        result.pointSize = size.toDouble();
        result.bold = font.OptionalFlag(QStringLiteral("bold"));
        result.italic = font.OptionalFlag(QStringLiteral("italic"));
        return result;
    }

    KeyRule Key(const QString& key) const {
        const QJsonValue value = Need(key);
        if (value.toString() == QLatin1String("top-left")) {
            return {KeyRule::Kind::TopLeft, 0};
        }
        if (value.toString() == QLatin1String("alpha")) {
            return {KeyRule::Kind::Alpha, 0};
        }
        static const QRegularExpression kColour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!value.isString() || !kColour.match(value.toString()).hasMatch()) {
            Wrong(key, QStringLiteral("a key (\"top-left\", \"alpha\" or a colour)"));
        }
        return {KeyRule::Kind::Colour, QColor(value.toString()).rgb() & 0xFFFFFFu};
    }

    SkinDock Dock(const QString& key) const {
        const Node dock = Object(key);
        return {dock.Whole(QStringLiteral("x")), dock.Whole(QStringLiteral("gap"))};
    }

    SkinText TextElement(const QString& key, bool fromRight = false) const {
        const Node text = Object(key);
        SkinText result;
        result.rect = text.Rect(QStringLiteral("rect"), fromRight);
        result.colour = text.Colour(QStringLiteral("colour"));
        result.font = text.Font(QStringLiteral("font"));
        const QString align = text.OptionalText(QStringLiteral("align"), QStringLiteral("centre"));
        if (align == QLatin1String("left")) {
            result.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        } else if (align == QLatin1String("right")) {
            result.alignment = Qt::AlignRight | Qt::AlignVCenter;
        } else if (align != QLatin1String("centre")) {
            text.Wrong(QStringLiteral("align"),
                       QStringLiteral("\"left\", \"centre\" or \"right\""));
        }
        return result;
    }

    // A picture's plain file name in the skin, noted to be read.
    QString Picture(const QString& key) const {
        const QJsonValue value = Need(key);
        const QString name = value.toString();
        if (!value.isString() || name.trimmed().isEmpty() || name.contains(QLatin1Char('/')) ||
            name.contains(QLatin1Char('\\')) || name.contains(QLatin1String("..")) ||
            name == kManifest) {
            Wrong(key, QStringLiteral("a plain file name"));
        }
        if (!pictures_->contains(name)) {
            pictures_->append(name);
        }
        return name;
    }
    QString OptionalPicture(const QString& key) const {
        return Has(key) ? Picture(key) : QString();
    }

    SkinSlider Slider(const QString& key, bool withRect) const {
        const Node bar = Object(key);
        SkinSlider slider;
        if (withRect) {
            slider.rect = bar.Rect(QStringLiteral("rect"), true);
        }
        slider.track = bar.Colour(QStringLiteral("track"));
        slider.border = bar.Colour(QStringLiteral("border"));
        slider.thumb = bar.Colour(QStringLiteral("thumb"));
        slider.thumbHover = bar.Colour(QStringLiteral("thumbHover"));
        slider.endWidth = bar.OptionalWhole(QStringLiteral("endWidth"), 0, 0);
        if (slider.endWidth > 0 || bar.Has(QStringLiteral("ends"))) {
            slider.ends = bar.Colour(QStringLiteral("ends"));
        }
        slider.disabledTrack = bar.Colour(QStringLiteral("disabledTrack"));
        slider.disabledBorder = bar.Colour(QStringLiteral("disabledBorder"));
        slider.disabledThumb = bar.Colour(QStringLiteral("disabledThumb"));
        slider.marks = bar.Colour(QStringLiteral("marks"));
        slider.thumbMinWidth = bar.OptionalWhole(QStringLiteral("thumbMinWidth"), 12, 1);
        slider.thumbRadius = bar.OptionalWhole(QStringLiteral("thumbRadius"), 2, 0);
        slider.trackPicture = bar.OptionalPicture(QStringLiteral("trackPicture"));
        slider.thumbPicture = bar.OptionalPicture(QStringLiteral("thumbPicture"));
        return slider;
    }

    std::vector<SkinButton> Buttons(const QString& key, bool fromRight) const {
        const QJsonValue value = Need(key);
        if (!value.isArray()) {
            Wrong(key, QStringLiteral("a list of buttons"));
        }
        std::vector<SkinButton> buttons;
        const QJsonArray items = value.toArray();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString path = QStringLiteral("%1[%2]").arg(Path(key)).arg(i);
            if (!items[i].isObject()) {
                refuse(QStringLiteral("%1 is not a button").arg(quoted(path)));
            }
            const Node item(items[i].toObject(), path, pictures_);
            SkinButton button;
            button.command = item.Text(QStringLiteral("command"));
            if (!kCommands.contains(button.command)) {
                item.Wrong(QStringLiteral("command"), QStringLiteral("a command of the player"));
            }
            button.name = item.OptionalText(QStringLiteral("name"), button.command);
            button.rect = item.Rect(QStringLiteral("rect"), fromRight);
            button.picture = item.Picture(QStringLiteral("picture"));
            button.pressed = item.OptionalPicture(QStringLiteral("pressed"));
            button.disabled = item.OptionalPicture(QStringLiteral("disabled"));
            button.active = item.OptionalPicture(QStringLiteral("active"));
            buttons.push_back(button);
        }
        return buttons;
    }

private:
    // An array of `count` whole numbers; fewer where it is not one.
    std::vector<int> wholes(const QString& key, qsizetype count) const {
        const QJsonArray numbers = Need(key).toArray();
        std::vector<int> parts;
        for (const QJsonValue& number : numbers) {
            if (const std::optional<int> part = whole(number); part && numbers.size() == count) {
                parts.push_back(*part);
            }
        }
        return parts;
    }

    static std::optional<int> whole(const QJsonValue& value) {
        const double number = value.toDouble(0.5);
        if (!value.isDouble() || number != std::floor(number) || std::abs(number) > 1e6) {
            return std::nullopt;
        }
        return int(number);
    }

    QJsonObject object_;
    QString path_;
    QStringList* pictures_;
};

void readMenu(const Node& node, MenuSkin& menu) {
    menu.background = node.Colour(QStringLiteral("background"));
    menu.text = node.Colour(QStringLiteral("text"));
    menu.border = node.Colour(QStringLiteral("border"));
    menu.selectedBackground = node.Colour(QStringLiteral("selectedBackground"));
    menu.selectedText = node.Colour(QStringLiteral("selectedText"));
    menu.disabledText = node.Colour(QStringLiteral("disabledText"));
    menu.separator = node.Colour(QStringLiteral("separator"));
}

void readMain(const Node& node, MainWindowSkin& main) {
    main.background = node.Colour(QStringLiteral("background"));
    main.tile = node.Picture(QStringLiteral("tile"));
    main.display = node.Rect(QStringLiteral("display"));
    main.extra = node.Size(QStringLiteral("extra"));
    main.seekBar = node.Slider(QStringLiteral("seekBar"), false);
    const Node seekBar = node.Object(QStringLiteral("seekBar"));
    main.seekBarLeft = seekBar.Whole(QStringLiteral("left"));
    main.seekBarGap = seekBar.Whole(QStringLiteral("gap"));
    main.seekBarHeight = seekBar.Whole(QStringLiteral("height"), 1);
    main.text = node.Colour(QStringLiteral("text"));
    main.font = node.Font(QStringLiteral("font"));
    main.borderWidth = node.OptionalWhole(QStringLiteral("borderWidth"), 0, 0);
    if (main.borderWidth > 0) {
        main.border = node.Colour(QStringLiteral("border"));
    }
}

void readPlaylist(const Node& node, PlaylistSkin& playlist) {
    playlist.top = node.Picture(QStringLiteral("top"));
    playlist.middle = node.Picture(QStringLiteral("middle"));
    playlist.bottom = node.Picture(QStringLiteral("bottom"));
    playlist.key = node.Key(QStringLiteral("key"));
    const Node list = node.Object(QStringLiteral("list"));
    playlist.listLeft = list.Whole(QStringLiteral("left"), 0);
    playlist.listTop = list.Whole(QStringLiteral("top"), 0);
    playlist.listWidth = list.Whole(QStringLiteral("width"), 1);
    playlist.listBottom = list.Whole(QStringLiteral("bottom"), 0);
    playlist.total = node.Rect(QStringLiteral("total"));
    playlist.marks = node.Rect(QStringLiteral("marks"));
    playlist.grip = node.Rect(QStringLiteral("grip"));
    const Node colours = node.Object(QStringLiteral("colours"));
    playlist.text = colours.Colour(QStringLiteral("text"));
    playlist.playing = colours.Colour(QStringLiteral("playing"));
    playlist.missing = colours.Colour(QStringLiteral("missing"));
    playlist.selection = colours.Colour(QStringLiteral("selection"));
    playlist.background = colours.Colour(QStringLiteral("background"));
    playlist.scrollBar = colours.Colour(QStringLiteral("scrollBar"));
    playlist.font = node.Font(QStringLiteral("font"));
    playlist.summaryFont = node.Font(QStringLiteral("summaryFont"));
    playlist.dock = node.Dock(QStringLiteral("dock"));
}

void readFullScreenBar(const Node& node, FullScreenBarSkin& bar) {
    bar.left = node.Picture(QStringLiteral("left"));
    bar.middle = node.Picture(QStringLiteral("middle"));
    bar.right = node.Picture(QStringLiteral("right"));
    bar.key = node.Key(QStringLiteral("key"));
    bar.margin = node.Whole(QStringLiteral("margin"), 0);
    bar.bottom = node.Whole(QStringLiteral("bottom"), 0);
    bar.buttons = node.Buttons(QStringLiteral("buttons"), true);
    bar.time = node.TextElement(QStringLiteral("time"), true);
    bar.seekBar = node.Slider(QStringLiteral("seekBar"), true);
    bar.volume = node.Slider(QStringLiteral("volume"), true);
}

// Everything the manifest says, checked for kinds and presence; the names of
// the pictures it names go to `pictures`.
void readManifest(const QByteArray& json, Skin& skin, QStringList& pictures) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        refuse(QStringLiteral("skin.json is not JSON: %1 at %2")
                   .arg(error.errorString())
                   .arg(error.offset));
    }
    if (!document.isObject()) {
        refuse(QStringLiteral("skin.json is not one JSON object"));
    }
    const Node top(document.object(), QString(), &pictures);
    const QJsonValue format = top.Need(QStringLiteral("format"));
    if (!format.isDouble()) {
        top.Wrong(QStringLiteral("format"), QStringLiteral("a number"));
    }
    if (format.toDouble() != 1) {
        refuse(
            QStringLiteral("\"format\" is %1; this player reads format 1").arg(format.toDouble()));
    }
    skin.name = top.Text(QStringLiteral("name"));
    skin.author = top.OptionalText(QStringLiteral("author"), QString());
    skin.focus = top.Colour(QStringLiteral("focus"));
    readMenu(top.Object(QStringLiteral("menu")), skin.menu);
    const Node notice = top.Object(QStringLiteral("notice"));
    skin.notice.background = notice.Colour(QStringLiteral("background"));
    skin.notice.text = notice.Colour(QStringLiteral("text"));
    skin.notice.border = notice.Colour(QStringLiteral("border"));
    skin.notice.font = notice.Font(QStringLiteral("font"));
    readMain(top.Object(QStringLiteral("main")), skin.main);

    const Node strip = top.Object(QStringLiteral("titleStrip"));
    skin.titleStrip.picture = strip.Picture(QStringLiteral("picture"));
    skin.titleStrip.key = strip.Key(QStringLiteral("key"));
    skin.titleStrip.title = strip.TextElement(QStringLiteral("title"));
    skin.titleStrip.dock = strip.Dock(QStringLiteral("dock"));

    const Node toolbar = top.Object(QStringLiteral("toolbar"));
    skin.toolbar.picture = toolbar.Picture(QStringLiteral("picture"));
    skin.toolbar.key = toolbar.Key(QStringLiteral("key"));
    skin.toolbar.buttons = toolbar.Buttons(QStringLiteral("buttons"), false);
    skin.toolbar.time = toolbar.TextElement(QStringLiteral("time"));
    skin.toolbar.dock = toolbar.Dock(QStringLiteral("dock"));

    readPlaylist(top.Object(QStringLiteral("playlist")), skin.playlist);
    readFullScreenBar(top.Object(QStringLiteral("fullScreenBar")), skin.fullScreenBar);
}

// Each named picture and its @2x twin where the skin has one, sizes checked
// before decoding.
void readPictures(const SkinFiles& files, const QStringList& names, Skin& skin) {
    for (const QString& name : names) {
        const QImage picture = decode(name, files.Read(name), kMaxSide);
        skin.pictures.insert(name, picture);
        const QString twin = twinName(name);
        if (files.Has(twin)) {
            const QImage large = decode(twin, files.Read(twin), kMaxTwinSide);
            if (large.size() != picture.size() * 2) {
                refuse(QStringLiteral("%1 is %2 pixels, not twice %3 (%4)")
                           .arg(quoted(twin), sizeText(large.size()), quoted(name),
                                sizeText(picture.size())));
            }
            skin.pictures.insert(twin, large);
        }
    }
}

// `where`: the picture the rectangle lies in, quoted, or words for it.
void checkInside(const QRect& rect, const QString& what, const QString& where,
                 const QRect& bounds) {
    if (!bounds.contains(rect)) {
        refuse(QStringLiteral("%1 lies outside %2").arg(what, where));
    }
}

void checkInPicture(const Skin& skin, const QRect& rect, const QString& what,
                    const QString& picture) {
    checkInside(rect, what, quoted(picture), QRect(QPoint(0, 0), skin.Original(picture).size()));
}

// In the full-screen bar only the top and bottom of an element are known
// before the bar has its width.
void checkInBar(const Skin& skin, const QRect& rect, const QString& what) {
    const int height = skin.Original(skin.fullScreenBar.left).height();
    checkInside(QRect(0, rect.top(), 1, rect.height()), what,
                QStringLiteral("the full-screen bar's %1 pixels of height").arg(height),
                QRect(0, 0, 1, height));
}

void checkButtons(const Skin& skin, const std::vector<SkinButton>& buttons, const QString& window,
                  bool inBar) {
    for (const SkinButton& button : buttons) {
        const QString what = QStringLiteral("%1 button's rectangle").arg(quoted(button.command));
        const QSize size = skin.Original(button.picture).size();
        if (button.rect.size() != size) {
            refuse(QStringLiteral("%1 is %2 pixels, not the size of %3 (%4)")
                       .arg(what, sizeText(button.rect.size()), quoted(button.picture),
                            sizeText(size)));
        }
        for (const QString& look : {button.pressed, button.disabled, button.active}) {
            if (!look.isEmpty() && skin.Original(look).size() != size) {
                refuse(QStringLiteral("%1 is %2 pixels, not the size of %3 (%4)")
                           .arg(quoted(look), sizeText(skin.Original(look).size()),
                                quoted(button.picture), sizeText(size)));
            }
        }
        if (inBar) {
            checkInBar(skin, button.rect, what);
        } else {
            checkInPicture(skin, button.rect, what, window);
        }
    }
}

void checkOpaque(const Skin& skin, const QString& picture, const KeyRule& key) {
    if (OutlineOf(skin.Original(picture), key).isEmpty()) {
        refuse(QStringLiteral("the key leaves nothing of %1").arg(quoted(picture)));
    }
}

void checkButtonsOpaque(const Skin& skin, const std::vector<SkinButton>& buttons,
                        const KeyRule& key) {
    for (const SkinButton& button : buttons) {
        for (const QString& look :
             {button.picture, button.pressed, button.disabled, button.active}) {
            if (!look.isEmpty()) {
                checkOpaque(skin, look, key);
            }
        }
    }
}

void checkSameSide(const Skin& skin, const QStringList& pictures, bool widths) {
    const auto side = [&](const QString& name) {
        const QSize size = skin.Original(name).size();
        return widths ? size.width() : size.height();
    };
    for (const QString& picture : pictures) {
        if (side(picture) != side(pictures[0])) {
            refuse(QStringLiteral("%1 is %2 pixels %3, not %4 like %5")
                       .arg(quoted(picture))
                       .arg(side(picture))
                       .arg(widths ? QStringLiteral("wide") : QStringLiteral("high"))
                       .arg(side(pictures[0]))
                       .arg(quoted(pictures[0])));
        }
    }
}

// The places of the elements in their pictures, and what the keys leave.
void checkGeometry(const Skin& skin) {
    const TitleStripSkin& strip = skin.titleStrip;
    checkOpaque(skin, strip.picture, strip.key);
    checkInPicture(skin, strip.title.rect, QStringLiteral("\"titleStrip.title.rect\""),
                   strip.picture);

    const ToolbarSkin& toolbar = skin.toolbar;
    checkOpaque(skin, toolbar.picture, toolbar.key);
    checkButtons(skin, toolbar.buttons, toolbar.picture, false);
    checkButtonsOpaque(skin, toolbar.buttons, toolbar.key);
    checkInPicture(skin, toolbar.time.rect, QStringLiteral("\"toolbar.time.rect\""),
                   toolbar.picture);

    const PlaylistSkin& list = skin.playlist;
    checkSameSide(skin, {list.top, list.middle, list.bottom}, true);
    for (const QString& slice : {list.top, list.middle, list.bottom}) {
        checkOpaque(skin, slice, list.key);
    }
    if (list.listLeft + list.listWidth > skin.Original(list.top).width()) {
        refuse(
            QStringLiteral("\"playlist.list\" lies outside the width of %1").arg(quoted(list.top)));
    }
    checkInPicture(skin, list.total, QStringLiteral("\"playlist.total\""), list.bottom);
    checkInPicture(skin, list.marks, QStringLiteral("\"playlist.marks\""), list.bottom);
    checkInPicture(skin, list.grip, QStringLiteral("\"playlist.grip\""), list.bottom);

    const FullScreenBarSkin& bar = skin.fullScreenBar;
    checkSameSide(skin, {bar.left, bar.middle, bar.right}, false);
    for (const QString& slice : {bar.left, bar.middle, bar.right}) {
        checkOpaque(skin, slice, bar.key);
    }
    checkButtons(skin, bar.buttons, bar.left, true);
    checkButtonsOpaque(skin, bar.buttons, bar.key);
    checkInBar(skin, bar.time.rect, QStringLiteral("\"fullScreenBar.time.rect\""));
    checkInBar(skin, bar.seekBar.rect, QStringLiteral("\"fullScreenBar.seekBar.rect\""));
    checkInBar(skin, bar.volume.rect, QStringLiteral("\"fullScreenBar.volume.rect\""));
}

// Whether a key rule keeps a pixel of a 32-bit picture (RGB32 or ARGB32).
bool keeps(const KeyRule& key, QRgb keyColour, QRgb pixel) {
    return key.kind == KeyRule::Kind::Alpha ? qAlpha(pixel) != 0 : (pixel & 0xFFFFFFu) != keyColour;
}

QImage asArgb32(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
               ? picture
               : picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                   : QImage::Format_RGB32);
}

QRgb keyColourOf(const QImage& image, const KeyRule& key) {
    return key.kind == KeyRule::Kind::Colour ? key.colour & 0xFFFFFFu
                                             : image.pixel(0, 0) & 0xFFFFFFu;
}

} // namespace

QFont SkinFont::At(double scale) const {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize * scale);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QString SkinId(const QString& path) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    QString id = info.fileName();
    if (!info.isDir() && id.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)) {
        id.chop(4);
    }
    return id;
}

Skin ReadSkin(const QString& path) {
    Skin skin;
    skin.id = SkinId(path);
    skin.location = path;
    try {
        const SkinFiles files(path);
        QStringList pictures;
        readManifest(files.Read(kManifest), skin, pictures);
        readPictures(files, pictures, skin);
        checkGeometry(skin);
    } catch (const Problem& problem) {
        throw SkinError(
            QStringLiteral("The skin \"%1\" cannot be used: %2.").arg(skin.id, problem.text));
    }
    return skin;
}

QImage Skin::Original(const QString& file) const {
    return pictures.value(file);
}

SkinPicture Skin::Picture(const QString& file, const KeyRule& key, double scale) const {
    const QImage original = Original(file);
    if (original.isNull() || scale <= 0) {
        return {};
    }
    if (qFuzzyCompare(scale, 1.0)) {
        return {original, OutlineOf(original, key)};
    }
    const QImage twin = scale > 1 ? Original(twinName(file)) : QImage();
    const QImage source = asArgb32(twin.isNull() ? original : twin);
    const QRegion outline = OutlineOf(source, key);
    if (!twin.isNull() && qFuzzyCompare(scale, 2.0)) {
        return {twin, outline};
    }
    // Key pixels see-through before scaling: smoothing mixes neighbours, and a
    // key colour mixed into the edges would show as a fringe.
    QImage clear = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb keyColour = keyColourOf(source, key);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(clear.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if (!keeps(key, keyColour, in[x])) {
                out[x] = 0;
            }
        }
    }
    return {clear.scaled(Scaled(original.size(), scale), Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation),
            Scaled(outline, twin.isNull() ? scale : scale / 2)};
}

int Scaled(int pixels, double scale) {
    return qRound(pixels * scale);
}

QRect Scaled(const QRect& rect, double scale) {
    const int left = Scaled(rect.x(), scale);
    const int top = Scaled(rect.y(), scale);
    // A negative width is a distance from the full-screen bar's right end, not an edge.
    const int width = rect.width() < 0 ? Scaled(rect.width(), scale)
                                       : Scaled(rect.x() + rect.width(), scale) - left;
    return {left, top, width, Scaled(rect.y() + rect.height(), scale) - top};
}

QSize Scaled(const QSize& size, double scale) {
    return {Scaled(size.width(), scale), Scaled(size.height(), scale)};
}

QPoint Scaled(const QPoint& point, double scale) {
    return {Scaled(point.x(), scale), Scaled(point.y(), scale)};
}

QRegion Scaled(const QRegion& outline, double scale) {
    std::vector<QRect> rects;
    rects.reserve(size_t(outline.rectCount()));
    for (const QRect& rect : outline) {
        const QRect scaled = Scaled(rect, scale);
        if (!scaled.isEmpty()) {
            rects.push_back(scaled);
        }
    }
    QRegion region;
    if (scale >= 1) {
        // Rounding is monotonic and keeps every gap at 1 pixel or more: the
        // rectangles stay sorted and banded as a region keeps them.
        region.setRects(rects.data(), int(rects.size()));
    } else {
        for (const QRect& rect : rects) {
            region += rect;
        }
    }
    return region;
}

QRegion OutlineOf(const QImage& picture, const KeyRule& key) {
    if (key.kind == KeyRule::Kind::TopLeft) {
        return GetSkinRegion(picture);
    }
    if (picture.isNull()) {
        return {};
    }
    const QImage image = asArgb32(picture);
    const QRgb keyColour = keyColourOf(image, key);
    std::vector<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width();) {
            if (!keeps(key, keyColour, row[x])) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < image.width() && keeps(key, keyColour, row[x])) {
                ++x;
            }
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), int(runs.size()));
    return region;
}

} // namespace quarn
