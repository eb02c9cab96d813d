// The player against mpv on one private 2560 x 1600 display: CPU time to play
// a 10 s 1080p30 H.264 clip, peak memory while playing it, CPU time while
// idle, and the time to get windows on screen.
//
//   player_bench           three runs of each playback and start-up, two idle runs
//   player_bench --quick   one run of each
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
#include "support/PlayerWindows.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <vector>

using quarn::bench::cpuSeconds;
using quarn::bench::statusField;
using quarn::e2e::PlayerWindows;
using quarn::e2e::XSession;

namespace {

using Clock = std::chrono::steady_clock;
// Of one program, by name (with the unit): a value a run.
using Figures = std::map<QString, std::vector<double>>;

const QSize kScreen(2560, 1600);
constexpr int kIdleSettleMs = 2000;
constexpr int kIdleMs = 20000;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

double cpu(qint64 pid) {
    return cpuSeconds(pid).value_or(0.0);
}

double peakMb(qint64 pid) {
    return statusField(pid, "VmHWM:") / 1024;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// On-CPU time per thread from the scheduler (/proc/<pid>/task/<tid>/schedstat,
// nanoseconds), finer than /proc/<pid>/stat's 10 ms ticks. Sampled again and
// again, so that a thread that ends during the span (a file's decoders end
// with the file) keeps what it had used by its last sighting.
class ThreadSampler {
public:
    explicit ThreadSampler(qint64 pid) : pid_(pid), baseline_(read()), last_(baseline_) {}

    void sample() {
        for (const auto& [tid, thread] : read().asKeyValueRange()) {
            last_[tid] = thread;
        }
    }
    // Seconds used since the start, and the biggest users by thread name
    // ("mpv/vo 0.80 s, ...").
    std::pair<double, QString> used(double scale, const char* unit) const {
        std::map<QString, double> byName;
        double total = 0;
        for (const auto& [tid, thread] : last_.asKeyValueRange()) {
            const double seconds = thread.second - baseline_.value(tid).second;
            byName[thread.first] += seconds;
            total += seconds;
        }
        std::multimap<double, QString, std::greater<>> biggest;
        for (const auto& [name, seconds] : byName) {
            if (seconds * scale >= (scale > 1 ? 0.5 : 0.005)) {
                biggest.emplace(seconds, name);
            }
        }
        QStringList parts;
        for (const auto& [seconds, name] : biggest) {
            parts << name + QStringLiteral(" %1").arg(seconds * scale, 0, 'f', scale > 1 ? 1 : 2) +
                         QLatin1String(unit);
        }
        return {total, parts.isEmpty() ? QStringLiteral("none") : parts.mid(0, 6).join(", ")};
    }

private:
    using Threads = QMap<qint64, std::pair<QString, double>>; // name, seconds
    Threads read() const {
        Threads threads;
        const QString tasks = QStringLiteral("/proc/%1/task/").arg(pid_);
        for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool ok = false;
            const double ns = readFile(tasks + tid + "/schedstat").section(' ', 0, 0).toDouble(&ok);
            if (ok) {
                threads[tid.toLongLong()] = {readFile(tasks + tid + "/comm").trimmed(), ns / 1e9};
            }
        }
        return threads;
    }

    qint64 pid_;
    Threads baseline_;
    Threads last_;
};

QString clip() {
    const QString path = QStringLiteral(QUARN_BINARY_DIR "/bench-media/clip-1080p30-10s.mp4");
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        std::printf("making %s ...\n", qPrintable(path));
        std::fflush(stdout);
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     QStringLiteral("-hide_banner -loglevel error -y -f lavfi -i "
                                    "testsrc2=s=1920x1080:r=30:d=10 -f lavfi -i "
                                    "sine=f=440:d=10:sample_rate=48000 -c:v libx264 -preset "
                                    "veryfast -pix_fmt yuv420p -c:a aac -shortest")
                             .split(' ')
                         << path + ".part.mp4");
        if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitCode() != 0 ||
            !QFile::rename(path + ".part.mp4", path)) {
            fail("ffmpeg failed: " + QString::fromUtf8(ffmpeg.readAllStandardError()));
        }
    }
    return path;
}

