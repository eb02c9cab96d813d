// How long it takes to build a window's outline from a picture: the toolbar's
// skin, and a full-HD picture with a ragged outline.

#include "widgets/WindowShaping.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

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
    const QImage skin(u":/skins/toolbar.png"_s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarn::GetSkinRegion(skin));
    }
    state.counters["runs"] = static_cast<double>(quarn::SkinRuns(skin).size());
}
BENCHMARK(ToolbarSkin)->Unit(benchmark::kMicrosecond);

void FullHdRaggedPicture(benchmark::State& state) {
    const QImage picture = raggedPicture();
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarn::GetSkinRegion(picture));
    }
    state.counters["runs"] = static_cast<double>(quarn::SkinRuns(picture).size());
}
BENCHMARK(FullHdRaggedPicture)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
