// How long it takes to build a window's outline from a picture (the toolbar's
// skin, and a full-HD picture with a ragged outline), to read a skin from its
// folder and from a .zip archive, and to draw every window in a new skin.
//   shaping_bench                     all of them, each the median of 20 runs

#include "widgets/Skin.h"
#include "widgets/WindowShaping.h"
#include "windows/MainWindow.h"
#include "windows/PlaylistWindow.h"
#include "windows/TitleStrip.h"
#include "windows/Toolbar.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStringListModel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Each figure: the mean, median and spread of 20 runs.
void twentyRuns(benchmark::internal::Benchmark* bench) {
    bench->Repetitions(20)->ReportAggregatesOnly(true);
}

QImage raggedPicture() {
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    // A blob with a wavy rim and holes: many runs per row.
    QPainterPath rim;
    for (int i = 0; i <= 720; ++i) {
        const double a = i * M_PI / 360;
        const double r = 480 + 40 * std::sin(a * 23) + 25 * std::cos(a * 57);
        const QPointF p(960 + r * std::cos(a) * 1.8, 540 + r * std::sin(a));
        i == 0 ? rim.moveTo(p) : rim.lineTo(p);
    }
    painter.setBrush(QColor(40, 80, 140));
    painter.drawPath(rim);
    painter.setBrush(QColor(255, 0, 0));
    for (int y = 100; y < 1000; y += 37) {
        for (int x = 200; x < 1700; x += 53) {
            painter.drawEllipse(QPoint(x + (y % 3) * 7, y), 9, 6);
        }
    }
    return image;
}

void ToolbarSkin(benchmark::State& state) {
    const QImage skin(u":/skins/classic/toolbar.png"_s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarn::GetSkinRegion(skin));
    }
    state.counters["runs"] = static_cast<double>(quarn::SkinRuns(skin).size());
}
BENCHMARK(ToolbarSkin)->Unit(benchmark::kMicrosecond)->Apply(twentyRuns);

void FullHdRaggedPicture(benchmark::State& state) {
    const QImage picture = raggedPicture();
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarn::GetSkinRegion(picture));
    }
    state.counters["runs"] = static_cast<double>(quarn::SkinRuns(picture).size());
}
BENCHMARK(FullHdRaggedPicture)->Unit(benchmark::kMillisecond)->Apply(twentyRuns);

const QString kSkins = QStringLiteral(QUARN_SKINS_DIR);

void SkinFromFolder(benchmark::State& state) {
    const QString folder = kSkins + (state.range(0) == 0 ? u"/classic"_s : u"/light"_s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarn::ReadSkin(folder));
    }
}
// Classic; Light, which has a twin at twice the size of every picture.
BENCHMARK(SkinFromFolder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Apply(twentyRuns);

void SkinFromArchive(benchmark::State& state) {
    QTemporaryDir work;
    QProcess zip;
    zip.start(
        u"/usr/bin/python3"_s,
        {u"-c"_s,
         u"import shutil,sys; shutil.make_archive(sys.argv[1], 'zip', sys.argv[2], 'light')"_s,
         work.filePath(u"light"_s), kSkins});
    zip.waitForFinished();
    const QString archive = work.filePath(u"light.zip"_s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarn::ReadSkin(archive));
    }
}
BENCHMARK(SkinFromArchive)->Unit(benchmark::kMillisecond)->Apply(twentyRuns);

// Every window of the group takes the other skin: its pictures at their
// size, its outline, its controls (Classic and Light in turn, at 1x).
void ReshapeEveryWindow(benchmark::State& state) {
    const quarn::Skin skins[] = {quarn::ReadSkin(kSkins + u"/classic"_s),
                                 quarn::ReadSkin(kSkins + u"/light"_s)};
    QStringListModel queue(QStringList{u"a"_s, u"b"_s});
    quarn::MainWindow main(skins[0], 1, [](const QString&) { return nullptr; });
    quarn::TitleStrip title(skins[0], 1);
    quarn::Toolbar bar(skins[0], 1, [](const QString&) { return nullptr; });
    quarn::PlaylistWindow playlist(queue, skins[0], 1);
    int next = 1;
    for (auto _ : state) {
        const quarn::Skin& skin = skins[next];
        main.ApplySkin(skin, 1);
        title.ApplySkin(skin, 1);
        bar.ApplySkin(skin, 1);
        playlist.ApplySkin(skin, 1);
        next = 1 - next;
    }
}
BENCHMARK(ReshapeEveryWindow)->Unit(benchmark::kMillisecond)->Apply(twentyRuns);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