// The viewable window with this caption, looked for every pollMs.
quint64 waitShown(XSession& session, const QString& caption, QProcess* process, int pollMs) {
    const auto window = session.waitForWindow(caption, 15000, pollMs);
    if (!window) {
        fail(QStringLiteral("no window \"%1\"; log %2").arg(caption, session.logFile(process)));
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
                    const std::function<bool()>& playing, const QString& run) {
    const qint64 server = session.processIds().front(); // Xvfb
    const auto start = Clock::now();
    const double cpuAtStart = cpu(pid);
    const double serverAtStart = cpu(server);
    figures["playing: VmHWM at the first picture (MB)"].push_back(peakMb(pid));
    figures["playing: window width (pixels)"].push_back(session.geometry(window).width());
    ThreadSampler threads(pid);
    std::map<QString, double> last;
    int samples = 0;
    XSession::waitUntil(
        [&] {
            if (!playing()) {
                return true;
            }
            last = {{"playing: CPU (s)", cpu(pid) - cpuAtStart},
                    {"playing: Xvfb's CPU (s)", cpu(server) - serverAtStart},
                    {"playing: wall time (s)", msSince(start) / 1000},
                    {"playing: peak memory, VmHWM (MB)", peakMb(pid)}};
            if (++samples % 10 == 0) { // the thread table is dearer to read
                threads.sample();
            }
            return false;
        },
        30000, 5);
    for (const auto& [name, value] : last) {
        figures[name].push_back(value);
    }
    threads.sample();
    std::printf("  %s threads %s\n", qPrintable(run), qPrintable(threads.used(1, " s").second));
    std::fflush(stdout);
}

// Ours: the main window grows to the video's size when the first picture
// comes and shrinks back at the end of the media.
void playOurs(XSession& session, const QString& file, Figures& figures, const QString& run) {
    const auto start = Clock::now();
    QProcess* player = session.start(PlayerWindows::kProgram, {QStringLiteral("--"), file});
    const qint64 pid = player->processId();
    // Given a file, the player comes up at once, without its splash.
    const quint64 main = waitShown(session, PlayerWindows::kMainCaption, player, 5);
    const int atRest = PlayerWindows::kMainWithoutVideo.width();
    auto grown = [&] { return session.geometry(main).width() > atRest; };
    if (!XSession::waitUntil(grown, 10000, 5)) {
        fail("the main window did not grow to the video; log " + session.logFile(player));
    }
    figures["playing: exec to the first picture (ms)"].push_back(msSince(start));
    measurePlaying(
        session, pid, main, figures, [&] { return XSession::processRunning(pid) && grown(); }, run);
    figures["playing: CPU from exec (s)"].push_back(cpu(pid));
    stop(player);
}

// mpv, under /usr/bin/time for its whole life's CPU time and peak memory.
void playMpv(XSession& session, const QString& file, Figures& figures, const QString& run,
             const QString& videoOutput = QStringLiteral("x11")) {
    const QString times = session.logDirectory() + "/mpv-time-" + run.split(' ').join('-');
    const auto start = Clock::now();
    QProcess* time = session.start(
        QStringLiteral("/usr/bin/time"),
        QStringList{QStringLiteral("-f"), QStringLiteral("%U,%S,%M"), QStringLiteral("-o"), times} +
                QStringLiteral("mpv --no-config --vo=%1 --ao=null --geometry=1920x1080")
                    .arg(videoOutput)
                    .split(' ')
            << file);
    const QString children = QStringLiteral("/proc/%1/task/%1/children").arg(time->processId());
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
        [&] { return session.geometry(window).isValid() && XSession::processRunning(pid); }, run);
    if (!time->waitForFinished(10000)) {
        stop(time);
    }
    const QStringList fields = readFile(times).trimmed().split('\n').last().split(',');
    figures["playing: CPU from exec (s)"].push_back(fields.value(0).toDouble() +
                                                    fields.value(1).toDouble());
    figures["playing: wait4's maximum RSS (MB)"].push_back(fields.value(2).toDouble() / 1024);
}

