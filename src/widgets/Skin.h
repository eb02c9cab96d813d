#pragma once

// A skin: how the player's windows look. A skin is a folder (or a .zip
// archive of one) holding a manifest, skin.json, and PNG pictures; the
// manifest names each window's pictures, the rectangles of its elements, its
// colours and fonts, and where the companions dock. Geometry is in pixels of
// the 1x pictures; a picture may come with an @2x twin ("toolbar@2x.png").
// docs/skins.md is the manifest's reference.
//
// ReadSkin() checks everything before anything is used: a skin that loads is
// whole, and one that does not is refused with one message naming the skin
// and its problem.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace quarn {

// Why a skin cannot be used: "The skin "NAME" cannot be used: PROBLEM".
class SkinError : public std::runtime_error {
public:
    explicit SkinError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString Message() const { return message_; }

private:
    QString message_;
};

// Which pixels of a window's pictures are cut away.
struct KeyRule {
    enum class Kind {
        TopLeft, // every pixel of the colour of the picture's top-left pixel
        Colour,  // every pixel of `colour`
        Alpha,   // every fully see-through pixel
    };
    Kind kind = Kind::TopLeft;
    QRgb colour = 0; // with Kind::Colour, alpha ignored

    friend bool operator==(const KeyRule&, const KeyRule&) = default;
};

struct SkinFont {
    QStringList families; // the first one installed is used
    double pointSize = 8.25;
    bool bold = false;
    bool italic = false;

    // The font at this size of the skin.
    QFont At(double scale) const;
};

// A text element: where it is, its colour and font.
struct SkinText {
    QRect rect; // 1x pixels, in its window's picture
    QColor colour;
    SkinFont font;
    Qt::Alignment alignment = Qt::AlignHCenter | Qt::AlignVCenter;
};

// A picture button that gives one command of the player.
struct SkinButton {
    QString command; // the command's name: "play", "pause", "stop", "open", ...
    QString name;    // the control's object name; the command's where the skin names none
    QRect rect;      // 1x pixels; its size is its picture's
    QString picture;
    QString pressed;  // "" where the button has no pressed look
    QString disabled; // "" where it looks the same while its command cannot be given
    QString active;   // shown while the command is on (a play/pause button while
                      // playing); "" where it looks the same
};

// A slider (the seek bar, the volume): a bar drawn in the skin's colours, with
// the arrow ends of a scroll bar where `ends` is set, or from pictures.
struct SkinSlider {
    QRect rect; // where it is, where the window gives it a fixed place
    QColor track, border, thumb, thumbHover, ends;
    QColor disabledTrack, disabledBorder, disabledThumb;
    QColor marks;     // the chapter marks on the track
    int endWidth = 0; // the arrow ends' width; 0: none
    int thumbMinWidth = 12;
    int thumbRadius = 2;
    QString trackPicture; // stretched over the track where given
    QString thumbPicture; // drawn as the thumb where given
};

// Where a companion docks: its left edge `x` pixels from the main window's
// middle (half its width, rounded down), `gap` pixels clear of the window it
// docks to.
struct SkinDock {
    int x = 0;
    int gap = 0;

    friend bool operator==(const SkinDock&, const SkinDock&) = default;
};

struct MainWindowSkin {
    QColor background;
    QString tile;  // tiled over the whole window
    QRect display; // the video's place, and its size while nothing plays
    QSize extra;   // the window is the display's size and this much more
    int seekBarLeft = 0;
    int seekBarGap = 0; // between the display's bottom and the seek bar's top
    int seekBarHeight = 0;
    SkinSlider seekBar;
    // What is written over the picture where there is none (an audio file's
    // title without its cover).
    QColor text;
    SkinFont font;
    // A frame of this colour and width drawn around the window; none at 0.
    QColor border;
    int borderWidth = 0;
};

struct TitleStripSkin {
    QString picture;
    KeyRule key;
    SkinText title;
    SkinDock dock; // gap above the main window
};

