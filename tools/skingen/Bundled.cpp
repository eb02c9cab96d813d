#include "Bundled.h"

#include "Skins.h"

#include <map>

namespace skingen {

namespace {

const QStringList kClassicFamilies{QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")};
const QStringList kDejaVu{QStringLiteral("DejaVu Sans")};

ButtonData button(const char* command, const char* name, QRect rect, const QString& picture,
                  ButtonGlyph glyph, const QString& pressed = {}) {
    ButtonData b;
    b.command = QString::fromLatin1(command);
    b.name = QString::fromLatin1(name);
    b.rect = rect;
    b.picture = picture;
    b.glyph = glyph;
    b.pressed = pressed;
    return b;
}

// The toolbar's six buttons, with the names the player has always given them.
std::vector<ButtonData> toolbarButtons(const QRect (&rects)[6], bool pressed) {
    const struct {
        const char* command;
        const char* name;
        const char* file;
        ButtonGlyph glyph;
    } kinds[] = {{"play", "Play", "play", ButtonGlyph::Play},
                 {"pause", "Pause", "pause", ButtonGlyph::Pause},
                 {"stop", "mStop", "stop", ButtonGlyph::Stop},
                 {"open", "mOpen", "open", ButtonGlyph::Open},
                 {"effects", "ScreenSavers", "effects", ButtonGlyph::Effects},
                 {"exit", "Options", "exit", ButtonGlyph::Exit}};
    std::vector<ButtonData> buttons;
    for (int i = 0; i < 6; ++i) {
        const QString file = QString::fromLatin1(kinds[i].file);
        buttons.push_back(button(kinds[i].command, kinds[i].name, rects[i], file + ".png",
                                 kinds[i].glyph, pressed ? file + "-down.png" : QString()));
    }
    return buttons;
}

// The full-screen bar's buttons: previous, play/pause and next from `left`,
// `step` apart; leaving full screen `leave` from the right end.
std::vector<ButtonData> barButtons(QPoint left, int step, int leave, QSize size) {
    std::vector<ButtonData> buttons{
        button("previous", "Previous", QRect(left, size), "previous.png", ButtonGlyph::Previous),
        button("play-pause", "PlayPause", QRect(left + QPoint(step, 0), size), "play.png",
               ButtonGlyph::Play),
        button("next", "Next", QRect(left + QPoint(2 * step, 0), size), "next.png",
               ButtonGlyph::Next),
        button("full-screen", "LeaveFullScreen", QRect(QPoint(-leave, left.y()), size), "leave.png",
               ButtonGlyph::LeaveFullScreen)};
    buttons[1].active = QStringLiteral("pause.png");
    buttons[1].activeGlyph = ButtonGlyph::Pause;
    return buttons;
}

// The file names every skin uses for its window pictures.
void nameWindowPictures(SkinData& s) {
    s.main.tile = QStringLiteral("tile.png");
    s.toolbar.picture = QStringLiteral("toolbar.png");
    s.playlist.top = QStringLiteral("playlist-top.png");
    s.playlist.middle = QStringLiteral("playlist-middle.png");
    s.playlist.bottom = QStringLiteral("playlist-bottom.png");
    s.bar.left = QStringLiteral("overlay-left.png");
    s.bar.middle = QStringLiteral("overlay-middle.png");
    s.bar.right = QStringLiteral("overlay-right.png");
}

// The player's own look: steel blue on dark navy. These values give the
// windows exactly as they were before skins could be changed.
SkinData classic() {
    SkinData s;
    s.folder = QStringLiteral("classic");
    s.name = QStringLiteral("Classic");
    s.author = QStringLiteral("The QUARN Media Player developers");
    s.key = QStringLiteral("top-left");
    s.focus = 0xffd46e;
    s.menu = {0x0b1522, 0xa9cbe6, 0x5895c1, 0x5895c1, 0x0b1522, 0x3a5268, 0x1d3550};
    s.notice = {0x0b1522, 0xa9cbe6, 0x5895c1, {kDejaVu, 9, true}};
    nameWindowPictures(s);

    const FontData bold{kClassicFamilies, 8.25, true};
    MainData& m = s.main;
    m.background = 0x000000;
    m.tileSize = QSize(256, 299);
    m.display = QRect(8, 8, 239, 181);
    m.extra = QSize(13, 33);
    m.seekBarLeft = 8;
    m.seekBarGap = 5;
    m.seekBarHeight = 9;
    m.seekBar = {{},       0x0b1522, 0x1d3550, 0x5895c1, 0x7ab1da, 0x162a40, 8,
                 0x0a0f16, 0x141e2a, 0x2a3a4a, 0xffd46e, 12,       2};
    m.text = 0xa9cbe6;
    m.font = {kClassicFamilies, 9.75, true};

    s.titleStrip.picture = QStringLiteral("songname.png");
    s.titleStrip.size = QSize(244, 39);
    s.titleStrip.title = {QRect(9, 12, 225, 15),
                          0x5a96c6,
                          {kClassicFamilies, 8.25, true, true},
                          QStringLiteral("centre")};
    s.titleStrip.dock = {-123, 1};

    s.toolbar.size = QSize(244, 46);
    const QRect rects[6] = {{24, 8, 17, 21},  {40, 8, 17, 21},  {56, 8, 17, 21},
                            {168, 8, 17, 21}, {184, 8, 17, 21}, {200, 8, 17, 21}};
    s.toolbar.buttons = toolbarButtons(rects, false);
    s.toolbar.time = {QRect(80, 12, 81, 17), 0x5895c1, bold, QStringLiteral("centre")};
    s.toolbar.dock = {-123, 2};

    PlaylistData& p = s.playlist;
    p.width = 244;
    p.topHeight = 24;
    p.middleHeight = 16;
    p.bottomHeight = 28;
    p.listLeft = 9;
    p.listTop = 20;
    p.listWidth = 226;
    p.listBottom = 26;
    p.total = QRect(10, 7, 72, 13);
    p.marks = QRect(138, 7, 84, 13);
    p.grip = QRect(108, 10, 28, 14);
    p.text = 0xa9cbe6;
    p.playing = 0xffd46e;
    p.missing = 0x3a5268;
    p.selection = 0x1d3550;
    p.background = 0x040910;
    p.scrollBar = 0x2f5577;
    p.font = bold;
    p.summaryFont = {kClassicFamilies, 7, true};
    p.dock = {-123, 2};

    // The buttons, the time, the seek bar and a short volume sit on the bar's
    // recessed body, clear of its rounded ends.
    BarData& b = s.bar;
    b.height = 44;
    b.capWidth = 48;
    b.middleWidth = 8;
    b.margin = 40;
    b.bottom = 24;
    b.buttons = barButtons(QPoint(32, 11), 19, 49, QSize(17, 21));
    b.time = {QRect(92, 9, 120, 26), 0xa9cbe6, bold, QStringLiteral("centre")};
    b.seekBar = m.seekBar;
    b.seekBar.rect = QRect(218, 17, -162, 9);
    b.volume = m.seekBar;
    b.volume.endWidth = 0;
    b.volume.rect = QRect(-150, 17, 90, 9);
    return s;
}

// Pale greys and white with a blue accent; a wide, short toolbar with the time
// on its left, a thin title strip, the windows a few pixels apart.
SkinData light() {
    SkinData s;
    s.folder = QStringLiteral("light");
    s.name = QStringLiteral("Light");
    s.author = QStringLiteral("The QUARN Media Player developers");
    s.key = QStringLiteral("alpha");
    s.focus = 0x2f7fd8;
    s.menu = {0xffffff, 0x1d2733, 0x8e98a5, 0x2f7fd8, 0xffffff, 0x8e98a5, 0xdfe3e8};
    s.notice = {0xffffff, 0x1d2733, 0x2f7fd8, {kDejaVu, 9, true}};
    nameWindowPictures(s);

    MainData& m = s.main;
    m.background = 0xe9ecf0;
    m.tileSize = QSize(64, 64);
    m.display = QRect(10, 10, 260, 195);
    m.extra = QSize(20, 36);
    m.seekBarLeft = 10;
    m.seekBarGap = 8;
    m.seekBarHeight = 10;
    m.seekBar = {{},       0xffffff, 0x8e98a5, 0x2f7fd8, 0x4b95e6, 0, 0,
                 0xf0f2f5, 0xc9d0d8, 0xc9d0d8, 0xe07b00, 14,       5};
    m.text = 0x1d2733;
    m.font = {kDejaVu, 10, true};

    s.titleStrip.picture = QStringLiteral("title.png");
    s.titleStrip.size = QSize(280, 30);
    s.titleStrip.title = {
        QRect(14, 9, 252, 15), 0x1d2733, {kDejaVu, 9, true}, QStringLiteral("left")};
    s.titleStrip.dock = {-140, 4};

    s.toolbar.size = QSize(280, 36);
    const QRect rects[6] = {{118, 8, 20, 20}, {140, 8, 20, 20}, {162, 8, 20, 20},
                            {196, 8, 20, 20}, {218, 8, 20, 20}, {250, 8, 20, 20}};
    s.toolbar.buttons = toolbarButtons(rects, true);
    s.toolbar.time = {QRect(14, 10, 88, 17), 0x1f5fa8, {kDejaVu, 10, true}, QStringLiteral("left")};
    s.toolbar.dock = {-140, 4};

    PlaylistData& p = s.playlist;
    p.width = 280;
    p.topHeight = 30;
    p.middleHeight = 8;
    p.bottomHeight = 30;
    p.listLeft = 10;
    p.listTop = 28;
    p.listWidth = 260;
    p.listBottom = 28;
    p.total = QRect(12, 8, 84, 15);
    p.marks = QRect(184, 8, 84, 15);
    p.grip = QRect(124, 10, 32, 12);
    p.text = 0x1d2733;
    p.playing = 0x1f5fa8;
    p.missing = 0x8a94a0;
    p.selection = 0xd4e5f9;
    p.background = 0xffffff;
    p.scrollBar = 0xaab4c0;
    p.font = {kDejaVu, 8.5};
    p.summaryFont = {kDejaVu, 7.5, true};
    p.dock = {-140, 4};

    BarData& b = s.bar;
    b.height = 40;
    b.capWidth = 20;
    b.middleWidth = 8;
    b.margin = 48;
    b.bottom = 32;
    b.buttons = barButtons(QPoint(20, 10), 24, 44, QSize(20, 20));
    b.time = {QRect(96, 11, 120, 18), 0x1d2733, {kDejaVu, 10, true}, QStringLiteral("left")};
    b.seekBar = m.seekBar;
    b.seekBar.rect = QRect(222, 15, -176, 10);
    b.volume = m.seekBar;
    b.volume.rect = QRect(-164, 15, 100, 10);
    return s;
}

Look lightLook() {
    Look l;
    l.panelTop = 0xfbfbfc;
    l.panelBottom = 0xe4e7ec;
    l.outline = 0x8e98a5;
    l.outlineWidth = 1;
    l.radius = 7;
    l.accent = 0x2f7fd8;
    l.accentHeight = 3;
    l.field = 0xffffff;
    l.fieldEdge = 0xb7c0cb;
    l.fieldEdgeWidth = 1;
    l.fieldRadius = 3;
    l.buttonTop = 0xffffff;
    l.buttonBottom = 0xe6e9ee;
    l.buttonEdge = 0xa3adb9;
    l.glyph = 0x2b3542;
    l.buttonEdgeWidth = 1;
    l.buttonRadius = 4;
    l.pressedTop = 0xc9ddf6;
    l.pressedBottom = 0xdbe8f9;
    l.pressedGlyph = 0x1a5fae;
    l.lettering = 0x6b7785;
    l.groove = 0xaab4c0;
    l.tileBase = 0xe9ecf0;
    l.tileDot = 0xdde1e7;
    l.alphaKey = true;
    return l;
}

// For low vision: black and white with yellow, every text and control at least
// 7:1 against what is behind it, larger lettering and buttons, thick outlines.
SkinData highContrast() {
    SkinData s;
    s.folder = QStringLiteral("high-contrast");
    s.name = QStringLiteral("High contrast");
    s.author = QStringLiteral("The QUARN Media Player developers");
    s.key = QStringLiteral("#ff00ff");
    s.focus = 0xffd400;
    s.menu = {0x000000, 0xffffff, 0xffffff, 0xffd400, 0x000000, 0xcccccc, 0xffffff};
    s.notice = {0x000000, 0xffffff, 0xffd400, {kDejaVu, 14, true}};
    nameWindowPictures(s);

    const FontData large{kDejaVu, 12, true};
    MainData& m = s.main;
    m.background = 0x000000;
    m.tileSize = QSize(8, 8);
    m.display = QRect(12, 12, 276, 207);
    m.extra = QSize(24, 48);
    m.seekBarLeft = 12;
    m.seekBarGap = 10;
    m.seekBarHeight = 16;
    m.seekBar = {{},       0x000000, 0xffffff, 0xffd400, 0xffffff, 0xffffff, 14,
                 0x000000, 0xcccccc, 0xcccccc, 0xffffff, 18,       0};
    m.text = 0xffffff;
    m.font = {kDejaVu, 14, true};
    m.border = 0xffffff;
    m.borderWidth = 3;

    s.titleStrip.picture = QStringLiteral("title.png");
    s.titleStrip.size = QSize(300, 40);
    s.titleStrip.title = {QRect(12, 9, 276, 22), 0xffffff, large, {}};
    s.titleStrip.dock = {-150, 0};

    s.toolbar.size = QSize(300, 46);
    const QRect rects[6] = {{8, 8, 26, 30},   {36, 8, 26, 30},  {64, 8, 26, 30},
                            {210, 8, 26, 30}, {238, 8, 26, 30}, {266, 8, 26, 30}};
    s.toolbar.buttons = toolbarButtons(rects, true);
    s.toolbar.time = {QRect(99, 11, 102, 24), 0xffd400, large, QStringLiteral("centre")};
    s.toolbar.dock = {-150, 3};

    PlaylistData& p = s.playlist;
    p.width = 300;
    p.topHeight = 36;
    p.middleHeight = 10;
    p.bottomHeight = 42;
    p.listLeft = 12;
    p.listTop = 34;
    p.listWidth = 276;
    p.listBottom = 40;
    p.total = QRect(14, 9, 114, 24);
    p.marks = QRect(172, 9, 114, 24);
    p.grip = QRect(134, 10, 32, 22);
    p.text = 0xffffff;
    p.playing = 0xffd400;
    p.missing = 0xcccccc;
    p.selection = 0x333333;
    p.background = 0x000000;
    p.scrollBar = 0xffffff;
    p.font = {kDejaVu, 11, true};
    p.summaryFont = {kDejaVu, 11, true};
    p.dock = {-150, 3};

    BarData& b = s.bar;
    b.height = 52;
    b.capWidth = 20;
    b.middleWidth = 8;
    b.margin = 40;
    b.bottom = 24;
    b.buttons = barButtons(QPoint(20, 11), 30, 50, QSize(26, 30));
    b.time = {QRect(116, 11, 170, 30), 0xffffff, large, QStringLiteral("left")};
    b.seekBar = m.seekBar;
    b.seekBar.rect = QRect(292, 18, -208, 16);
    b.volume = m.seekBar;
    b.volume.endWidth = 0;
    b.volume.rect = QRect(-196, 18, 130, 16);
    return s;
}

Look highContrastLook() {
    Look l;
    l.panelTop = l.panelBottom = 0x000000;
    l.outline = 0xffffff;
    l.outlineWidth = 3;
    l.radius = 5;
    l.accent = 0xffd400;
    l.accentHeight = 2;
    l.field = 0x000000;
    l.fieldEdge = 0xffffff;
    l.fieldEdgeWidth = 2;
    l.fieldRadius = 2;
    l.buttonTop = l.buttonBottom = 0x000000;
    l.buttonEdge = 0xffffff;
    l.glyph = 0xffd400;
    l.buttonEdgeWidth = 2;
    l.buttonRadius = 4;
    l.pressedTop = l.pressedBottom = 0xffd400;
    l.pressedGlyph = 0x000000;
    l.lettering = 0xffffff;
    l.groove = 0xffffff;
    l.tileBase = l.tileDot = 0x000000;
    l.keyColour = qRgb(255, 0, 255);
    return l;
}

// Classic's pictures, drawn by Skins.cpp exactly as they always were.
std::vector<std::pair<QString, QImage>> classicPictures(const SkinData& skin) {
    std::vector<std::pair<QString, QImage>> pictures{{skin.toolbar.picture, ToolbarSkin()},
                                                     {skin.titleStrip.picture, SongNameSkin()}};
    std::map<QString, bool> drawn;
    for (const auto* buttons : {&skin.toolbar.buttons, &skin.bar.buttons})
        for (const ButtonData& b : *buttons)
            for (const auto& [name, glyph] :
                 {std::pair(b.picture, b.glyph), {b.active, b.activeGlyph}})
                if (!name.isEmpty() && !drawn[name]) {
                    drawn[name] = true;
                    pictures.emplace_back(name, ButtonSkin(glyph));
                }
    pictures.emplace_back(skin.main.tile, BackgroundTile());
    const SlicedSkin list = PlaylistSkin();
    pictures.emplace_back(skin.playlist.top, list.first);
    pictures.emplace_back(skin.playlist.middle, list.middle);
    pictures.emplace_back(skin.playlist.bottom, list.last);
    const SlicedSkin bar = OverlaySkin();
    pictures.emplace_back(skin.bar.left, bar.first);
    pictures.emplace_back(skin.bar.middle, bar.middle);
    pictures.emplace_back(skin.bar.right, bar.last);
    return pictures;
}

} // namespace

std::vector<BundledSkin> BundledSkins() {
    std::vector<BundledSkin> skins(3);
    skins[0].data = classic();
    skins[1].data = light();
    skins[1].look = lightLook();
    skins[1].twins = true;
    skins[2].data = highContrast();
    skins[2].look = highContrastLook();
    skins[2].minimumContrast = 7;
    return skins;
}

std::vector<std::pair<QString, QImage>> PicturesOf(const BundledSkin& skin, int scale) {
    if (!skin.look)
        return classicPictures(skin.data);
    CheckContrast(skin.data, *skin.look, skin.minimumContrast);
    return ThemedPictures(skin.data, *skin.look, scale);
}

} // namespace skingen
