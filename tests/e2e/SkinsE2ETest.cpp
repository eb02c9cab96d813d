// Skins on the real player: the bundled ones and one the user installed,
// chosen from the picture's menu while a film plays; double size on a full-HD
// screen; the choice kept for the next run; and the group whole at the
// screen's edges and centred when a file is given at launch.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::Literals::StringLiterals;
namespace media = quarn::test::media;

namespace {

const QString kSkins = QStringLiteral(QUARN_SKINS_DIR);
const QRgb kBehind = qRgb(0, 170, 60); // in no skin: what a cut-away pixel shows

class SkinsE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // A right click on the video, then these keys in the picture's menu.
    void pictureMenu(const QStringList& keys) {
        // Once nothing else holds the pointer (a menu closing, a drag).
        waitFor([&] { return !session->pointerGrabbed(); });
        session->click(videoArea().center(), 3);
        if (!waitFor([&] { return session->pointerGrabbed(); }, 2000)) {
            session->saveScreenshot(u"no-picture-menu"_s);
            FAIL() << "no picture menu";
        }
        for (const QString& key : keys) {
            // A letter opens a submenu a moment after it: keys before would
            // go to the menu above.
            const int menus = session->popupsShown();
            session->key(key);
            if (key.size() == 1 && &key != &keys.back()) {
                waitFor([&] { return session->popupsShown() > menus; }, 3000);
            }
        }
    }

    // Chooses the skin listed `index`th (bundled ones by name, then the
    // user's) in the picture's menu, or a size ("1", "2"...), and waits for
    // the windows to take it.
    void choose(const QString& folder, int index, double scale = 1) {
        QStringList keys{u"k"_s};
        for (int i = 0; i < index; ++i) {
            keys << u"Down"_s;
        }
        pictureMenu(keys << u"Return"_s);
        showing(ReadLook(folder, scale));
        ASSERT_TRUE(waitFor([&] { return toolbar().size() == toolbarSize() && docked(); }, 5000))
            << qPrintable(folder) << ": " << qPrintable(describeWindows());
    }

    // Whether a window shows its picture cut to its outline (once the window
    // system has it): every pixel the key leaves shows the picture (not the
    // desktop), every one it cuts away the desktop. Checked on the 1x picture
    // at each 1x pixel's middle.
    bool outlined(quint64 window, const QString& folder, const char* part, double scale) {
        // A skin change can take a while on a loaded machine.
        if (waitFor([&] { return outlinedNow(desktop->geometry(window), folder, part, scale); },
                    10000)) {
            return true;
        }
        grab(desktop->geometry(window)).save(QUARN_BINARY_DIR "/e2e-screenshots/not-outlined.png");
        return false;
    }
    bool outlinedNow(const QRect& on, const QString& folder, const char* window, double scale) {
        QFile file(folder + u"/skin.json"_s);
        file.open(QIODevice::ReadOnly);
        const QJsonObject part =
            QJsonDocument::fromJson(file.readAll()).object()[QLatin1String(window)].toObject();
        const QImage picture(folder + '/' + part["picture"].toString());
        const QString key = part["key"].toString();
        const QImage shown = grab(on);
        if (shown.width() < picture.width() * scale || shown.height() < picture.height() * scale) {
            return false;
        }
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                const bool cut = key == u"alpha"_s ? qAlpha(p) == 0
                                 : key == u"top-left"_s
                                     ? (p & 0xFFFFFF) == (picture.pixel(0, 0) & 0xFFFFFF)
                                     : QColor(p) == QColor(key);
                const QRgb at =
                    shown.pixel(int((x + 0.5) * scale), int((y + 0.5) * scale)) & 0xFFFFFF;
                if (cut != (at == (kBehind & 0xFFFFFF))) {
                    return false;
                }
            }
        }
        return true;
    }
};

} // namespace

