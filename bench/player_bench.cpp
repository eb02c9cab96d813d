// The player against mpv on one private 2560 x 1600 display: CPU time to play
// a 10 s 1080p30 H.264 clip, peak memory while playing it, CPU time while
// idle, and the time to get windows on screen.
//
//   player_bench           three runs of each playback and start-up, two idle runs
//   player_bench --quick   one run of each
//   player_bench --film    CPU a minute of a 2-minute 1080p30 clip with its
//                          subtitles shown, ours and mpv, at the same size
//   player_bench --burst   5,000 MPRIS OpenUri calls naming missing files at
//                          once: each call's wait, memory, the messages left up
//   player_bench --list    exec to a 100,000-entry list playing with the
//                          playlist shown, beside a single file; the rate at
//                          which MPRIS answers for every track's metadata
//   player_bench --album   a 10,000-entry list of small tagged songs beside a
//                          single one: exec to the first one's sound, and
//                          until every entry's length is known
//
// Figures are printed, never judged: the machine is shared, so every run is
// shown beside the median, with the load average before and after.
//
// Playing is timed, for ours, from the main window growing to the video to its
// shrinking back at the end of the media; for mpv, from its window showing
// (with the first picture) to its last reading before it exits; both polled
// every 5 ms, CPU time from /proc (all threads), peak memory as VmHWM's last
// reading before the end. "From exec" is ours to the end of the media (the
// clip given on the command line, with Qt's start-up) and mpv's whole life by
// /usr/bin/time, which also gives wait4's maximum RSS. Start-up is polled
// every 2 ms; the click is an XTEST press on the splash at (20, 20), 0.5 s
// after it showed, timed from the release. Idle CPU is the scheduler's
// per-thread time over 20 s, 2 s after the windows came up (the player's own
// goal: 10 ms), beside /proc/<pid>/stat's 10 ms ticks.
#include "ProcessStats.h"
#include "support/MediaFixtures.h"
#include "support/PlayerWindows.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <vector>

using namespace Qt::Literals::StringLiterals;

using namespace quarn::bench;
using quarn::e2e::PlayerWindows;
using quarn::e2e::XSession;

namespace {

using Clock = std::chrono::steady_clock;
// Of one program, by name (with the unit): a value a run.
using Figures = std::map<QString, std::vector<double>>;

const QSize kScreen(2560, 1600);

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// On-CPU seconds of the process's threads from the scheduler
// (/proc/<pid>/task/<tid>/schedstat), finer than /proc/<pid>/stat's 10 ms
// ticks, since the first sample. Sampled again and again, so that a thread
// that ends meanwhile keeps what it had used by its last sighting.
class ThreadSampler {
public:
    explicit ThreadSampler(qint64 pid) : pid_(pid), first_(read()), last_(first_) {}
    void sample() { last_.insert(read()); }
    double used() const {
        double total = 0;
        for (const auto& [tid, seconds] : last_.asKeyValueRange()) {
            total += seconds - first_.value(tid);
        }
        return total;
    }

private:
    QMap<qint64, double> read() const {
        QMap<qint64, double> threads;
        const QString tasks = u"/proc/%1/task/"_s.arg(pid_);
        for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool ok = false;
            const double ns = readFile(tasks + tid + "/schedstat").section(' ', 0, 0).toDouble(&ok);
            if (ok) {
                threads[tid.toLongLong()] = ns / 1e9;
            }
        }
        return threads;
    }

    qint64 pid_;
    QMap<qint64, double> first_;
    QMap<qint64, double> last_;
};

// The viewable window with this caption, looked for every pollMs.
quint64 waitShown(XSession& session, const QString& caption, QProcess* process, int pollMs) {
    const auto window = session.waitForWindow(caption, 15000, pollMs);
    if (!window) {
        fail(u"no window \"%1\"; log %2"_s.arg(caption, session.logFile(process)));
    }
    return *window;
}

void stop(QProcess* process) {
    process->terminate();
    if (!process->waitForFinished(3000)) {
        std::printf("  (%s did not end when told to; killed)\n", qPrintable(process->program()));
        process->kill();
        process->waitForFinished(3000);
    }
}

