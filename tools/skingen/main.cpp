// Draws every picture of the player's skin into the folder given on the
// command line. The output is committed; the tests regenerate it and compare
// byte for byte, so every run must write the same bytes.

#include "Artwork.h"
#include "Files.h"
#include "Icons.h"
#include "Painting.h"
#include "Skins.h"
#include "Theme.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

using namespace skingen;

namespace {

void writeWindowSkins(const QDir& dir) {
    SavePng(ToolbarSkin(), dir.filePath("toolbar.png"));
    SavePng(SongNameSkin(), dir.filePath("songname.png"));
    const std::pair<ButtonGlyph, const char*> buttons[] = {
        {ButtonGlyph::Play, "play.png"},       {ButtonGlyph::Pause, "pause.png"},
        {ButtonGlyph::Stop, "stop.png"},       {ButtonGlyph::Open, "open.png"},
        {ButtonGlyph::Effects, "effects.png"}, {ButtonGlyph::Exit, "exit.png"}};
    for (const auto& [glyph, name] : buttons)
        SavePng(ButtonSkin(glyph), dir.filePath(name));
    SavePng(BackgroundTile(), dir.filePath("tile.png"));
    const SlicedSkin playlist = PlaylistSkin();
    SavePng(playlist.first, dir.filePath("playlist-top.png"));
    SavePng(playlist.middle, dir.filePath("playlist-middle.png"));
    SavePng(playlist.last, dir.filePath("playlist-bottom.png"));
    const SlicedSkin overlay = OverlaySkin();
    SavePng(overlay.first, dir.filePath("overlay-left.png"));
    SavePng(overlay.middle, dir.filePath("overlay-middle.png"));
    SavePng(overlay.last, dir.filePath("overlay-right.png"));
}

void writeSplashAndAbout(const QDir& dir) {
    SaveJpeg(SplashPicture(), dir.filePath("splash.jpg"), 90);
    SavePng(AboutPicture(), dir.filePath("about.png"));
    SavePng(AboutPicture1(), dir.filePath("about-picture1.png"));
    SavePng(AboutPicture2(), dir.filePath("about-picture2.png"));
    for (int frame = 1; frame <= 4; ++frame)
        SaveBmp24(AboutFrame(frame), dir.filePath(QStringLiteral("quarn %1.bmp").arg(frame)));
}

QImage palettised(const QImage& art) {
    const QImage opaque = Flattened(art, theme::kNavyDeep);
    return Indexed(opaque, PopularColours(opaque, 256));
}

void writeIconsAndPictures(const QDir& dir) {
    const QImage mark = ProgramIconArt();
    const QImage masked = HardEdged(mark, theme::kOutline);
    WriteFile(dir.filePath("quarn.ico"), IcoFile({{masked, 8}, {masked, 24}, {mark, 32}}));
    WriteFile(dir.filePath("menus.ico"),
              IcoFile({{HardEdged(MenusIconArt(), theme::kOutline), 8}}));
    WriteFile(dir.filePath("cmdlg.gif"), GifFile(palettised(FileDialogArt())));
    WriteFile(dir.filePath("dlgs.gif"), GifFile(palettised(DialogsArt())));
}

// The program's icon for the desktop's icon theme, one picture per size.
void writeDesktopIcons(const QDir& dir) {
    if (!dir.mkpath(QStringLiteral("icons")))
        throw std::runtime_error("cannot create " + dir.filePath("icons").toStdString());
    for (const int size : kDesktopIconSizes)
        SavePng(ProgramIconArt(size),
                dir.filePath(QStringLiteral("icons/quarn-media-player-%1.png").arg(size)));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quarn-skingen <output-dir>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "quarn-skingen: cannot create %s\n", argv[1]);
        return 1;
    }
    try {
        writeWindowSkins(dir);
        writeSplashAndAbout(dir);
        writeIconsAndPictures(dir);
        writeDesktopIcons(dir);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quarn-skingen: %s\n", error.what());
        return 1;
    }
    return 0;
}
