// Damaged, cut-off and odd media files handed one after another to one real
// player with the engine settings it ships with: each one plays or is refused
// in time, none takes the player down, the time never reads past the length,
// and a good clip plays after them all.
#include "support/DamagedMedia.h"
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <optional>

using quarn::e2e::XSession;
namespace damaged = quarn::test::damaged;
namespace media = quarn::test::media;

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.quarn_media_player");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBox = QStringLiteral("Playback Error");
// The MPRIS track of a player with nothing open.
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// A file plays or is refused within this.
constexpr int kAnswerMs = 10000;
// A file that plays is watched until its end, or for this long at most.
constexpr int kWatchMs = 3000;
// The position read in the first second after a file opens is below this.
constexpr int kStartMs = 1000;
constexpr qlonglong kStartLimit = 3'000'000;
// No file of the corpus holds more than a few seconds: a length beyond an
// hour is a damaged header's, not the media's.
constexpr qlonglong kLengthLimit = 3600'000'000;

// What the player tells of its playback on the bus (times in microseconds).
struct Playback {
    bool answered = false;
    QString status;
    QString track;
    qlonglong position = 0;
    std::optional<qlonglong> length;
};

// The tracks the player told of, polled or announced. A file it opens is a
// new track; a file that is loading, or was refused, is not. Its
// announcements tell of every track, also of those a poll comes too late for.
class Tracks : public QObject {
    Q_OBJECT
public:
    void seen(const QVariantMap& metadata) {
        const QString track =
            metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
        if (!track.isEmpty() && track != kNoTrack) {
            last = track;
            files.insert(
                track, QUrl(metadata.value(QStringLiteral("xesam:url")).toString()).toLocalFile());
        }
    }
    // Whether a track other than `before` was of the file.
    bool opened(const QString& before, const QString& file) const {
        for (auto it = files.begin(); it != files.end(); ++it) {
            if (it.key() != before && it.value() == file) {
                return true;
            }
        }
        return false;
    }

    QString last;
    QMap<QString, QString> files; // the file each track was of, as last told

public slots:
    void changed(const QString&, const QVariantMap& properties, const QStringList&) {
        if (properties.contains(QStringLiteral("Metadata"))) {
            seen(qdbus_cast<QVariantMap>(properties.value(QStringLiteral("Metadata"))));
        }
    }
};

enum class Outcome { NoAnswer, Played, Refused, FailedAfterOpening };

class CorpusE2ETest : public quarn::e2e::PlayerDriver {
protected:
    void bringUp() {
        tracks.last.clear();
        tracks.files.clear();
        ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), damaged::GoodClip("mp4")}));
        ASSERT_TRUE(XSession::waitUntil([&] { return playback().answered; }, 10000))
            << "the player is not on the bus";
    }

    Playback playback() {
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("GetAll"));
        get << QStringLiteral("org.mpris.MediaPlayer2.Player");
        const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
        // What the player announced before it answered reaches `tracks` first.
        QCoreApplication::processEvents();
        Playback now;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return now;
        }
        const auto all = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
        const auto metadata = qdbus_cast<QVariantMap>(all.value(QStringLiteral("Metadata")));
        tracks.seen(metadata);
        now.answered = true;
        now.status = all.value(QStringLiteral("PlaybackStatus")).toString();
        now.position = all.value(QStringLiteral("Position")).toLongLong();
        now.track = metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
        if (metadata.contains(QStringLiteral("mpris:length"))) {
            now.length = metadata.value(QStringLiteral("mpris:length")).toLongLong();
        }
        return now;
    }

    // A fault of the player's with a file, told once (with what was seen first).
    void fault(const QString& file, const QString& what, const QString& seen = {}) {
        const QString line = QFileInfo(file).fileName() + QStringLiteral(": ") + what;
        if (!faults.contains(line)) {
            faults << line;
            ADD_FAILURE() << qPrintable(line) << ' ' << qPrintable(seen);
        }
    }

    // Hands the file to the player over the bus and watches what becomes of
    // it: it opens (a new track, of that file) and plays to its end or for a
    // while, or a box refuses it. How long the answer took goes to answerMs.
    Outcome hand(const QString& file, qint64& answerMs) {
        playback();
        const QString before = tracks.last;
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, QStringLiteral("/org/quarn/MediaPlayer"),
            QStringLiteral("org.quarn.MediaPlayer.Instance"), QStringLiteral("PlayFiles"));
        qDBusRegisterMetaType<QList<QByteArray>>();
        call << QVariant::fromValue(QList<QByteArray>{QFile::encodeName(file)}) << false;
        // Not waited for: the player's answer is what it shows.
        bus.asyncCall(call);
        QElapsedTimer clock;
        clock.start();
        std::optional<qint64> openedAt;
        Outcome outcome = Outcome::NoAnswer;
        XSession::waitUntil(
            [&] {
                if (playerEnded()) {
                    return true;
                }
                const bool box = viewable(kBox).has_value();
                const Playback now = playback();
                if (!openedAt && tracks.opened(before, file)) {
                    openedAt = clock.elapsed();
                }
                answerMs = openedAt.value_or(clock.elapsed());
                if (box) {
                    outcome = openedAt ? Outcome::FailedAfterOpening : Outcome::Refused;
                    dismissBox(kBox);
                    return true;
                }
                if (!openedAt) {
                    return answerMs > kAnswerMs;
                }
                outcome = Outcome::Played;
                checkTime(file, now);
                if (clock.elapsed() - *openedAt < kStartMs && now.position >= kStartLimit) {
                    fault(file, QStringLiteral("the position is huge as it starts"),
                          QStringLiteral("(%1 s)").arg(now.position / 1e6));
                }
                // At its end the track stays; after a failure it goes, and a box comes.
                return (now.status == QLatin1String("Stopped") && now.track != kNoTrack) ||
                       clock.elapsed() - *openedAt > kWatchMs;
            },
            kAnswerMs + kWatchMs + 5000, 20);
        return outcome;
    }

    // The time label shows whole seconds, position / length: the position
    // must not read past the length, nor the length be absurd.
    void checkTime(const QString& file, const Playback& now) {
        if (!now.length) {
            return;
        }
        if (std::nearbyint(now.position / 1e6) > std::nearbyint(*now.length / 1e6)) {
            fault(file, QStringLiteral("the position reads past the length"),
                  QStringLiteral("(%1 s of %2 s)").arg(now.position / 1e6).arg(*now.length / 1e6));
        }
        if (*now.length > kLengthLimit) {
            fault(file, QStringLiteral("the length is absurd"),
                  QStringLiteral("(%1 s)").arg(*now.length / 1e6, 0, 'g', 6));
        }
    }

    QDBusConnection bus = QDBusConnection(QString());
    Tracks tracks;
    QStringList faults;
};

} // namespace