// What both programs' playback is measured by once the first picture is up,
// until `playing` says the media has ended: the last reading before counts.
void measurePlaying(XSession& session, qint64 pid, quint64 window, Figures& figures,
                    const std::function<bool()>& playing, int limitMs) {
    const qint64 server = session.processIds().front(); // Xvfb
    const auto start = Clock::now();
    const double cpuAtStart = cpuSeconds(pid);
    const double serverAtStart = cpuSeconds(server);
    figures["playing: VmHWM at the first picture (MB)"].push_back(statusMb(pid, "VmHWM:"));
    figures["playing: window width (pixels)"].push_back(session.geometry(window).width());
    std::map<QString, double> last;
    XSession::waitUntil(
        [&] {
            if (!playing()) {
                return true;
            }
            last = {{"playing: CPU (s)", cpuSeconds(pid) - cpuAtStart},
                    {"playing: Xvfb's CPU (s)", cpuSeconds(server) - serverAtStart},
                    {"playing: wall time (s)", msSince(start) / 1000},
                    {"playing: CPU a minute (s)",
                     (cpuSeconds(pid) - cpuAtStart) / msSince(start) * 60000},
                    {"playing: peak memory, VmHWM (MB)", statusMb(pid, "VmHWM:")}};
            return false;
        },
        limitMs, 5);
    for (const auto& [name, value] : last) {
        figures[name].push_back(value);
    }
}

// Ours: the main window grows to the video's size when the first picture
// comes and shrinks back at the end of the media.
void playOurs(XSession& session, const QString& file, Figures& figures, int limitMs) {
    const auto start = Clock::now();
    QProcess* player = session.start(PlayerWindows::kProgram, {u"--"_s, file});
    const qint64 pid = player->processId();
    // Given a file, the player comes up at once, without its splash.
    const quint64 main = waitShown(session, PlayerWindows::kMainCaption, player, 5);
    auto grown = [&] {
        return session.geometry(main).width() > PlayerWindows().mainWithoutVideo().width();
    };
    if (!XSession::waitUntil(grown, 10000, 5)) {
        fail("the main window did not grow to the video; log " + session.logFile(player));
    }
    figures["playing: exec to the first picture (ms)"].push_back(msSince(start));
    measurePlaying(
        session, pid, main, figures, [&] { return XSession::processRunning(pid) && grown(); },
        limitMs);
    figures["playing: CPU from exec (s)"].push_back(cpuSeconds(pid));
    stop(player);
}

// mpv, under /usr/bin/time for its whole life's CPU time and peak memory.
void playMpv(XSession& session, const QString& file, Figures& figures, int run, int limitMs,
             const QString& videoOutput = u"x11"_s) {
    const QString times = session.logDirectory() + u"/mpv-time-%1"_s.arg(run);
    const auto start = Clock::now();
    QProcess* time =
        session.start(u"/usr/bin/time"_s,
                      u"-f %U,%S,%M -o %1 mpv --no-config --vo=%2 --ao=null --geometry=1920x1080"_s
                              .arg(times, videoOutput)
                              .split(' ')
                          << file);
    const QString children = u"/proc/%1/task/%1/children"_s.arg(time->processId());
    qint64 pid = 0;
    if (!XSession::waitUntil(
            [&] { return (pid = readFile(children).section(' ', 0, 0).toLongLong()) > 0; }, 5000,
            1)) {
        fail("mpv did not start; log " + session.logFile(time));
    }
    const quint64 window = waitShown(session, QFileInfo(file).fileName() + " - mpv", time, 5);
    figures["playing: exec to the first picture (ms)"].push_back(msSince(start));
    // The same query of the window as for ours, so that the X server does the
    // same work for the benchmark in both.
    measurePlaying(
        session, pid, window, figures,
        [&] { return session.geometry(window).isValid() && XSession::processRunning(pid); },
        limitMs);
    if (!time->waitForFinished(10000)) {
        stop(time);
    }
    const QStringList fields = readFile(times).trimmed().split('\n').last().split(',');
    figures["playing: CPU from exec (s)"].push_back(fields.value(0).toDouble() +
                                                    fields.value(1).toDouble());
    figures["playing: wait4's maximum RSS (MB)"].push_back(fields.value(2).toDouble() / 1024);
}

// Idle CPU over 20 s, 2 s after the windows came up: the scheduler's figure,
// sampled every 100 ms, and /proc/<pid>/stat's.
void measureIdle(qint64 pid, Figures& figures) {
    QThread::msleep(2000);
    const double before = cpuSeconds(pid);
    ThreadSampler threads(pid);
    for (const auto start = Clock::now(); msSince(start) < 20000;) {
        QThread::msleep(100);
        threads.sample();
    }
    figures["idle: CPU (ms)"].push_back(threads.used() * 1000);
    figures["idle: CPU in 10 ms ticks (ms)"].push_back((cpuSeconds(pid) - before) * 1000);
}