// Idle CPU over kIdleMs, kIdleSettleMs after the windows came up: the
// scheduler's figure, sampled every 100 ms, and /proc/<pid>/stat's.
void measureIdle(qint64 pid, Figures& figures, const QString& run) {
    QThread::msleep(kIdleSettleMs);
    const double before = cpu(pid);
    ThreadSampler threads(pid);
    for (const auto start = Clock::now(); msSince(start) < kIdleMs;) {
        QThread::msleep(100);
        threads.sample();
    }
    const auto [seconds, breakdown] = threads.used(1000, " ms");
    figures["idle: CPU (ms)"].push_back(seconds * 1000);
    figures["idle: CPU in 10 ms ticks (ms)"].push_back((cpu(pid) - before) * 1000);
    std::printf("  %s idle, threads %s\n", qPrintable(run), qPrintable(breakdown));
    std::fflush(stdout);
}

void startOurs(XSession& session, Figures& figures, const QString& run, bool idle) {
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
        measureIdle(player->processId(), figures, run);
    }
    stop(player);
}

void startMpv(XSession& session, Figures& figures, const QString& run, bool idle,
              const QString& options = {}) {
    const auto start = Clock::now();
    QProcess* mpv = session.start(QStringLiteral("mpv"),
                                  QStringLiteral("--no-config --force-window=yes --idle %1")
                                      .arg(options)
                                      .split(' ', Qt::SkipEmptyParts));
    waitShown(session, QStringLiteral("No file - mpv"), mpv, 2);
    figures["start-up: exec to its first window (ms)"].push_back(msSince(start));
    if (idle) {
        measureIdle(mpv->processId(), figures, run);
    }
    stop(mpv);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));
    const int runs = quick ? 1 : 3;
    const auto benchStart = Clock::now();
    auto loadAverage = [] { return readFile(QStringLiteral("/proc/loadavg")).section(' ', 0, 2); };
    try {
        std::printf("player_bench%s: load average %s on %ld cores\n", quick ? " --quick" : "",
                    qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
        const QString file = clip();
        XSession::Options options;
        options.screen = kScreen;
        XSession session(options);
        std::printf("display %s, %dx%d, openbox + trayer; clip %s (1920x1080, 30 fps, 10 s, "
                    "H.264 + AAC, played with vo=x11, ao=null)\n\n",
                    qPrintable(session.display()), kScreen.width(), kScreen.height(),
                    qPrintable(QFileInfo(file).fileName()));
        std::fflush(stdout);

        // Ours and mpv in turn, so that a burst of other work on the machine
        // falls on both alike. mpv is also given the player's own list of
        // video outputs: what trying the GPU renderer first costs.
        std::map<QString, Figures> programs; // printed in the order of their names
        Figures& ours = programs[QStringLiteral("ours")];
        for (int i = 1; i <= runs; ++i) {
            playOurs(session, file, ours, QStringLiteral("playback run %1, ours:").arg(i));
            playMpv(session, file, programs["mpv"], QStringLiteral("playback run %1, mpv:").arg(i));
        }
        if (!quick) {
            playMpv(session, file, programs["mpv --vo=gpu,xv,x11"],
                    QStringLiteral("playback, mpv --vo=gpu,xv,x11:"), QStringLiteral("gpu,xv,x11"));
        }
        for (int i = 1; i <= runs; ++i) {
            startOurs(session, ours, QStringLiteral("start-up run %1, ours:").arg(i),
                      i <= (quick ? 1 : 2));
            startMpv(session, programs["mpv"], QStringLiteral("start-up run %1, mpv:").arg(i),
                     i == 1);
            startMpv(session, programs["mpv --vo=x11"],
                     QStringLiteral("start-up run %1, mpv --vo=x11:").arg(i), false,
                     QStringLiteral("--vo=x11"));
        }

        // Each figure: the median and every run of each program that has it,
        // and where there is a goal, ours against each other's median.
        const std::map<QString, const char*> goals{
            {"playing: CPU (s)", "<= 1.10"}, {"start-up: exec to its first window (ms)", "<= 1.5"}};
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
                parts << QStringLiteral("%1 %2 (runs %3)")
                             .arg(who, QString::number(median(values), 'f', precision),
                                  each.join(", "));
                if (goals.count(name) && who != "ours") {
                    ratios << QStringLiteral("%1 against %2")
                                  .arg(median(ours[name]) / median(values), 0, 'f', 2)
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
