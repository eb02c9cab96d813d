// Draws every picture of the player's skins into the folder given on the
// command line: the bundled skins, one folder each with its skin.json, and the
// splash, About, icon and dialog pictures beside them. The output is committed; the tests
// regenerate it and compare byte for byte, so every run must write the same bytes.

#include "Artwork.h"
#include "Bundled.h"
#include "Files.h"
#include "Icons.h"
#include "Painting.h"
#include "Reference.h"
#include "Theme.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

using namespace skingen;

namespace {

// Each bundled skin into its own folder: its pictures (and their @2x twins
// where it has them) and its skin.json.
void writeWindowSkins(const QDir& dir) {
    for (const BundledSkin& skin : BundledSkins()) {
        if (!dir.mkpath(skin.data.folder))
            throw std::runtime_error("cannot create " +
                                     dir.filePath(skin.data.folder).toStdString());
        const QDir folder(dir.filePath(skin.data.folder));
        for (const auto& [name, picture] : PicturesOf(skin, 1))
            SavePng(picture, folder.filePath(name));
        if (skin.twins)
            for (const auto& [name, picture] : PicturesOf(skin, 2))
                SavePng(picture, folder.filePath(QString(name).replace(".png", "@2x.png")));
        WriteFile(folder.filePath("skin.json"), ManifestJson(skin.data));
    }
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
    // With --reference, only the pictures for skin authors (docs/skins), of
    // Classic or of the bundled skin named.
    const bool reference = (argc == 3 || argc == 4) && QByteArray(argv[1]) == "--reference";
    if (argc != 2 && !reference) {
        std::fprintf(stderr,
                     "usage: quarn-skingen <output-dir>\n"
                     "       quarn-skingen --reference <docs-dir> [classic|light|high-contrast]\n");
        return 2;
    }
    const char* path = argv[reference ? 2 : 1];
    const QDir dir(QString::fromLocal8Bit(path));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "quarn-skingen: cannot create %s\n", path);
        return 1;
    }
    try {
        if (reference) {
            const QString name = QString::fromLocal8Bit(argc == 4 ? argv[3] : "classic");
            for (const BundledSkin& skin : BundledSkins())
                if (skin.data.folder == name) {
                    WriteReference(skin, dir);
                    return 0;
                }
            throw std::runtime_error("no bundled skin " + name.toStdString());
        }
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