void startOurs(XSession& session, Figures& figures, bool idle) {
    const auto start = Clock::now();
    QProcess* player = session.start(PlayerWindows::kProgram, {});
    const quint64 splash = waitShown(session, PlayerWindows::kSplashCaption, player, 2);
    figures["start-up: exec to its first window (ms)"].push_back(msSince(start));
    // Half a second for the splash to settle (its first paint, the chime
    // starting), then press, and time from the release, which is the click.
    QThread::msleep(500);
    session.moveMouse(session.geometry(splash).topLeft() + QPoint(20, 20));
    session.mouseDown();
    const auto click = Clock::now();
    session.mouseUp();
    waitShown(session, PlayerWindows::kMainCaption, player, 2);
    figures["start-up: click to the main window (ms)"].push_back(msSince(click));
    // The title strip and the toolbar share a caption: both must be viewable.
    XSession::waitUntil(
        [&] {
            const auto shown = session.windows(PlayerWindows::kFormCaption);
            return std::count_if(shown.begin(), shown.end(),
                                 [&](quint64 w) { return session.isViewable(w); }) >= 2;
        },
        10000, 2);
    figures["start-up: click to all three windows (ms)"].push_back(msSince(click));
    if (idle) {
        measureIdle(player->processId(), figures);
    }
    stop(player);
}

void startMpv(XSession& session, Figures& figures, bool idle, const QString& options = {}) {
    const auto start = Clock::now();
    QProcess* mpv = session.start(
        u"mpv"_s,
        u"--no-config --force-window=yes --idle %1"_s.arg(options).split(' ', Qt::SkipEmptyParts));
    waitShown(session, u"No file - mpv"_s, mpv, 2);
    figures["start-up: exec to its first window (ms)"].push_back(msSince(start));
    if (idle) {
        measureIdle(mpv->processId(), figures);
    }
    stop(mpv);
}

const QString kService = u"org.mpris.MediaPlayer2.quarn_media_player"_s;
const QString kPath = u"/org/mpris/MediaPlayer2"_s;

// Calls sent `together` at a time (all at once, or one after another), each
// timed from its sending to its answer, in ms.
std::vector<double> send(QDBusConnection& bus, int calls, int together,
                         const std::function<QDBusMessage(int)>& message) {
    std::vector<double> waits;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i) {
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message(i), 30000));
        const qint64 sent = clock.nsecsElapsed();
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                         [&waits, &clock, sent](QDBusPendingCallWatcher* done) {
                             waits.push_back(double(clock.nsecsElapsed() - sent) / 1e6);
                             done->deleteLater();
                         });
        if ((i + 1) % together == 0) {
            XSession::waitUntil([&] { return waits.size() == size_t(i + 1); }, 60000, 1);
        }
    }
    XSession::waitUntil([&] { return waits.size() == size_t(calls); }, 60000, 5);
    return waits;
}

// MPRIS OpenUri calls naming missing files, as any program of the session
// could send them: one at a time, then 5,000 at once beside as many pings of
// the player (what the bus alone costs); each call's wait for its answer, the
// player's memory before and 2 s after, whether it lives, and how many
// messages are left up.
void burst(XSession& session, Figures& figures, int calls) {
    PlayerWindows player(session);
    player.start();
    const qint64 pid = player.process()->processId();
    QDBusConnection bus = QDBusConnection::connectToBus(session.busAddress(), u"bench"_s);
    figures["burst: resident before (MB)"].push_back(statusMb(pid, "VmRSS:"));
    auto openUri = [](int i) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, kPath, u"org.mpris.MediaPlayer2.Player"_s, u"OpenUri"_s);
        return call << u"file:///nowhere/missing%1.mp4"_s.arg(i);
    };
    auto ping = [](int) {
        return QDBusMessage::createMethodCall(kService, kPath, u"org.freedesktop.DBus.Peer"_s,
                                              u"Ping"_s);
    };
    const std::pair<QString, std::vector<double>> runs[] = {
        {u"OpenUri one at a time"_s, send(bus, 100, 1, openUri)},
        {u"OpenUri %1 at once"_s.arg(calls), send(bus, calls, calls, openUri)},
        {u"Ping %1 at once"_s.arg(calls), send(bus, calls, calls, ping)}};
    for (auto [name, waits] : runs) {
        std::sort(waits.begin(), waits.end());
        figures["burst: " + name + ", answered"].push_back(double(waits.size()));
        figures["burst: " + name + ", median wait (ms)"].push_back(median(waits));
        figures["burst: " + name + ", slowest (ms)"].push_back(waits.empty() ? 0 : waits.back());
    }
    XSession::waitUntil([] { return false; }, 2000);
    figures["burst: resident 2 s after (MB)"].push_back(statusMb(pid, "VmRSS:"));
    const auto boxes = session.windows(PlayerWindows::kErrorCaption);
    figures["burst: messages up"].push_back(double(std::count_if(
        boxes.begin(), boxes.end(), [&](quint64 w) { return session.isViewable(w); })));
    figures["burst: the player alive (1 yes)"].push_back(player.running() ? 1 : 0);
    stop(player.process());
}

