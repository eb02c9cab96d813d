// A soak of the real player on a private 1920 x 1080 desktop: many opens of
// short mixed clips (video, sound, damaged files) through the Open dialog in
// one run, some played to their end. Prints what happened to each kind of
// file, whether the player ever died, and its resident memory and open file
// descriptors at the start and at the end.
//
//   soak_bench [OPENS]     200 opens unless told otherwise
#include "ProcessStats.h"
#include "support/DamagedMedia.h"
#include "support/MediaFixtures.h"
#include "support/PlayerWindows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

using namespace quarn::bench;
using quarn::e2e::PlayerWindows;
using quarn::e2e::XSession;
namespace damaged = quarn::test::damaged;
namespace media = quarn::test::media;

namespace {

struct Clip {
    QString path;
    const char* kind;   // "video", "sound", "damaged"
    double seconds = 0; // how long it plays, 0 for damaged ones
    int opens = 0;
    int refusals = 0;
    int ends = 0;
};

std::vector<Clip> clips() {
    const QDir corpus = QFileInfo(damaged::GoodClip(u"mp4"_s)).dir();
    std::vector<Clip> list{{media::Pattern(320, 240, 25, 1), "video", 1},
                           {damaged::GoodClip(u"mkv"_s), "video", 1},
                           {media::Pattern(1280, 720, 25, 1), "video", 1},
                           {damaged::GoodClip(u"mp3"_s), "sound", 1},
                           {damaged::GoodClip(u"flac"_s), "sound", 1}};
    for (const char* name : {"mp4-cut-50.mp4", "mkv-cut-10.mkv", "mp4-flipped-header.mp4",
                             "mkv-flipped-middle.mkv", "text.mp4"}) {
        list.push_back({corpus.filePath(QString::fromLatin1(name)), "damaged"});
    }
    return list;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int opens = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    try {
        damaged::Corpus(); // made before the clock starts
        std::vector<Clip> list = clips();
        XSession::Options options;
        options.screen = QSize(1920, 1080);
        XSession session(options);
        PlayerWindows player(session);
        player.start({});

        int crashes = 0;
        qint64 pid = player.process()->processId();
        const int fdsAtStart = openDescriptors(pid);
        const double rssAtStart = statusMb(pid, "VmRSS:");
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
            const bool refused = XSession::waitUntil([&] { return player.dismissBox(); },
                                                     clip.seconds == 0 ? 3000 : 500);
            if (refused) {
                ++clip.refusals;
            } else if (i % 4 == 0 && clip.seconds > 0) {
                // Played to its end: sound for its length; a video's main
                // window goes back to its size at rest.
                QThread::msleep(clip.kind == QLatin1String("sound") ? 1000 * clip.seconds + 500
                                                                    : 200);
                clip.ends += XSession::waitUntil([&] { return player.atRest(); },
                                                 int(clip.seconds * 1000) + 4000);
            } else {
                QThread::msleep(300);
            }
            if (!player.running()) {
                ++crashes;
                std::printf("  open %d (%s): the player died: %s\n    log %s\n", i + 1,
                            qPrintable(QFileInfo(clip.path).fileName()),
                            qPrintable(player.howItEnded()),
                            qPrintable(session.logFile(player.process())));
                player.start({});
                pid = player.process()->processId();
            }
            if (i + 1 == int(list.size())) {
                warmFds = openDescriptors(pid);
                warmRss = statusMb(pid, "VmRSS:");
            }
            if ((i + 1) % 50 == 0) {
                std::printf("  %d opens, %.0f s: %.0f MB resident, %d descriptors\n", i + 1,
                            clock.elapsed() / 1000.0, statusMb(pid, "VmRSS:"),
                            openDescriptors(pid));
                std::fflush(stdout);
            }
        }

        std::printf("\nper clip: opens, refused, played to the end\n");
        for (const Clip& clip : list) {
            std::printf("  %-24s %-7s %3d %3d %3d\n", qPrintable(QFileInfo(clip.path).fileName()),
                        clip.kind, clip.opens, clip.refusals, clip.ends);
        }
        std::printf("\ncrashes: %d in %d opens, %.0f s\n", crashes, opens,
                    clock.elapsed() / 1000.0);
        std::printf("resident memory: %.0f MB at the start, %.0f MB once every clip has been "
                    "opened, %.0f MB at the end (peak %.0f MB)\n",
                    rssAtStart, warmRss, statusMb(pid, "VmRSS:"), statusMb(pid, "VmHWM:"));
        std::printf("open descriptors: %d at the start, %d once every clip has been opened, %d at "
                    "the end\n",
                    fdsAtStart, warmFds, openDescriptors(pid));
        std::printf("exit: %s\n", qPrintable(player.exit()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
