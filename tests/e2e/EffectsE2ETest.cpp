// The screen-effects menu of the real player on a private desktop: the melt
// effect, with the player playing on under it, and the About box.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <vector>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QString kAboutCaption = u"About..."_s;

// The screen-effects menu's items, below the point where it was popped up,
// and the About box's elements.
const QPoint kFirstMenuItem(40, 11);
const int kMenuItemHeight = 21;
const QRect kPicture1(40, 40, 106, 144);
const QRect kMyWinVer(192, 304, 121, 25);
const QPoint kOK(48 + 132, 336 + 12);
const QPoint kBackground(20, 250); // no element there

constexpr int kMelter = 0;
constexpr int kAbout = 1;

// A desktop of large squares: a smear shows along their edges and grows as
// the effect goes on.
QImage checkerTile() {
    QImage tile(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            tile.setPixel(
                x, y, ((x / 64) + (y / 64)) % 2 ? qRgb(0xf0, 0xc0, 0x20) : qRgb(0x20, 0x60, 0xc0));
        }
    }
    return tile;
}

// Pixels that differ between two screenshots, leaving out an area.
int differingPixels(const QImage& a, const QImage& b, const QRegion& leaveOut = {}) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (rowA[x] != rowB[x] && !leaveOut.contains(QPoint(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

// The animation's pictures: 0 the stored one, 1 to 4 the frame files beside
// the program.
std::vector<QImage> aboutPictures() {
    std::vector<QImage> pictures{QImage(QStringLiteral(QUARN_SKINS_DIR "/about-picture1.png"))};
    const QDir programDir = QFileInfo(QStringLiteral(QUARN_PROGRAM_PATH)).dir();
    for (int frame = 1; frame <= 4; ++frame) {
        pictures.push_back(QImage(programDir.filePath(u"quarn %1.bmp"_s.arg(frame))));
    }
    for (QImage& picture : pictures) {
        picture = picture.convertToFormat(QImage::Format_RGB32);
    }
    return pictures;
}

// Which of the pictures the screen shows at `at`, judged by the picture's
// opaque pixels; -1 for none.
int pictureShown(const QImage& screen, QPoint at, const std::vector<QImage>& pictures) {
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const QImage& picture = pictures[i];
        const QRgb key = picture.pixel(0, 0);
        int opaque = 0;
        int same = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) != key) {
                    ++opaque;
                    same += screen.pixel(at + QPoint(x, y)) == picture.pixel(x, y);
                }
            }
        }
        if (opaque > 0 && same > opaque * 98 / 100) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int next(int frame) {
    return frame >= 0 && frame < 4 ? frame + 1 : 1;
}

class EffectsE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // Pops the screen-effects menu up from the toolbar and clicks an item
    // (none: closes the menu with Escape).
    void choose(std::optional<int> item) {
        const QPoint popup = toolbarButton(kScreenEffects);
        // The menu opens with its corner at the pointer.
        const QRect menuArea(popup + QPoint(10, 5), QSize(80, 30));
        const QImage without = grab(menuArea);
        session->click(popup);
        if (!waitFor([&] { return grab(menuArea) != without; })) {
            throw std::runtime_error("no screen-effects menu");
        }
        QThread::msleep(100);
        if (item) {
            session->click(popup + kFirstMenuItem + QPoint(0, *item * kMenuItemHeight));
        } else {
            session->key(u"Escape"_s);
        }
    }

    // The effect's window: on the screen besides the player's own windows
    // and, having no caption of its own, named after the program.
    std::vector<QRect> effectWindows() {
        std::vector<QRect> found;
        for (quint64 window : session->windows(kMainCaption)) {
            if (window != windows.main && session->isViewable(window)) {
                found.push_back(session->frameGeometry(window));
            }
        }
        return found;
    }
    bool waitForMelting(bool melting, int timeoutMs = 5000) {
        return waitFor([&] { return effectWindows().empty() != melting; }, timeoutMs);
    }

    // The player's own windows (which go on changing: the time, the video),
    // with a margin. Known by their identities: the effect's window, having no
    // caption of its own, is named after the program.
    QRegion playerWindows() {
        QRegion area;
        for (quint64 window : {windows.main, windows.titleStrip, windows.toolbar}) {
            area += session->geometry(window).adjusted(-4, -4, 4, 4);
        }
        return area;
    }

    // Waits until at least this share of the screen differs from `reference`.
    bool waitForSmear(const QImage& reference, double share) {
        const int wanted = int(reference.width() * reference.height() * share);
        return XSession::waitUntil(
            [&] { return differingPixels(reference, session->screenshot()) >= wanted; }, 6000, 50);
    }

    // Waits until the desktop (all but the player's windows) is as it was.
    bool waitForDesktopAsBefore(const QImage& before) {
        return XSession::waitUntil(
            [&] { return differingPixels(before, session->screenshot(), playerWindows()) == 0; },
            3000, 50);
    }
};

} // namespace

