// Watching films on a private desktop: the hours in the time label, a click
// on the seek bar, the controls in full screen, the picture's menu and its
// tracks, speed, screenshots, loop and shuffle from the desktop, and a film
// taken up again where it was left.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QRgb kFrame = qRgb(88, 149, 193); // the toolbar's frame colour, the time's too

class FilmE2ETest : public quarn::e2e::PlayerDriver {
protected:
    QVariant property(const char* name) { return mpris(QString::fromLatin1(name)); }
    double seconds() { return property("Position").toLongLong() / 1e6; }
    // How many pixels of the time's colour a column of the time label holds.
    int lettering(const QImage& shot, int x) {
        const QRect label = timeLabel();
        int count = 0;
        for (int y = label.top(); y <= label.bottom(); ++y) {
            count += near(shot.pixel(label.left() + x, y), kFrame, 24) ? 1 : 0;
        }
        return count;
    }
};

} // namespace

TEST_F(FilmE2ETest, HoursTheSeekBarFullScreenControlsTracksSpeedScreenshotsLoopAndResume) {
    startSession();
    QTemporaryDir pictures;
    QProcessEnvironment env;
    env.insert(u"XDG_PICTURES_DIR"_s, pictures.path());
    start({u"--"_s, media::SlideShow()}, env);
    ASSERT_TRUE(
        XSession::waitUntil([&] { return property("Metadata").isValid() && seconds() > 0; }, 8000));

    // Past the first hour: both times whole inside the label, none of their
    // lettering cut at its edges.
    playerctl({u"position"_s, u"3907"_s});
    ASSERT_TRUE(XSession::waitUntil([&] { return seconds() >= 3907; }, 5000));
    QThread::msleep(1200);
    const QImage hours = session->screenshot();
    int lettered = 0;
    for (int x = 0; x < kTimeLabel.width(); ++x) {
        lettered += lettering(hours, x) > 0;
    }
    EXPECT_GT(lettered, 30) << "both times are drawn";
    for (int x : {0, 1, kTimeLabel.width() - 2, kTimeLabel.width() - 1}) {
        EXPECT_EQ(lettering(hours, x), 0) << "lettering cut at column " << x;
    }

    // A click on the seek bar's track, a quarter along, jumps there: the
    // thumb's middle (12 pixels wide) comes to the place clicked.
    // The bar lies 200 twips below the video, as wide as it, its arrows 9 pixels.
    const QSize video = main().size() - QSize(13, 33);
    const QRect bar(main().left() + 8 + 9, main().top() + video.height() + 13, video.width() - 18,
                    9);
    session->click(QPoint(bar.left() + bar.width() / 4, bar.center().y()));
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            const double along = (bar.width() / 4 - 6.0) / (bar.width() - 12);
            return std::abs(seconds() - along * 4200) < 4200 * 0.04;
        },
        3000))
        << seconds();

    // Full screen: the controls come with the pointer and go when it is still.
    session->key(u"f"_s);
    ASSERT_TRUE(XSession::waitUntil([&] { return main() == QRect(QPoint(0, 0), screen); }, 3000));
    const QRect controls(screen.width() / 2 - 100, screen.height() - 24 - 30, 200, 14);
    QThread::msleep(2600);
    const QImage without = session->screenshot().copy(controls);
    session->moveMouse(QPoint(screen.width() / 2, screen.height() / 2));
    session->moveMouse(QPoint(screen.width() / 2 + 30, screen.height() / 2 + 20));
    EXPECT_TRUE(
        XSession::waitUntil([&] { return session->screenshot().copy(controls) != without; }, 2000))
        << "no controls on a pointer move";
    EXPECT_TRUE(
        XSession::waitUntil([&] { return session->screenshot().copy(controls) == without; }, 4000))
        << "the controls stay with the pointer still";
    session->key(u"Escape"_s);
    ASSERT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000));

    // A film with two sound and two subtitle tracks, played round: the
    // picture's menu switches its subtitles and the words on it change.
    open(media::FilmWithTracks());
    ASSERT_TRUE(fits({160, 120}));
    session->key(u"l"_s);
    EXPECT_TRUE(
        XSession::waitUntil([&] { return property("LoopStatus").toString() == "Track"; }, 2000));
    const QRect words = videoArea().adjusted(0, videoArea().height() * 2 / 3, 0, 0);
    QThread::msleep(800);
    const QImage english = grab(words);
    session->click(videoArea().center(), 3);
    ASSERT_TRUE(waitFor([&] { return session->pointerGrabbed(); })) << "no menu";
    // Subtitles (the third entry), and in it the third: off, eng, deu.
    for (const char* step : {"Down", "Down", "Down", "Right", "Down", "Down", "Return"}) {
        session->key(QString::fromLatin1(step));
    }
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(words) != english; }, 3000))
        << "the subtitles did not change";

    // Slower by a tenth with "[", through the desktop's rate too.
    session->key(u"bracketleft"_s);
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return std::abs(property("Rate").toDouble() - 0.9) < 1e-6; }, 2000));
    // S saves the frame, at the video's size, among the user's pictures.
    session->key(u"s"_s);
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return !QDir(pictures.path()).entryList(QDir::Files).isEmpty(); }, 4000));
    const QStringList shots = QDir(pictures.path()).entryList(QDir::Files);
    ASSERT_EQ(shots.size(), 1);
    EXPECT_TRUE(shots.first().startsWith("film-with-tracks ")) << qPrintable(shots.first());
    EXPECT_EQ(QImage(pictures.filePath(shots.first())).size(), QSize(160, 120));
    // Loop and shuffle from the desktop.
    playerctl({u"loop"_s, u"Playlist"_s});
    playerctl({u"shuffle"_s, u"On"_s});
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return property("LoopStatus").toString() == "Playlist" && property("Shuffle").toBool();
        },
        2000));

    // A two-minute clip left at 0:40 starts there again after a restart.
    const QString clip = media::Pattern(160, 120, 25, 120);
    open(clip);
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return playerctl({"metadata", "xesam:title"}) == QFileInfo(clip).fileName() &&
                   seconds() > 0.5;
        },
        5000));
    playerctl({u"position"_s, u"40"_s});
    ASSERT_TRUE(XSession::waitUntil([&] { return seconds() >= 40; }, 3000));
    EXPECT_EQ(exit(), u"exit status 0"_s);
    start({u"--"_s, clip}, env);
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            const double at = seconds();
            return at >= 39 && at < 45;
        },
        5000))
        << seconds();
}
