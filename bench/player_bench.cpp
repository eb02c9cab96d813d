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
#include "support/MediaFixtures.h"
#include "support/PlayerWindows.h"

#include <QCoreApplication>
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
                    const std::function<bool()>& playing) {
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
                    {"playing: peak memory, VmHWM (MB)", statusMb(pid, "VmHWM:")}};
            return false;
        },
        30000, 5);
    for (const auto& [name, value] : last) {
        figures[name].push_back(value);
    }
}

// Ours: the main window grows to the video's size when the first picture
// comes and shrinks back at the end of the media.
void playOurs(XSession& session, const QString& file, Figures& figures) {
    const auto start = Clock::now();
    QProcess* player = session.start(PlayerWindows::kProgram, {u"--"_s, file});
    const qint64 pid = player->processId();
    // Given a file, the player comes up at once, without its splash.
    const quint64 main = waitShown(session, PlayerWindows::kMainCaption, player, 5);
    auto grown = [&] {
        return session.geometry(main).width() > PlayerWindows::kMainWithoutVideo.width();
    };
    if (!XSession::waitUntil(grown, 10000, 5)) {
        fail("the main window did not grow to the video; log " + session.logFile(player));
    }
    figures["playing: exec to the first picture (ms)"].push_back(msSince(start));
    measurePlaying(session, pid, main, figures,
                   [&] { return XSession::processRunning(pid) && grown(); });
    figures["playing: CPU from exec (s)"].push_back(cpuSeconds(pid));
    stop(player);
}

// mpv, under /usr/bin/time for its whole life's CPU time and peak memory.
void playMpv(XSession& session, const QString& file, Figures& figures, int run,
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
    measurePlaying(session, pid, window, figures, [&] {
        return session.geometry(window).isValid() && XSession::processRunning(pid);
    });
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool quick = QCoreApplication::arguments().contains(u"--quick"_s);
    const int runs = quick ? 1 : 3;
    const auto benchStart = Clock::now();
    auto loadAverage = [] { return readFile(u"/proc/loadavg"_s).section(' ', 0, 2); };
    try {
        std::printf("player_bench%s: load average %s on %ld cores\n", quick ? " --quick" : "",
                    qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
        const QString file = quarn::test::media::Made(
            u"clip-1080p30-10s.mp4"_s,
            QStringLiteral("-f lavfi -i testsrc2=s=1920x1080:r=30:d=10 -f lavfi -i "
                           "sine=f=440:d=10:sample_rate=48000 -c:v libx264 -preset veryfast "
                           "-pix_fmt yuv420p -c:a aac -shortest"));
        XSession::Options options;
        options.screen = kScreen;
        XSession session(options);
        std::printf("display %s, %dx%d, openbox + trayer; clip %s (1920x1080, 30 fps, 10 s, "
                    "H.264 + AAC, played with vo=x11, ao=null)\n",
                    qPrintable(session.display()), kScreen.width(), kScreen.height(),
                    qPrintable(QFileInfo(file).fileName()));
        std::fflush(stdout);

        // Ours and mpv in turn, so that a burst of other work on the machine
        // falls on both alike. mpv is also given the player's own list of
        // video outputs: what trying the GPU renderer first costs.
        std::map<QString, Figures> programs; // printed in the order of their names
        Figures& ours = programs[u"ours"_s];
        for (int i = 1; i <= runs; ++i) {
            playOurs(session, file, ours);
            playMpv(session, file, programs["mpv"], i);
        }
        if (!quick) {
            playMpv(session, file, programs["mpv --vo=gpu,xv,x11"], 0, u"gpu,xv,x11"_s);
        }
        for (int i = 1; i <= runs; ++i) {
            startOurs(session, ours, i <= (quick ? 1 : 2));
            startMpv(session, programs["mpv"], i == 1);
            startMpv(session, programs["mpv --vo=x11"], false, u"--vo=x11"_s);
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
