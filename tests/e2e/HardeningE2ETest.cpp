// The real player against what a hostile or careless world hands it: names
// that are not UTF-8, file names that look like the toolkit's options, things
// that are no files, a bus that stalls, every way the program can be ended,
// the loss of the display among them, whatever is on the screen; and damaged,
// cut-off and odd media files handed one after another to one player with the
// engine settings it ships with: each one plays or is refused in time, none
// takes the player down, the time never reads past the length, and a good
// clip plays after them all.
#include "support/DamagedMedia.h"
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"
#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <cmath>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace damaged = quarn::test::damaged;
namespace media = quarn::test::media;

namespace {

// A file plays or is refused within this; one that plays is watched until
// its end, or for kWatchMs at most.
constexpr int kAnswerMs = 10000;
constexpr int kWatchMs = 3000;
// The position read in the first second after a file opens is below 3 s.
constexpr qlonglong kStartLimit = 3'000'000;
// No file of the corpus holds more than a few seconds: a length beyond an
// hour is a damaged header's, not the media's.
constexpr qlonglong kLengthLimit = 3600'000'000;

enum class Outcome { NoAnswer, Played, Refused };

class HardeningE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // What the player tells of its playback on the bus (times in microseconds).
    struct Playback {
        QString status, track, file;
        qlonglong position = 0;
        qlonglong length = -1; // none told
    };
    Playback playback() {
        const QDBusMessage reply = mprisCall(u"org.freedesktop.DBus.Properties"_s, u"GetAll"_s,
                                             {u"org.mpris.MediaPlayer2.Player"_s});
        Playback now;
        if (reply.arguments().isEmpty()) {
            return now;
        }
        const auto all = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
        const auto metadata = qdbus_cast<QVariantMap>(all.value(u"Metadata"_s));
        now.status = all.value(u"PlaybackStatus"_s).toString();
        now.position = all.value(u"Position"_s).toLongLong();
        now.track = metadata.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path();
        now.file = QUrl(metadata.value(u"xesam:url"_s).toString()).toLocalFile();
        now.length = metadata.value(u"mpris:length"_s, -1).toLongLong();
        return now;
    }

    // A fault of the player's with a file, told once.
    void fault(const QString& file, const QString& what) {
        const QString line = QFileInfo(file).fileName() + u": "_s + what;
        if (!faults.contains(line)) {
            faults << line;
            ADD_FAILURE() << qPrintable(line);
        }
    }

    // Hands the file over and watches what becomes of it: it opens (a new
    // track, of that file) and plays to its end or for a while, or a box
    // refuses it.
    Outcome hand(const QString& file) {
        const QString before = playback().track;
        playFiles({file});
        QElapsedTimer clock;
        clock.start();
        qint64 openedAt = -1;
        Outcome outcome = Outcome::NoAnswer;
        XSession::waitUntil(
            [&] {
                if (!running()) {
                    return true;
                }
                const bool box = viewable(kErrorCaption).has_value();
                const Playback now = playback();
                if (openedAt < 0 && now.file == file && now.track != before) {
                    openedAt = clock.elapsed();
                }
                if (box) {
                    outcome = openedAt >= 0 ? Outcome::Played : Outcome::Refused;
                    dismissBox();
                    return true;
                }
                if (openedAt < 0) {
                    return clock.elapsed() > kAnswerMs;
                }
                outcome = Outcome::Played;
                // The time label shows whole seconds, position / length.
                if (now.length >= 0 &&
                    std::nearbyint(now.position / 1e6) > std::nearbyint(now.length / 1e6)) {
                    fault(file, u"the position reads past the length"_s);
                }
                if (now.length > kLengthLimit) {
                    fault(file, u"the length is absurd"_s);
                }
                if (clock.elapsed() - openedAt < 1000 && now.position >= kStartLimit) {
                    fault(file, u"the position is huge as it starts"_s);
                }
                // At its end the track stays; after a failure it goes, and a box comes.
                return (now.status == QLatin1String("Stopped") && now.file == file) ||
                       clock.elapsed() - openedAt > kWatchMs;
            },
            kAnswerMs + kWatchMs + 5000, 20);
        return outcome;
    }

    QStringList faults;
};

} // namespace