// A list of `entries` lines naming one clip, opened on the command line with
// the playlist shown: exec to the main window playing and the whole queue
// seen on the bus; resident memory then.
void openList(XSession& session, Figures& figures, const QString& clip, int entries) {
    const QString config = session.environment().value(u"XDG_CONFIG_HOME"_s);
    QDir().mkpath(config + u"/quarn-media-player"_s);
    QFile settings(config + u"/quarn-media-player/settings.json"_s);
    settings.open(QIODevice::WriteOnly);
    settings.write(R"({"playlistShown": true})");
    settings.close();
    QString text = u"#EXTM3U\n"_s;
    for (int i = 0; i < entries; ++i) {
        text += clip + u"\n"_s;
    }
    const QString list = session.logDirectory() + u"/list-%1.m3u8"_s.arg(entries);
    QFile file(list);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.close();
    const QString name = u"%1 entries: "_s.arg(entries);
    const auto start = Clock::now();
    QProcess* player = session.start(PlayerWindows::kProgram, {u"--"_s, list});
    const quint64 main = waitShown(session, PlayerWindows::kMainCaption, player, 5);
    waitShown(session, u"Playlist"_s, player, 5);
    QDBusConnection bus = QDBusConnection::connectToBus(session.busAddress(), u"bench"_s);
    auto tracks = [&] {
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, kPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        get << u"org.mpris.MediaPlayer2.TrackList"_s << u"Tracks"_s;
        const QDBusMessage reply = bus.call(get, QDBus::Block, 5000);
        return reply.arguments().isEmpty()
                   ? 0
                   : qdbus_cast<QList<QDBusObjectPath>>(
                         reply.arguments().first().value<QDBusVariant>().variant())
                         .size();
    };
    if (!XSession::waitUntil(
            [&] {
                return session.geometry(main).width() >
                           PlayerWindows().mainWithoutVideo().width() &&
                       tracks() == entries;
            },
            60000, 5)) {
        fail("the list did not play; log " + session.logFile(player));
    }
    figures[name + "exec to playing, all listed (ms)"].push_back(msSince(start));
    figures[name + "resident (MB)"].push_back(statusMb(player->processId(), "VmRSS:"));
    // What a desktop widget asks: every track's metadata, 1,000 ids a call
    // (the most a call is answered for), one call after another.
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"org.mpris.MediaPlayer2.TrackList"_s << u"Tracks"_s;
    const auto ids = qdbus_cast<QList<QDBusObjectPath>>(
        bus.call(get).arguments().value(0).value<QDBusVariant>().variant());
    std::vector<double> calls;
    const auto asking = Clock::now();
    for (qsizetype at = 0; at < ids.size(); at += 1000) {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            kService, kPath, u"org.mpris.MediaPlayer2.TrackList"_s, u"GetTracksMetadata"_s);
        ask << QVariant::fromValue(ids.mid(at, 1000));
        const auto call = Clock::now();
        bus.call(ask, QDBus::Block, 60000);
        calls.push_back(msSince(call));
    }
    figures[name + "metadata, ids a second"].push_back(double(ids.size()) * 1000 /
                                                       std::max(1.0, msSince(asking)));
    figures[name + "metadata, slowest call of 1,000 ids (ms)"].push_back(
        *std::max_element(calls.begin(), calls.end()));
    stop(player);
}

