#pragma once

#include "Glyphs.h"

#include <QByteArray>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

// A bundled skin as data: everything its skin.json says, and the sizes of the
// pictures drawn for it. The pictures, the manifest and the reference pictures
// for skin authors are all made from this one description.
namespace skingen {

struct FontData {
    QStringList families;
    double size = 9;
    bool bold = false;
    bool italic = false;
};

struct TextData {
    QRect rect;
    QRgb colour = 0;
    FontData font;
    QString align; // "left", "centre" or "right"; empty: not written (centre)
};

struct ButtonData {
    QString command;
    QString name;
    QRect rect;
    QString picture;
    ButtonGlyph glyph = ButtonGlyph::Play;
    QString pressed; // empty: none
    QString active;  // empty: none
    ButtonGlyph activeGlyph = ButtonGlyph::Pause;
};

struct SliderData {
    QRect rect; // in the full-screen bar; null elsewhere
    QRgb track = 0, border = 0, thumb = 0, thumbHover = 0;
    QRgb ends = 0;
    int endWidth = 0; // 0: no ends, and neither key is written
    QRgb disabledTrack = 0, disabledBorder = 0, disabledThumb = 0;
    QRgb marks = 0;
    int thumbMinWidth = 12;
    int thumbRadius = 2;
};

struct DockData {
    int x = 0;
    int gap = 0;
};

struct MainData {
    QRgb background = 0;
    QString tile;
    QSize tileSize;
    QRect display;
    QSize extra;
    int seekBarLeft = 0, seekBarGap = 0, seekBarHeight = 0;
    SliderData seekBar;
    QRgb text = 0;
    FontData font;
    QRgb border = 0; // a frame around the window, where borderWidth is above 0
    int borderWidth = 0;
};

struct TitleStripData {
    QString picture;
    QSize size;
    TextData title;
    DockData dock;
};

struct ToolbarData {
    QString picture;
    QSize size;
    std::vector<ButtonData> buttons;
    TextData time;
    DockData dock;
};

struct PlaylistData {
    QString top, middle, bottom;
    int width = 0;
    int topHeight = 0, middleHeight = 0, bottomHeight = 0;
    int listLeft = 0, listTop = 0, listWidth = 0, listBottom = 0;
    QRect total, marks, grip; // in the bottom picture
    QRgb text = 0, playing = 0, missing = 0, selection = 0, background = 0, scrollBar = 0;
    FontData font, summaryFont;
    DockData dock;
};

struct BarData {
    QString left, middle, right;
    int height = 0;
    int capWidth = 0, middleWidth = 0;
    int margin = 0, bottom = 0;
    std::vector<ButtonData> buttons;
    TextData time;
    SliderData seekBar, volume;
};

struct MenuData {
    QRgb background = 0, text = 0, border = 0, selectedBackground = 0, selectedText = 0,
         disabledText = 0, separator = 0;
};

struct NoticeData {
    QRgb background = 0, text = 0, border = 0;
    FontData font;
};

struct SkinData {
    QString folder; // under src/skins: "classic"
    QString name;
    QString author;
    QString key; // "top-left", "alpha" or "#rrggbb"
    QRgb focus = 0;
    MenuData menu;
    NoticeData notice;
    MainData main;
    TitleStripData titleStrip;
    ToolbarData toolbar;
    PlaylistData playlist;
    BarData bar;
};

// The skin.json of a skin: the keys in the reference's order, two spaces a
// level, short objects and arrays on one line; the same bytes every run.
QByteArray ManifestJson(const SkinData& skin);

// "#rrggbb".
QString ColourName(QRgb colour);

// A rectangle of the full-screen bar on a bar `width` pixels wide: a negative
// left counts from the right end, a negative width stops that far short of it.
QRect OnBar(const QRect& rect, int width);

// WCAG 2 contrast ratio of two opaque colours (1 to 21).
double ContrastRatio(QRgb a, QRgb b);

} // namespace skingen