TEST_F(SkinsE2ETest, EverySkinAndSizeIsChosenWhileAFilmPlaysAndKeptForTheNextRun) {
    startSession({QSize(1920, 1080)});
    session->setDesktopBackground(QColor(kBehind));
    // A skin of the user's own, as an archive in the skins folder: Classic
    // renamed, docked further from the main window.
    QTemporaryDir work;
    const QString evening = work.filePath(u"evening"_s);
    QDir().mkpath(evening);
    for (const QString& name : QDir(kSkins + u"/classic"_s).entryList(QDir::Files)) {
        QFile::copy(kSkins + u"/classic/"_s + name, evening + '/' + name);
    }
    QFile manifest(evening + u"/skin.json"_s);
    manifest.open(QIODevice::ReadOnly);
    QJsonObject skin = QJsonDocument::fromJson(manifest.readAll()).object();
    manifest.close();
    skin["name"] = u"Evening"_s;
    for (const char* window : {"titleStrip", "toolbar"}) {
        QJsonObject part = skin[QLatin1String(window)].toObject();
        part["dock"] = QJsonObject{{u"x"_s, -100}, {u"gap"_s, 9}};
        skin[QLatin1String(window)] = part;
    }
    manifest.open(QIODevice::WriteOnly | QIODevice::Truncate);
    manifest.write(QJsonDocument(skin).toJson());
    manifest.close();
    const QString installed =
        session->environment().value(u"XDG_DATA_HOME"_s) + u"/quarn-media-player/skins"_s;
    QDir().mkpath(installed);
    QProcess zip;
    zip.setWorkingDirectory(work.path());
    zip.start(u"/usr/bin/python3"_s,
              {u"-c"_s,
               u"import shutil,sys; shutil.make_archive(sys.argv[1], 'zip', '.', 'evening')"_s,
               installed + u"/evening"_s});
    ASSERT_TRUE(zip.waitForFinished(10000) && zip.exitCode() == 0);

    // And a broken one: its manifest says nothing of the toolbar.
    skin.remove(u"toolbar"_s);
    QDir().mkpath(installed + u"/broken"_s);
    QFile broken(installed + u"/broken/skin.json"_s);
    broken.open(QIODevice::WriteOnly);
    broken.write(QJsonDocument(skin).toJson());
    broken.close();

    start({u"--"_s, media::Pattern(320, 240, 25, 60)});
    ASSERT_TRUE(fits({320, 240}));
    // The broken skin is refused with a message naming it, and nothing changes.
    ASSERT_NO_FATAL_FAILURE(pictureMenu({u"k"_s, u"Down"_s, u"Down"_s, u"Down"_s, u"Return"_s}));
    // Its box bears the program's name, as the main window does.
    auto box = [&]() -> quint64 {
        for (quint64 window : session->windows(kMainCaption)) {
            if (window != windows.main && session->isViewable(window)) {
                return window;
            }
        }
        return 0;
    };
    ASSERT_TRUE(waitFor([&] { return box() != 0; }, 5000)) << "no message";
    EXPECT_TRUE(session->output(player).contains(u"The skin \"broken\" cannot be used"_s));
    const quint64 message = box();
    session->click(session->geometry(message).center());
    session->key(u"Return"_s);
    EXPECT_TRUE(waitFor([&] { return !session->isViewable(message); }));
    EXPECT_TRUE(docked() && toolbar().size() == toolbarSize());
    // Bundled skins first, by folder name, then the user's.
    const std::pair<QString, int> skins[] = {{kSkins + u"/high-contrast"_s, 1},
                                             {kSkins + u"/light"_s, 2},
                                             {evening, 4},
                                             {kSkins + u"/classic"_s, 0}};
    qlonglong before = mpris(u"Position"_s).toLongLong();
    for (const auto& [folder, index] : skins) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_NO_FATAL_FAILURE(choose(folder, index));
        ASSERT_TRUE(fits({320, 240}));
        EXPECT_TRUE(outlined(windows.toolbar, folder, "toolbar", 1));
        EXPECT_TRUE(outlined(windows.titleStrip, folder, "titleStrip", 1));
        session->saveScreenshot(u"skin-"_s + QFileInfo(folder).fileName());
        // Playback went on through the change.
        EXPECT_EQ(mpris(u"PlaybackStatus"_s).toString(), u"Playing"_s);
        const qlonglong now = mpris(u"Position"_s).toLongLong();
        EXPECT_GT(now, before);
        before = now;
        EXPECT_TRUE(pictureMoves());
    }

    // Twice the size: the toolbar is 488 x 92, and its buttons work.
    ASSERT_NO_FATAL_FAILURE(pictureMenu({u"k"_s, u"2"_s}));
    showing(ReadLook(kSkins + u"/classic"_s, 2));
    ASSERT_TRUE(waitFor([&] { return toolbar().size() == QSize(488, 92) && docked(); }, 5000))
        << qPrintable(describeWindows());
    EXPECT_TRUE(outlined(windows.toolbar, kSkins + u"/classic"_s, "toolbar", 2));
    session->saveScreenshot(u"skin-classic-2x"_s);
    clickToolbar(kPause);
    EXPECT_TRUE(waitFor([&] { return mpris(u"PlaybackStatus"_s).toString() == "Paused"; }));
    QThread::msleep(300); // the frames already on their way
    EXPECT_FALSE(pictureMoves(700));
    clickToolbar(kPlay);
    EXPECT_TRUE(pictureMoves());

    // The skin and its size are kept: the next run comes up as this one left.
    EXPECT_EQ(exit(), u"exit status 0"_s);
    start({u"--"_s, media::Pattern(320, 240, 25, 60)});
    EXPECT_TRUE(waitFor([&] { return toolbar().size() == QSize(488, 92) && docked(); }, 5000));
    EXPECT_TRUE(session->output(player).indexOf(u"cannot be used"_s) < 0);
    // Once the film shows (the group is centred around it first), Exit.
    EXPECT_TRUE(pictureMoves(10000));
    EXPECT_EQ(exit(), u"exit status 0"_s);
}

TEST_F(SkinsE2ETest, AFileAtLaunchComesUpCentredAndADraggedGroupStaysWholeOnTheScreen) {
    startSession();
    start({u"--"_s, media::Pattern(480, 270, 25, 30)});
    ASSERT_TRUE(fits({480, 270}));
    // (The window manager may move the windows a moment after their new size.)
    EXPECT_TRUE(waitFor([&] {
        const QPoint off = (titleStrip() | main() | toolbar()).center() -
                           QPoint(screen.width() / 2, screen.height() / 2);
        return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
    })) << qPrintable(describeWindows());

    // Dragged far down by its margin: the whole group stops at the bottom
    // edge, docked; dragged near the left edge, it snaps to it.
    const QPoint grip = main().topLeft() + QPoint(3, 3);
    session->drag(grip, grip + QPoint(0, 900));
    // (Above the tray host's panel, where the screen's work area ends.)
    EXPECT_TRUE(waitFor([&] {
        return docked() && toolbar().bottom() < screen.height() &&
               toolbar().bottom() > screen.height() - 60;
    })) << qPrintable(describeWindows());
    const QPoint again = main().topLeft() + QPoint(3, 3);
    session->drag(again, again - QPoint(main().left() - 6, 0));
    EXPECT_TRUE(waitFor([&] { return docked() && main().left() == 0; }))
        << qPrintable(describeWindows());
    EXPECT_TRUE(pictureMoves());
    EXPECT_EQ(exit(), u"exit status 0"_s);
}
