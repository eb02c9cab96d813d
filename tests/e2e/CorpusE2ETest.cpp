// Damaged, cut-off and odd media files handed one after another to one real
// player with the engine settings it ships with: each one plays or is refused
// in time, none takes the player down, the time never reads past the length,
// and a good clip plays after them all.
#include "support/DamagedMedia.h"
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#include <cmath>
#include <cstdio>

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

class CorpusE2ETest : public quarn::e2e::PlayerDriver {
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
    // refuses it. How long the answer took goes to answerMs.
    Outcome hand(const QString& file, qint64& answerMs) {
        const QString before = playback().track;
        qDBusRegisterMetaType<QList<QByteArray>>();
        QDBusMessage call = QDBusMessage::createMethodCall(
            u"org.mpris.MediaPlayer2.quarn_media_player"_s, u"/org/quarn/MediaPlayer"_s,
            u"org.quarn.MediaPlayer.Instance"_s, u"PlayFiles"_s);
        call << QVariant::fromValue(QList<QByteArray>{QFile::encodeName(file)}) << false;
        bus().asyncCall(call); // not waited for: the player's answer is what it shows
        QElapsedTimer clock;
        clock.start();
        qint64 openedAt = -1;
        Outcome outcome = Outcome::NoAnswer;
        XSession::waitUntil(
            [&] {
                if (playerEnded()) {
                    return true;
                }
                const bool box = viewable(kErrorCaption).has_value();
                const Playback now = playback();
                if (openedAt < 0 && now.file == file && now.track != before) {
                    openedAt = clock.elapsed();
                }
                answerMs = openedAt >= 0 ? openedAt : clock.elapsed();
                if (box) {
                    outcome = openedAt >= 0 ? Outcome::Played : Outcome::Refused;
                    dismissBox();
                    return true;
                }
                if (openedAt < 0) {
                    return answerMs > kAnswerMs;
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

TEST_F(CorpusE2ETest, EveryDamagedFilePlaysOrIsRefusedInTimeAndThePlayerLivesOn) {
    const QStringList corpus = damaged::Corpus();
    startSession();
    const QStringList first{u"--"_s, damaged::GoodClip("mp4")};
    start(first);
    int counts[3] = {};
    qint64 slowestMs = 0;
    QString slowest;
    for (const QString& file : corpus) {
        dismissBox(); // one that came once the last file had been left
        qint64 answerMs = 0;
        const Outcome outcome = hand(file, answerMs);
        ++counts[int(outcome)];
        if (answerMs > slowestMs) {
            slowestMs = answerMs;
            slowest = QFileInfo(file).fileName();
        }
        if (playerEnded()) {
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
    qint64 answerMs = 0;
    ASSERT_EQ(hand(clip, answerMs), Outcome::Played) << qPrintable(describeWindows());
    const qlonglong position = playback().position;
    EXPECT_TRUE(waitFor([&] { return playback().position > position; }))
        << "the good clip's position stands at " << position;
    EXPECT_TRUE(fits({320, 240})) << qPrintable(describeWindows());
    clickToolbar(kExit);
    expectEnded(0, 5000);

    std::printf("damaged-media corpus: %lld files, %d played, %d refused, %d no answer; "
                "slowest answer %lld ms (%s)\n",
                static_cast<long long>(corpus.size()), counts[int(Outcome::Played)],
                counts[int(Outcome::Refused)], counts[int(Outcome::NoAnswer)],
                static_cast<long long>(slowestMs), qPrintable(slowest));
}