struct ToolbarSkin {
    QString picture;
    KeyRule key;
    std::vector<SkinButton> buttons;
    SkinText time;
    SkinDock dock; // gap below the main window
};

struct PlaylistSkin {
    QString top, middle, bottom; // the middle repeats downwards between the others
    KeyRule key;
    int listLeft = 0, listTop = 0, listWidth = 0, listBottom = 0;
    QRect total, marks, grip; // in the bottom picture
    QColor text, playing, missing, selection, background, scrollBar;
    SkinFont font;
    SkinFont summaryFont;
    SkinDock dock; // gap below the toolbar
};

// The controls over the picture in full screen: a bar along the bottom of the
// screen. Rectangles with a negative left count from the bar's right end; a
// negative width stretches to that many pixels short of it.
struct FullScreenBarSkin {
    QString left, middle, right; // the middle repeats across between the caps
    KeyRule key;
    int margin = 0; // from the screen's sides
    int bottom = 0; // from the screen's bottom
    std::vector<SkinButton> buttons;
    SkinText time;
    SkinSlider seekBar;
    SkinSlider volume;
};

struct MenuSkin {
    QColor background, text, border, selectedBackground, selectedText, disabledText, separator;
};

struct NoticeSkin {
    QColor background, text, border;
    SkinFont font;
};

// A picture at the size it is shown, and its outline (what the key rule
// leaves, in the same pixels).
struct SkinPicture {
    QImage image;
    QRegion outline;
};

class Skin {
public:
    QString id;   // the folder's or archive's name, less ".zip": "classic"
    QString name; // the manifest's: "Classic"
    QString author;
    QString location; // where it was read from
    MainWindowSkin main;
    TitleStripSkin titleStrip;
    ToolbarSkin toolbar;
    PlaylistSkin playlist;
    FullScreenBarSkin fullScreenBar;
    MenuSkin menu;
    NoticeSkin notice;
    QColor focus; // the mark of the control that has the keyboard focus

    // A picture named in the manifest at `scale` (1, 1.5, 2 ...), with its
    // outline by `key`: at 1 the picture as it is; larger, the @2x twin where
    // the skin has one (scaled down smoothly for sizes under 2), else the 1x
    // picture scaled smoothly, its outline scaled pixel by pixel. Key pixels
    // are see-through in a scaled picture (premultiplied ARGB), so no key
    // colour bleeds into its edges; at exactly 2 a twin is given as read. The
    // image is Scaled() of the 1x size. An unknown name gives a null image.
    SkinPicture Picture(const QString& file, const KeyRule& key, double scale) const;
    // The 1x picture as read (RGB32 or ARGB32); null for an unknown name.
    QImage Original(const QString& file) const;

    // Pictures by file name as read: "toolbar.png", "toolbar@2x.png".
    QHash<QString, QImage> pictures;
};

// Reads and checks the skin in a folder (or a Qt resource folder) or a .zip
// archive of one; throws SkinError naming the skin and the problem. Nothing is
// written anywhere, nothing outside the folder or archive is read, and a
// picture larger than the reader allows is refused before it is decoded.
Skin ReadSkin(const QString& path);
// The id of the skin at `path`: the folder's or archive's name, less ".zip".
QString SkinId(const QString& path);

// Sizes at a skin's size: scaled and rounded to whole pixels.
int Scaled(int pixels, double scale);
// Each edge scaled (left, top, right, bottom); a negative width, a distance
// from the full-screen bar's right end, is scaled as a distance.
QRect Scaled(const QRect& rect, double scale);
QSize Scaled(const QSize& size, double scale);
QPoint Scaled(const QPoint& point, double scale);
// An outline scaled pixel by pixel (each pixel becomes the block it covers).
QRegion Scaled(const QRegion& outline, double scale);
// Which pixels a key rule leaves opaque.
QRegion OutlineOf(const QImage& picture, const KeyRule& key);

} // namespace quarn
