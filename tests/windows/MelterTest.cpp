#include "windows/Melter.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using quarn::Melter;

namespace {

Melter* runningMelter() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* melter = qobject_cast<Melter*>(widget)) {
            return melter;
        }
    }
    return nullptr;
}

// Runs the effect and, after a moment, calls `during` on its window, which
// must end the effect. A stuck run is closed after a few seconds.
void runWith(const std::function<void(Melter&)>& during, int afterMs = 150) {
    QTimer::singleShot(afterMs, [&] {
        if (Melter* melter = runningMelter()) {
            during(*melter);
        }
    });
    QTimer::singleShot(5000, [] {
        if (Melter* melter = runningMelter()) {
            ADD_FAILURE() << "the effect did not end";
            melter->close();
        }
    });
    Melter::Run();
}

} // namespace

TEST(MelterTest, CoversTheScreenAndOnlyATypedCharacterEndsIt) {
    QPointer<Melter> seen;
    bool meltingAfterSilentKeys = false;
    runWith([&](Melter& melter) {
        seen = &melter;
        EXPECT_EQ(melter.geometry(), QGuiApplication::primaryScreen()->geometry());
        EXPECT_TRUE(melter.windowFlags().testFlag(Qt::FramelessWindowHint));
        for (const Qt::Key key : {Qt::Key_Left, Qt::Key_F5, Qt::Key_Shift, Qt::Key_PageDown}) {
            QTest::keyClick(&melter, key);
        }
        meltingAfterSilentKeys = melter.Melting();
        QTimer::singleShot(100, &melter, [&melter] { QTest::keyClick(&melter, Qt::Key_Return); });
    });
    EXPECT_TRUE(meltingAfterSilentKeys);
    EXPECT_TRUE(seen.isNull()) << "the window is destroyed when the run ends";
    EXPECT_GT(Melter::LastRun().steps, 0);
}

// The whole click is the effect's, so the release does not land on whatever
// lies below once it has gone.
TEST(MelterTest, AClickEndsItOnTheRelease) {
    bool meltingAfterPress = false;
    runWith([&](Melter& melter) {
        QTest::mousePress(&melter, Qt::RightButton, {}, QPoint(300, 200));
        meltingAfterPress = melter.Melting();
        QTest::mouseRelease(&melter, Qt::RightButton, {}, QPoint(300, 200));
    });
    EXPECT_TRUE(meltingAfterPress);
    EXPECT_EQ(runningMelter(), nullptr);
}

TEST(MelterTest, ThePictureOnlyMovesWhatTheScreenShowed) {
    // A whole-screen window of four upright stripes.
    const QRgb colours[4] = {0xFFE03030, 0xFF30E030, 0xFF3030E0, 0xFFE0E030};
    QImage stripes(QGuiApplication::primaryScreen()->size(), QImage::Format_RGB32);
    const int stripe = (stripes.width() + 3) / 4;
    for (int i = 0; i < 4; ++i) {
        QPainter(&stripes).fillRect(i * stripe, 0, stripe, stripes.height(),
                                    QColor::fromRgb(colours[i]));
    }
    QLabel window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setPixmap(QPixmap::fromImage(stripes));
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QImage melted;
    runWith(
        [&](Melter& melter) {
            melted = melter.Picture().copy();
            QTest::keyClick(&melter, 'x');
        },
        400);
    ASSERT_EQ(melted.size(), stripes.size());
    QSet<QRgb> seen;
    int moved = 0;
    for (int y = 0; y < melted.height(); ++y) {
        for (int x = 0; x < melted.width(); ++x) {
            seen.insert(melted.pixel(x, y));
            moved += melted.pixel(x, y) != stripes.pixel(x, y);
        }
    }
    EXPECT_EQ(seen, (QSet<QRgb>{colours[0], colours[1], colours[2], colours[3]}));
    EXPECT_GT(moved, 0) << "the borders between the stripes have smeared";
}

TEST(MelterTest, TimersGoOnAndFramesFollowTheStepsNoFasterThanTheScreen) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    int ticksDuring = 0;
    runWith(
        [&](Melter& melter) {
            ticksDuring = ticks;
            QTest::keyClick(&melter, 'x');
        },
        600);
    EXPECT_GE(ticksDuring, 20);
    const Melter::Stats stats = Melter::LastRun();
    const double rate = QGuiApplication::primaryScreen()->refreshRate();
    EXPECT_GT(stats.frames, 0);
    EXPECT_LT(stats.frames, stats.steps);
    EXPECT_LE(stats.frames, stats.seconds * (rate > 0 ? rate : 60) + 1);
}

TEST(MelterTest, AStartWhileItRunsIsIgnoredAndClosingItEndsTheRun) {
    bool oneWindow = false;
    runWith([&](Melter& melter) {
        Melter::Run(); // returns at once
        oneWindow = runningMelter() == &melter;
        melter.close();
    });
    EXPECT_TRUE(oneWindow);
    EXPECT_EQ(runningMelter(), nullptr);
}