TEST_F(CorpusE2ETest, EveryDamagedFilePlaysOrIsRefusedInTimeAndThePlayerLivesOn) {
    const QStringList corpus = damaged::Corpus();
    startSession();
    bus = QDBusConnection::connectToBus(session->busAddress(), QStringLiteral("corpus"));
    bus.connect(QString(), kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), &tracks,
                SLOT(changed(QString, QVariantMap, QStringList)));
    ASSERT_NO_FATAL_FAILURE(bringUp());

    int counts[4] = {};
    qint64 slowestMs = 0;
    QString slowest;
    Outcome last = Outcome::Played;
    for (const QString& file : corpus) {
        // A box that came once the last file had been left: that one failed.
        if (dismissBox(kBox) && last == Outcome::Played) {
            --counts[int(Outcome::Played)];
            ++counts[int(Outcome::FailedAfterOpening)];
        }
        qint64 answerMs = 0;
        const Outcome outcome = last = hand(file, answerMs);
        ++counts[int(outcome)];
        if (answerMs > slowestMs) {
            slowestMs = answerMs;
            slowest = QFileInfo(file).fileName();
        }
        if (playerEnded()) {
            fault(file, QStringLiteral("the player died"),
                  QStringLiteral("(%1); its log ends:\n%2")
                      .arg(howItEnded(), session->output(player).right(1000)));
            ASSERT_NO_FATAL_FAILURE(bringUp());
        } else if (outcome == Outcome::NoAnswer) {
            fault(file, QStringLiteral("neither played nor refused within %1 ms").arg(kAnswerMs));
            ASSERT_TRUE(playback().answered) << "the player no longer answers on the bus";
        }
    }

    // A good clip plays after them all: it moves and the window fits it.
    const QString clip = media::Pattern(320, 240, 25, 8);
    qint64 answerMs = 0;
    ASSERT_EQ(hand(clip, answerMs), Outcome::Played) << qPrintable(describeWindows());
    const qlonglong position = playback().position;
    EXPECT_TRUE(XSession::waitUntil([&] { return playback().position > position; }, 3000))
        << "the good clip's position stands at " << position;
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({320, 240});
        },
        5000))
        << qPrintable(describeWindows());

    EXPECT_EQ(exit(), QStringLiteral("exit status 0"));
    const QString log = session->output(player);
    for (const char* trouble : {"Segmentation", "AddressSanitizer", "X Error", "XIO"}) {
        EXPECT_FALSE(log.contains(QLatin1String(trouble))) << qPrintable(log);
    }

    std::printf("damaged-media corpus\n"
                "  files                %4lld\n"
                "  played               %4d\n"
                "  refused              %4d\n"
                "  failed after opening %4d\n"
                "  no answer            %4d\n"
                "  slowest answer       %4lld ms (%s)\n",
                static_cast<long long>(corpus.size()), counts[int(Outcome::Played)],
                counts[int(Outcome::Refused)], counts[int(Outcome::FailedAfterOpening)],
                counts[int(Outcome::NoAnswer)], static_cast<long long>(slowestMs),
                qPrintable(slowest));
}

#include "CorpusE2ETest.moc"
