// The window group's rules, on Qt's offscreen platform: docking, snapping
// back and keeping the main window's size (dragging, full screen and the
// screen's edges: the desktop tests).
#include "widgets/WindowGroup.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

class WindowGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (QWidget* w : {&main, &above, &below}) {
            w->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        }
        main.resize(252, 214);
        above.resize(244, 39);
        below.resize(244, 46);
        group.SetMainSize(main.size());
        group.AddCompanion(above, [](const QRect& m) { return m.topLeft() + QPoint(0, -40); });
        group.AddCompanion(below, [](const QRect& m) { return m.bottomLeft() + QPoint(0, 3); });
        main.move(300, 300);
        group.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }

    bool docked() const {
        return above.pos() == main.pos() + QPoint(0, -40) &&
               below.pos() == main.geometry().bottomLeft() + QPoint(0, 3);
    }

    QWidget main;
    QWidget above;
    QWidget below;
    WindowGroup group{main};
};

} // namespace

TEST_F(WindowGroupTest, CompanionsFollowTheMainWindowAndGoBackWhenMovedAway) {
    EXPECT_TRUE(docked());
    main.move(100, 120);
    EXPECT_TRUE(QTest::qWaitFor([&] { return docked(); }, 1000));
    below.move(700, 700);
    EXPECT_TRUE(QTest::qWaitFor([&] { return docked(); }, 1000));
    // A companion closed from the desktop stays.
    EXPECT_FALSE(above.close());
    EXPECT_TRUE(above.isVisible());
}

TEST_F(WindowGroupTest, TheMainWindowKeepsItsSizeWhateverElseAsks) {
    main.resize(400, 300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.size() == QSize(252, 214); }, 500));
    group.SetMainSize(QSize(333, 273));
    EXPECT_EQ(main.size(), QSize(333, 273));
    EXPECT_TRUE(docked());
}
