#include "toolbar/SongName.h"
#include "support/WindowsFixture.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

using SongNameTest = test::WindowsFixture;

TEST_F(SongNameTest, LoadFitsTheStripToItsSkinAndColoursTheTitle) {
    SongName& strip = songName();
    EXPECT_EQ(strip.size(), QSize(244, 39));
    EXPECT_FALSE(strip.PicMainSkin().HasBorder());
    EXPECT_FALSE(strip.mask().isEmpty());
    EXPECT_FALSE(strip.mask().contains(QPoint(0, 0)));
    EXPECT_EQ(strip.Label1().ForeColour(), colourWord(90, 150, 198));
    EXPECT_EQ(strip.Label1().text(), "");
}

// Without a window manager the strip follows the mouse itself; any button drags it.
TEST_F(SongNameTest, AnyButtonOnTheTitleOrTheSkinDragsTheStrip) {
    SongName& strip = songName();
    strip.move(100, 100);
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    for (Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton}) {
        const QPoint before = strip.pos();
        QWidget* target = button == Qt::RightButton ? static_cast<QWidget*>(&strip.Label1())
                                                    : static_cast<QWidget*>(&strip.PicMainSkin());
        const QPoint at =
            target == &strip.Label1() ? strip.Label1().rect().center() : QPoint(120, 3);
        QTest::mousePress(target, button, {}, at);
        QTest::mouseMove(target, at + QPoint(30, 20));
        QTest::mouseRelease(target, button, {}, at + QPoint(30, 20));
        EXPECT_EQ(strip.pos(), before + QPoint(30, 20)) << int(button);
    }
}
