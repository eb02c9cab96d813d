// The melt's window on its own; the desktop test shows it melting a real
// screen, ended by keys and clicks, with the player playing on.
#include "windows/Melter.h"

#include <QApplication>
#include <QPointer>
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
void runWith(const std::function<void(Melter&)>& during) {
    QTimer::singleShot(300, [&] {
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

// The whole click is the effect's, so the release does not land on whatever
// lies below once it has gone.
TEST(MelterTest, OneRunAtATimeEndedByTheReleaseOfAClickOrByClosingItsWindow) {
    QPointer<Melter> seen;
    bool oneWindow = false;
    bool meltingAfterPress = false;
    runWith([&](Melter& melter) {
        seen = &melter;
        Melter::Run(); // returns at once
        oneWindow = runningMelter() == &melter;
        QTest::mousePress(&melter, Qt::RightButton, {}, QPoint(300, 200));
        meltingAfterPress = melter.Melting();
        QTest::mouseRelease(&melter, Qt::RightButton, {}, QPoint(300, 200));
    });
    EXPECT_TRUE(oneWindow);
    EXPECT_TRUE(meltingAfterPress);
    EXPECT_TRUE(seen.isNull()) << "the window is destroyed when the run ends";
    EXPECT_GT(Melter::LastRun().frames, 0); // its speed: the benchmark

    runWith([](Melter& melter) { melter.close(); });
    EXPECT_EQ(runningMelter(), nullptr);
}