// A list of `entries` lines naming a few small tagged songs in turn: exec to
// the first one playing (MPRIS says "Playing"), and to every entry's length
// known (GetTracksMetadata tells it for each).
void openAlbum(XSession& session, Figures& figures, const QStringList& songs, int entries) {
    QString text = u"#EXTM3U\n"_s;
    for (int i = 0; i < entries; ++i) {
        text += songs.at(i % songs.size()) + u"\n"_s;
    }
    const QString list = session.logDirectory() + u"/album-%1.m3u8"_s.arg(entries);
    QFile file(list);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.close();
    const QString name = u"%1 entries: "_s.arg(entries);
    QDBusConnection bus = QDBusConnection::connectToBus(session.busAddress(), u"bench"_s);
    const auto start = Clock::now();
    QProcess* player = session.start(PlayerWindows::kProgram, {u"--"_s, list});
    auto property = [&](const QString& interface, const QString& which) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, kPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        get << interface << which;
        const QDBusMessage reply = bus.call(get, QDBus::Block, 5000);
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : reply.arguments().first().value<QDBusVariant>().variant();
    };
    if (!XSession::waitUntil(
            [&] {
                return property(u"org.mpris.MediaPlayer2.Player"_s, u"PlaybackStatus"_s) ==
                       u"Playing"_s;
            },
            30000, 5)) {
        fail("the list did not play; log " + session.logFile(player));
    }
    figures[name + "exec to the first entry's sound (ms)"].push_back(msSince(start));
    QList<QDBusObjectPath> ids;
    // How many of these entries' lengths are not known yet, 1,000 a call.
    auto unknown = [&](const QList<QDBusObjectPath>& asked) {
        qsizetype missing = 0;
        for (qsizetype at = 0; at < asked.size(); at += 1000) {
            QDBusMessage ask = QDBusMessage::createMethodCall(
                kService, kPath, u"org.mpris.MediaPlayer2.TrackList"_s, u"GetTracksMetadata"_s);
            ask << QVariant::fromValue(asked.mid(at, 1000));
            const QDBusMessage reply = bus.call(ask, QDBus::Block, 60000);
            const auto tracks = reply.arguments().isEmpty()
                                    ? QList<QVariantMap>()
                                    : qdbus_cast<QList<QVariantMap>>(reply.arguments().first());
            missing += asked.mid(at, 1000).size() - tracks.size();
            for (const QVariantMap& track : tracks) {
                missing += track.contains(u"mpris:length"_s) ? 0 : 1;
            }
        }
        return missing;
    };
    // The last entries are read last: the whole list is asked for once they are known.
    if (!XSession::waitUntil(
            [&] {
                ids = qdbus_cast<QList<QDBusObjectPath>>(
                    property(u"org.mpris.MediaPlayer2.TrackList"_s, u"Tracks"_s));
                return ids.size() == entries && unknown(ids.mid(ids.size() - 10)) == 0 &&
                       unknown(ids) == 0;
            },
            300000, 100)) {
        fail("the lengths were not all read; log " + session.logFile(player));
    }
    figures[name + "exec to every length known (s)"].push_back(msSince(start) / 1000);
    stop(player);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    const bool quick = mode == u"--quick"_s;
    const bool film = mode == u"--film"_s;
    const int runs = quick ? 1 : 3;
    const auto benchStart = Clock::now();
    auto loadAverage = [] { return readFile(u"/proc/loadavg"_s).section(' ', 0, 2); };
    try {
        std::printf("player_bench %s: load average %s on %ld cores\n", qPrintable(mode),
                    qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
        const int seconds = film ? 120 : 10;
        const QString file = quarn::test::media::Made(
            u"clip-1080p30-%1s.mp4"_s.arg(seconds),
            u"-f lavfi -i testsrc2=s=1920x1080:r=30:d=%1 -f lavfi -i "
            "sine=f=440:d=%1:sample_rate=48000 -c:v libx264 -preset veryfast "
            "-pix_fmt yuv420p -c:a aac -shortest"_s.arg(seconds));
        if (film) { // a line of subtitles every 3 s, beside the clip, shown by both
            QFile subtitles(QFileInfo(file).path() + '/' + QFileInfo(file).completeBaseName() +
                            u".srt"_s);
            subtitles.open(QIODevice::WriteOnly);
            for (int i = 0; i < seconds / 3; ++i) {
                subtitles.write(
                    u"%1\n00:%2:%3,000 --> 00:%2:%4,500\nLine %1 of the film\n\n"_s.arg(i + 1)
                        .arg(i * 3 / 60, 2, 10, QChar('0'))
                        .arg(i * 3 % 60, 2, 10, QChar('0'))
                        .arg(i * 3 % 60 + 2, 2, 10, QChar('0'))
                        .toUtf8());
            }
        }
        XSession::Options options;
        options.screen = kScreen;
        XSession session(options);
        std::printf("display %s, %dx%d, openbox + trayer; clip %s (1920x1080, 30 fps, %d s, "
                    "H.264 + AAC%s, played with vo=x11, ao=null)\n",
                    qPrintable(session.display()), kScreen.width(), kScreen.height(),
                    qPrintable(QFileInfo(file).fileName()), seconds, film ? ", subtitles" : "");
        std::fflush(stdout);

        std::map<QString, Figures> programs; // printed in the order of their names
        Figures& ours = programs[u"ours"_s];
        if (mode == u"--burst"_s) {
            burst(session, ours, 5000);
        } else if (mode == u"--album"_s) {
            qDBusRegisterMetaType<QList<QVariantMap>>();
            QStringList songs;
            for (int track = 1; track <= 4; ++track) {
                songs << quarn::test::media::Made(
                    u"album-song-%1.mp3"_s.arg(track),
                    u"-f lavfi -i sine=f=%1:d=3 -c:a libmp3lame -metadata title=Song%2 "
                    "-metadata artist=Quarn -metadata album=Bench -metadata track=%2"_s
                        .arg(200 * track)
                        .arg(track));
            }
            for (int i = 1; i <= runs; ++i) {
                openAlbum(session, ours, songs, 1);
                openAlbum(session, ours, songs, 10000);
            }
        } else if (mode == u"--list"_s) {
            const QString clip = quarn::test::media::Pattern(320, 240, 25, 10);
            for (int i = 1; i <= runs; ++i) {
                openList(session, ours, clip, 1);
                openList(session, ours, clip, 100000);
            }
        } else {
            // Ours and mpv in turn, so that a burst of other work on the machine
            // falls on both alike. mpv is also given the player's own list of
            // video outputs: what trying the GPU renderer first costs.
            const int limitMs = (seconds + 20) * 1000;
            for (int i = 1; i <= (film ? 1 : runs); ++i) {
                playOurs(session, file, ours, limitMs);
                playMpv(session, file, programs["mpv"], i, limitMs);
            }
            if (!quick && !film) {
                playMpv(session, file, programs["mpv --vo=gpu,xv,x11"], 0, limitMs,
                        u"gpu,xv,x11"_s);
            }
            for (int i = 1; i <= (film ? 0 : runs); ++i) {
                startOurs(session, ours, i <= (quick ? 1 : 2));
                startMpv(session, programs["mpv"], i == 1);
                startMpv(session, programs["mpv --vo=x11"], false, u"--vo=x11"_s);
            }
        }

        // Each figure: the median and every run of each program that has it,
        // and where there is a goal, ours against each other's median.
        const std::map<QString, const char*> goals{
            {"playing: CPU (s)", "<= 1.10"},
            {"playing: CPU a minute (s)", "<= 1.10"},
            {"start-up: exec to its first window (ms)", "<= 1.5"},
            {"playing: exec to the first picture (ms)", "<= 1.0"}};
        std::printf("\nmedians of %d run%s (mpv idle: --no-config --force-window=yes --idle):\n",
                    runs, runs > 1 ? "s" : "");
        Figures all;
        for (const auto& [who, figures] : programs) {
            all.insert(figures.begin(), figures.end());
        }
        for (const auto& [name, unused] : all) {
            const int precision = name.endsWith("(s)") ? 2 : name.startsWith("idle") ? 1 : 0;
            QStringList parts;
            QStringList ratios;
            for (auto& [who, figures] : programs) {
                const std::vector<double>& values = figures[name];
                if (values.empty()) {
                    continue;
                }
                QStringList each;
                for (double value : values) {
                    each << QString::number(value, 'f', precision);
                }
                parts << u"%1 %2 (runs %3)"_s.arg(
                    who, QString::number(median(values), 'f', precision), each.join(", "));
                if (goals.count(name) && who != "ours") {
                    ratios << u"%1 against %2"_s.arg(median(ours[name]) / median(values), 0, 'f', 2)
                                  .arg(who);
                }
            }
            std::printf("  %-42s %s\n", qPrintable(name), qPrintable(parts.join("; ")));
            if (!ratios.isEmpty()) {
                std::printf("  %-42s ours: %s (goal %s)\n", "", qPrintable(ratios.join(", ")),
                            goals.at(name));
            }
        }
        std::printf("\nload average at the end %s; the bench took %.0f s\n",
                    qPrintable(loadAverage()), msSince(benchStart) / 1000);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "player_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
