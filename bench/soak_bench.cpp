// A soak of the real player on a private 1920 x 1080 desktop: many opens of
// short mixed clips (video, sound, damaged files) through the Open dialog in
// one run, some played to their end. Prints what happened to each kind of
// file, whether the player ever died, and its resident memory and open file
// descriptors at the start and at the end.
//
//   soak_bench [OPENS]     200 opens unless told otherwise
#include "ProcessStats.h"
#include "support/PlayerWindows.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <stdexcept>
#include <vector>

using quarn::bench::statusField;
using quarn::e2e::PlayerWindows;
using quarn::e2e::XSession;

namespace {

const QString kFolder = QStringLiteral(QUARN_BINARY_DIR "/bench-media/soak");

struct Clip {
    QString path;
    QString kind;       // "video", "sound", "damaged"
    double seconds = 0; // how long it plays, 0 for damaged ones
    int opens = 0;
    int refusals = 0;
    int ends = 0;
};

void ffmpeg(const QStringList& arguments, const QString& output) {
    if (QFileInfo::exists(output)) {
        return;
    }
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                              QStringLiteral("error"), QStringLiteral("-y")}
                      << arguments << output);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        throw std::runtime_error("ffmpeg: " + process.readAllStandardError().toStdString());
    }
}

QString video(int width, int height, int seconds, const QString& suffix = QStringLiteral("mp4")) {
    const QString path =
        kFolder +
        QStringLiteral("/video-%1x%2-%3s.%4").arg(width).arg(height).arg(seconds).arg(suffix);
    ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc2=s=%1x%2:r=25:d=%3").arg(width).arg(height).arg(seconds),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=f=440:d=%1").arg(seconds), QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p"), QStringLiteral("-shortest")},
           path);
    return path;
}

QString sound(int seconds, const QString& suffix) {
    const QString path = kFolder + QStringLiteral("/sound-%1s.%2").arg(seconds).arg(suffix);
    ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=f=330:d=%1").arg(seconds)},
           path);
    return path;
}

// A copy of a clip with its bytes changed: cut to a fraction of its length,
// or with a run of bytes overwritten at a fraction of it.
QString damaged(const QString& source, const QString& name, double cutAt, double zeroAt = -1) {
    const QString path = kFolder + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path)) {
        QFile in(source);
        in.open(QIODevice::ReadOnly);
        QByteArray bytes = in.readAll();
        bytes.truncate(qsizetype(bytes.size() * cutAt));
        if (zeroAt >= 0) {
            const qsizetype at = qsizetype(bytes.size() * zeroAt);
            for (qsizetype i = at; i < std::min(bytes.size(), at + 4096); ++i) {
                bytes[i] = char(i * 7 + 3);
            }
        }
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    }
    return path;
}

std::vector<Clip> clips() {
    QDir().mkpath(kFolder);
    const QString small = video(320, 240, 1);
    const QString mid = video(640, 360, 2, QStringLiteral("mkv"));
    std::vector<Clip> list{
        {small, QStringLiteral("video"), 1},
        {mid, QStringLiteral("video"), 2},
        {video(1280, 720, 1), QStringLiteral("video"), 1},
        {sound(1, QStringLiteral("mp3")), QStringLiteral("sound"), 1},
        {sound(2, QStringLiteral("flac")), QStringLiteral("sound"), 2},
        {damaged(small, QStringLiteral("cut-half.mp4"), 0.5), QStringLiteral("damaged")},
        {damaged(mid, QStringLiteral("cut-third.mkv"), 0.33), QStringLiteral("damaged")},
        {damaged(small, QStringLiteral("scrambled-head.mp4"), 1.0, 0.0), QStringLiteral("damaged")},
        {damaged(mid, QStringLiteral("scrambled-body.mkv"), 1.0, 0.5), QStringLiteral("damaged")},
    };
    const QString text = kFolder + QStringLiteral("/notes.mp4");
    QFile notes(text);
    if (notes.open(QIODevice::WriteOnly)) {
        notes.write("Not a film.\n");
    }
    list.push_back({text, QStringLiteral("damaged")});
    return list;
}

int openDescriptors(qint64 pid) {
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

double rssMb(qint64 pid, const char* field = "VmRSS:") {
    return statusField(pid, field) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int opens = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    try {
        std::vector<Clip> list = clips();
        XSession::Options options;
        options.screen = QSize(1920, 1080);
        XSession session(options);
        PlayerWindows player(session);
        player.start({});

        int crashes = 0;
        qint64 pid = player.process()->processId();
        const int fdsAtStart = openDescriptors(pid);
        const double rssAtStart = rssMb(pid);
        int warmFds = fdsAtStart;
        double warmRss = rssAtStart;
        QElapsedTimer clock;
        clock.start();
        std::printf("soak: %d opens of %zu clips, player %lld: %.0f MB resident, %d descriptors\n",
                    opens, list.size(), pid, rssAtStart, fdsAtStart);
        std::fflush(stdout);

        for (int i = 0; i < opens; ++i) {
            Clip& clip = list[std::size_t(i) % list.size()];
            ++clip.opens;
            player.open(clip.path);
            const bool refused = XSession::waitUntil(
                [&] { return player.dismissBox(QStringLiteral("Playback Error")); },
                clip.kind == QLatin1String("damaged") ? 3000 : 500);
            if (refused) {
                ++clip.refusals;
            } else if (i % 4 == 0 && clip.kind == QLatin1String("sound")) {
                QThread::msleep(int(clip.seconds * 1000) + 500);
                ++clip.ends;
            } else if (i % 4 == 0 && clip.seconds > 0) {
                // Played to its end: the main window goes back to its size at rest.
                QThread::msleep(200);
                if (XSession::waitUntil([&] { return player.atRest(); },
                                        int(clip.seconds * 1000) + 4000)) {
                    ++clip.ends;
                }
            } else {
                QThread::msleep(300);
            }
            if (!player.running()) {
                ++crashes;
                std::printf("  open %d (%s): the player died: %s\n    log %s\n", i + 1,
                            qPrintable(QFileInfo(clip.path).fileName()),
                            qPrintable(player.howItEnded()),
                            qPrintable(session.logFile(player.process())));
                std::fflush(stdout);
                player.start({});
                pid = player.process()->processId();
            }
            if (i + 1 == int(list.size())) {
                warmFds = openDescriptors(pid);
                warmRss = rssMb(pid);
            }
            if ((i + 1) % 50 == 0) {
                std::printf("  %d opens, %.0f s: %.0f MB resident, %d descriptors\n", i + 1,
                            clock.elapsed() / 1000.0, rssMb(pid), openDescriptors(pid));
                std::fflush(stdout);
            }
        }

        std::printf("\nper clip: opens, refused, played to the end\n");
        for (const Clip& clip : list) {
            std::printf("  %-24s %-7s %3d %3d %3d\n", qPrintable(QFileInfo(clip.path).fileName()),
                        qPrintable(clip.kind), clip.opens, clip.refusals, clip.ends);
        }
        std::printf("\ncrashes: %d in %d opens, %.0f s\n", crashes, opens,
                    clock.elapsed() / 1000.0);
        std::printf("resident memory: %.0f MB at the start, %.0f MB once every clip has been "
                    "opened, %.0f MB at the end (peak %.0f MB)\n",
                    rssAtStart, warmRss, rssMb(pid), rssMb(pid, "VmHWM:"));
        std::printf("open descriptors: %d at the start, %d once every clip has been opened, %d at "
                    "the end\n",
                    fdsAtStart, warmFds, openDescriptors(pid));
        const QString ended = player.exit();
        std::printf("exit: %s\n", qPrintable(ended));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