TEST_F(HardeningE2ETest, OddNamesThingsThatAreNoFilesAndAStalledBusNeverHoldThePlayerUp) {
    startSession();
    // A screen-saver service that never answers.
    quarn::test::ScreenSaverStandIn silent(session->busAddress(), false);
    QTemporaryDir folder;
    const QByteArray odd = QFile::encodeName(folder.path()) + "/caf\xE9 \xFF.mp4";
    ASSERT_EQ(::link(QFile::encodeName(media::VideoClip()).constData(), odd.constData()), 0);
    const QString readable = QString::fromUtf8("caf\xEF\xBF\xBD \xEF\xBF\xBD.mp4");
    for (const char* name : {"-stylesheet=evil.qss", "-reverse"}) {
        ASSERT_TRUE(QFile::copy(media::VideoClip(), folder.filePath(QString::fromLatin1(name))));
    }

    // After the double dash, names like the toolkit's options are files, and
    // a name that is not UTF-8 comes as its own bytes (the shell passes them
    // on untouched).
    player = session->start(
        u"sh"_s, {u"-c"_s,
                  QStringLiteral("cd \"$1\" && exec \"$0\" -- -stylesheet=evil.qss -reverse "
                                 "\"$(printf 'caf\\351 \\377.mp4')\""),
                  kProgram, folder.path()});
    waitForPlayerWindows();
    for (const QString& file : {u"-stylesheet=evil.qss"_s, u"-reverse"_s, readable}) {
        EXPECT_TRUE(plays(file)) << qPrintable(title());
        mprisCall(u"org.mpris.MediaPlayer2.Player"_s, u"Next"_s);
    }

    // Things that are no plain files, refused at once.
    const QString fifo = folder.filePath(u"pipe.mp4"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    for (const QString& special : {fifo, u"/dev/zero"_s, u"/dev/urandom"_s, u"/proc/self/mem"_s}) {
        playFiles({special});
        EXPECT_TRUE(session->waitForWindow(kErrorCaption, 8000)) << qPrintable(special);
        dismissBox();
        ASSERT_TRUE(running()) << qPrintable(special);
    }

    // The odd name chosen in the Open dialog, where Qt shows it with U+FFFD.
    showOpenDialog();
    session->type(QString::fromLocal8Bit(odd));
    session->key(u"Return"_s);
    EXPECT_TRUE(plays(readable)) << qPrintable(title());

    // Play and Pause go on at once while the screen saver never answers, and
    // while the bus daemon itself is stopped; Exit then ends the program in time.
    playFiles({media::Pattern(320, 240, 25, 30)});
    ASSERT_TRUE(fits({320, 240}));
    auto reacts = [&](Button button, bool moving) {
        QElapsedTimer timer;
        timer.start();
        clickToolbar(button);
        QThread::msleep(200);
        return pictureMoves(700) == moving && timer.elapsed() < 1500;
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(reacts(kPause, false)) << "pause " << i;
        EXPECT_TRUE(reacts(kPlay, true)) << "play " << i;
    }
    const qint64 daemon = helper("dbus-daemon");
    ASSERT_GT(daemon, 0);
    ::kill(pid_t(daemon), SIGSTOP);
    EXPECT_TRUE(reacts(kPause, false));
    EXPECT_TRUE(reacts(kPlay, true));
    QElapsedTimer exiting;
    exiting.start();
    clickToolbar(kExit);
    EXPECT_TRUE(waitFor([&] { return !running(); }, 2500));
    EXPECT_LT(exiting.elapsed(), 2500);
    ::kill(pid_t(daemon), SIGCONT);
    expectEnded(0);
}

TEST_F(HardeningE2ETest, EveryEndingIsCleanWhateverIsOnTheScreenAndLetsTheScreenSaverGo) {
    enum class Up { Playing, StartUpErrorBox, OpenDialog, Melt, AboutBox };
    enum class End { Terminate, Interrupt, Quit, WindowManagerClose, LostDisplay };
    const std::pair<Up, End> cases[] = {
        {Up::StartUpErrorBox, End::Terminate}, {Up::StartUpErrorBox, End::Quit},
        {Up::OpenDialog, End::Interrupt},      {Up::Melt, End::Quit},
        {Up::AboutBox, End::Terminate},        {Up::Playing, End::WindowManagerClose},
        {Up::Playing, End::LostDisplay}}; // the last: the desktop goes with it
    startSession();
    quarn::test::ScreenSaverStandIn standIn(session->busAddress());
    for (const auto& [up, end] : cases) {
        SCOPED_TRACE(u"up %1, ending %2"_s.arg(int(up)).arg(int(end)).toStdString());
        if (up == Up::StartUpErrorBox) {
            start({u"--"_s, media::MissingFile()});
            ASSERT_TRUE(session->waitForWindow(kErrorCaption, 5000));
        } else {
            start({u"--"_s, media::Pattern(320, 240, 25, 30)});
            ASSERT_TRUE(fits({320, 240})); // the toolbar has found its place below it
            ASSERT_TRUE(waitFor([&] { return standIn.inhibitions() == 1; }, 5000));
        }
        if (up == Up::OpenDialog) {
            showOpenDialog();
        } else if (up == Up::Melt || up == Up::AboutBox) {
            clickToolbar(kScreenEffects);
            ASSERT_TRUE(waitFor([&] { return session->pointerGrabbed(); }));
            session->key(u"Down"_s); // "Melter"
            if (up == Up::AboutBox) {
                session->key(u"Down"_s); // "About..."
            }
            session->key(u"Return"_s);
            if (up == Up::AboutBox) {
                ASSERT_TRUE(session->waitForWindow(u"About..."_s, 5000));
            } else { // the melt's window, named after the program too, is up
                ASSERT_TRUE(waitFor([&] {
                    const auto named = session->windows(kMainCaption);
                    return std::count_if(named.begin(), named.end(),
                                         [&](quint64 w) { return session->isViewable(w); }) > 1;
                }));
            }
        }
        const auto group = pid_t(player->processId());
        QElapsedTimer ending;
        ending.start();
        switch (end) {
        case End::Terminate:
        case End::Interrupt:
            ::kill(group, end == End::Terminate ? SIGTERM : SIGINT);
            break;
        case End::Quit:
            mprisCall(u"org.mpris.MediaPlayer2"_s, u"Quit"_s);
            break;
        case End::WindowManagerClose:
            session->closeWindow(windows.main);
            break;
        case End::LostDisplay:
            const qint64 server = helper("Xvfb");
            ASSERT_GT(server, 0);
            ::kill(pid_t(server), SIGKILL);
            break;
        }
        ASSERT_NO_FATAL_FAILURE(expectEnded(end == End::LostDisplay ? 1 : 0));
        EXPECT_LT(ending.elapsed(), 2000);
        EXPECT_TRUE(waitFor([&] { return standIn.inhibitions() == 0; }));
        // Nothing of the player's process group is left running.
        EXPECT_TRUE(waitFor([&] { return ::kill(-group, 0) != 0; }));
    }
    EXPECT_EQ(session->output(player).count(u"the connection to the display was lost"_s), 1);
}

TEST_F(HardeningE2ETest, EveryDamagedFilePlaysOrIsRefusedInTimeAndThePlayerLivesOn) {
    QStringList corpus = damaged::Corpus();
    if (quarn::e2e::kSlowdown > 1) {
        // Under the sanitizers, where the player is three times slower, the
        // damages of MP4, Matroska and MP3 stand for those of the other six
        // containers (the player meets the same refusals, failures and ends
        // from each); the odd files all stay.
        static const QRegularExpression others(u"/(avi|ts|flv|flac|opus|wav)-[^/]*$"_s);
        corpus.removeIf([](const QString& file) { return others.match(file).hasMatch(); });
    }
    startSession();
    const QStringList first{u"--"_s, damaged::GoodClip("mp4")};
    start(first);
    for (const QString& file : corpus) {
        dismissBox(); // one that came once the last file had been left
        const Outcome outcome = hand(file);
        if (!running()) {
            fault(file, u"the player died (%1); its log ends:\n%2"_s.arg(
                            howItEnded(), session->output(player).right(1000)));
            start(first);
        } else if (outcome == Outcome::NoAnswer) {
            fault(file, u"neither played nor refused within %1 ms"_s.arg(kAnswerMs));
            ASSERT_FALSE(playback().status.isEmpty()) << "the player no longer answers on the bus";
        }
    }

    // A good clip plays after them all: it moves and the window fits it.
    const QString clip = media::Pattern(320, 240, 25, 8);
    ASSERT_EQ(hand(clip), Outcome::Played) << qPrintable(describeWindows());
    const qlonglong position = playback().position;
    EXPECT_TRUE(waitFor([&] { return playback().position > position; }))
        << "the good clip's position stands at " << position;
    EXPECT_TRUE(fits({320, 240})) << qPrintable(describeWindows());
    clickToolbar(kExit);
    expectEnded(0, 5000);
}

// A queue of 100,000 entries, whose every track a desktop widget asks about:
// the answers are bounded and the player stays responsive meanwhile; SIGTERM
// in the middle of such requests, and SIGHUP (the terminal it was started
// from closing), end it at once with status 0 and its settings saved.
TEST_F(HardeningE2ETest, AHugeQueueNeverHoldsUpTheBusAndEndingSignalsSaveAndEndTheProgram) {
    startSession();
    const QString clip = media::Pattern(320, 240, 25, 30);
    QByteArray list = "#EXTM3U\n";
    for (int i = 0; i < 100000; ++i) {
        list += QFile::encodeName(clip) + '\n';
    }
    const QString queue = media::Written(u"queue-100000.m3u"_s, list);
    const QString settings =
        session->environment().value(u"XDG_CONFIG_HOME"_s) + u"/quarn-media-player/settings.json"_s;
    const QString trackList = u"org.mpris.MediaPlayer2.TrackList"_s;
    auto metadataOf = [&](const QList<QDBusObjectPath>& tracks) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            u"org.mpris.MediaPlayer2.quarn_media_player"_s, u"/org/mpris/MediaPlayer2"_s, trackList,
            u"GetTracksMetadata"_s);
        call << QVariant::fromValue(tracks);
        return bus().asyncCall(call, 10000);
    };
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QFile::remove(settings);
        start({u"--"_s, queue});
        ASSERT_TRUE(fits({320, 240}, 10000));
        const auto tracks = qdbus_cast<QList<QDBusObjectPath>>(mpris(u"Tracks"_s, trackList));
        ASSERT_EQ(tracks.size(), 100000);
        QElapsedTimer asked;
        asked.start();
        QDBusPendingCall metadata = metadataOf(tracks.mid(50000, 1000));
        EXPECT_GT(mpris(u"Position"_s).toLongLong(), 0);
        EXPECT_LT(asked.elapsed(), 100 * quarn::e2e::kSlowdown) << "the position's answer waited";
        metadata.waitForFinished();
        EXPECT_LT(asked.elapsed(), 1000 * quarn::e2e::kSlowdown);
        const auto answer = qdbus_cast<QList<QVariantMap>>(metadata.reply().arguments().value(0));
        ASSERT_EQ(answer.size(), 1000);
        EXPECT_EQ(answer.front().value(u"mpris:trackid"_s).value<QDBusObjectPath>(),
                  tracks.at(50000));
        // Ids that are no tracks of the queue cost nothing, however long.
        QList<QDBusObjectPath> strangers(
            100000, QDBusObjectPath(u"/org/quarn/MediaPlayer/Track/123456789"_s));
        strangers.front() =
            QDBusObjectPath(u"/org/quarn/MediaPlayer/Track/"_s + QString(1 << 20, u'7'));
        asked.restart();
        metadata = metadataOf(strangers);
        metadata.waitForFinished();
        EXPECT_LT(asked.elapsed(), 1000 * quarn::e2e::kSlowdown);
        EXPECT_TRUE(
            qdbus_cast<QList<QVariantMap>>(metadata.reply().arguments().value(0)).isEmpty());

        mprisCall(u"org.freedesktop.DBus.Properties"_s, u"Set"_s,
                  {u"org.mpris.MediaPlayer2.Player"_s, u"Volume"_s,
                   QVariant::fromValue(QDBusVariant(0.35))});
        // Requests the loop is busy with when the signal comes (fewer where
        // the sanitizers make each one slow: the settings are saved after them).
        for (int i = 0; i < 5 / quarn::e2e::kSlowdown; ++i) {
            metadataOf(tracks);
        }
        QElapsedTimer ending;
        ending.start();
        ::kill(pid_t(player->processId()), signal);
        ASSERT_NO_FATAL_FAILURE(expectEnded(0));
        EXPECT_LT(ending.elapsed(), 2000);
        QFile saved(settings);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_TRUE(saved.readAll().contains("\"volume\": 35"));
    }
}