TEST_F(EffectsE2ETest, TheScreenEffectsMenuMeltsTheScreenWhilePlayingOnAndShowsTheAboutBox) {
    startSession();
    session->setDesktopBackground(checkerTile());
    start();
    ASSERT_TRUE(waitFor([&] { return docked(); })) << qPrintable(describeWindows());

    // Closed without a choice, the menu does nothing.
    const QImage before = session->screenshot();
    choose(std::nullopt);
    EXPECT_TRUE(waitForDesktopAsBefore(before));
    EXPECT_TRUE(holdsFor(
        300, [&] { return effectWindows().empty() && session->windows(kAboutCaption).empty(); }));

    // The Melter smears the desktop around the player as much as the player:
    // the effect's own window covers the whole screen.
    choose(kMelter);
    ASSERT_TRUE(waitForMelting(true)) << qPrintable(session->output(player));
    ASSERT_TRUE(waitForSmear(before, 0.02));
    EXPECT_GT(differingPixels(before, session->screenshot(), playerWindows()),
              0.01 * before.width() * before.height());
    EXPECT_EQ(effectWindows(), std::vector<QRect>{QRect(0, 0, 1280, 1024)});
    // Keys that type no character leave it running, Delete too (whose X
    // event brings a DEL along); a letter ends it, and the screen is as before.
    for (const char* key : {"Delete", "Left", "F5", "shift", "Home"}) {
        session->key(QString::fromLatin1(key));
    }
    EXPECT_FALSE(waitForMelting(false, 600)) << "ended by a key that types nothing";
    session->key(u"a"_s);
    ASSERT_TRUE(waitForMelting(false));
    EXPECT_TRUE(waitForDesktopAsBefore(before))
        << differingPixels(before, session->screenshot(), playerWindows());

    // A plain desktop now: the second run must melt it, not the first run's
    // picture; a click ends it.
    const QRgb plain = qRgb(0x30, 0xa0, 0x50);
    session->setDesktopBackground(QColor(plain));
    const QImage plainBefore = session->screenshot();
    choose(kMelter);
    ASSERT_TRUE(waitForMelting(true));
    ASSERT_TRUE(waitForSmear(plainBefore, 0.001));
    const QImage second = session->screenshot();
    for (const QPoint corner : {QPoint(10, 10), QPoint(1270, 10), QPoint(10, 1014)}) {
        EXPECT_EQ(second.pixel(corner), plain) << corner.x() << "," << corner.y();
    }
    session->click(QPoint(640, 100));
    ASSERT_TRUE(waitForMelting(false));
    EXPECT_TRUE(waitForDesktopAsBefore(plainBefore));

    // The About box opens in the middle of the screen, over the toolbar: the
    // player (the toolbar follows it) moves out of its way first.
    const std::vector<QImage> pictures = aboutPictures();
    session->drag(main().topLeft() + QPoint(3, 3), QPoint(40, 80));
    ASSERT_TRUE(waitFor([&] { return toolbar().right() < 400 && docked(); }));
    choose(kAbout);
    const auto box = session->waitForWindow(kAboutCaption);
    ASSERT_TRUE(box);
    const QRect at = session->geometry(*box);
    EXPECT_EQ(at.size(), QSize(358, 402));
    const QPoint picture = at.topLeft() + kPicture1.topLeft();
    // The stored picture first (for 200 ms), then the frames from frame 2:
    // every change goes on to the next frame, 2, 3, 4, 1, one every 200 ms.
    int first = -1;
    XSession::waitUntil(
        [&] { return (first = pictureShown(session->screenshot(), picture, pictures)) >= 0; }, 2000,
        10);
    EXPECT_TRUE(first == 0 || first == 2) << first;
    QThread::msleep(400);
    std::vector<std::pair<qint64, int>> changes;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        const int shown = pictureShown(session->screenshot(), picture, pictures);
        ASSERT_GE(shown, 1) << "an animation frame at " << clock.elapsed() << " ms";
        if (changes.empty() || changes.back().second != shown) {
            changes.emplace_back(clock.elapsed(), shown);
        }
        QThread::msleep(15);
    }
    ASSERT_GE(changes.size(), 8u);
    for (std::size_t i = 1; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].second, next(changes[i - 1].second)) << "change " << i;
    }
    const double interval =
        double(changes.back().first - changes[1].first) / double(changes.size() - 2);
    EXPECT_GT(interval, 150);
    EXPECT_LT(interval, 260);
    // A move with the right button held over the background writes the
    // colour there on the version line; with the left button nothing shows.
    const QRect line = kMyWinVer.translated(at.topLeft());
    const QImage empty = grab(line);
    session->drag(at.topLeft() + kBackground, at.topLeft() + kBackground + QPoint(10, 10), 1);
    EXPECT_TRUE(holdsFor(300, [&] { return grab(line) == empty; })) << "the left button shows";
    session->drag(at.topLeft() + kBackground, at.topLeft() + kBackground + QPoint(10, 10), 3);
    EXPECT_TRUE(waitFor([&] { return differingPixels(grab(line), empty) > 50; }));
    session->click(at.topLeft() + kOK);
    EXPECT_TRUE(waitFor([&] { return !session->isViewable(*box); }));

    // Playback goes on while the screen melts: the main window fits itself
    // around the 320 x 240 video, and shrinks back when the 3-second clip
    // has played to its end, the effect still running.
    playFiles({media::VideoClip()});
    ASSERT_TRUE(fits({320, 240}));
    choose(kMelter);
    ASSERT_TRUE(waitForMelting(true));
    EXPECT_TRUE(waitFor([&] { return atRest(); }, 6000));
    EXPECT_FALSE(effectWindows().empty()) << "still melting";
    session->key(u"Escape"_s);
    ASSERT_TRUE(waitForMelting(false));
}
