#include "platform/SystemVersion.h"
#include "platform/UserFiles.h"
#include "widgets/WindowShaping.h"
#include "windows/AboutBox.h"
#include "windows/AboutLogic.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>

using namespace quarn;

TEST(AboutLogicTest, StrayFrameNumbersStartOverAndTheReadoutIsColourAndPlace) {
    // The round 2, 3, 4, 1: AboutBoxTest and the desktop tests.
    for (const std::int32_t stray : {0, 17, -3, std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(about::NextFrame(stray), 1) << stray;
    }
    // The colour, four spaces and the place in twips.
    EXPECT_EQ(about::ColourReadout(16777215, 1500, 750), "16777215    [1500,750]");
    EXPECT_EQ(about::ColourReadout(255, 22.5f, -30), "255    [22.5,-30]");
}

TEST(AboutLogicTest, OnlyWindowsVersionFivePointOhOneWithAPointIsNamedXP) {
    EXPECT_EQ(about::WinVerCaption(FormatWinVer(5, 1, QLocale::c()), true), "5.01 XP");
    EXPECT_EQ(about::WinVerCaption(FormatWinVer(5, 1, QLocale(QLocale::German)), true), QString());
    for (const char* other : {"5.00", "5.1", "4.10", "10.00", "6.01", ""}) {
        EXPECT_EQ(about::WinVerCaption(QString::fromLatin1(other), true), QString()) << other;
    }
    // A Linux kernel 5.1 is no Windows XP.
    EXPECT_EQ(about::WinVerCaption("5.01", false), QString());
}

namespace {

// A frame picture: the key colour all round a solid body, each frame its own
// colour and size.
QImage framePicture(int frame) {
    QImage image(60 + 10 * frame, 90 + 5 * frame, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    QPainter(&image).fillRect(image.rect().adjusted(3, 3, -3, -3),
                              QColor(40 * frame, 200 - 30 * frame, 60));
    return image;
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int frame = 1; frame <= 4; ++frame) {
            ASSERT_TRUE(framePicture(frame).save(about::FramePath(folder.path(), frame), "BMP"));
        }
        box = std::make_unique<AboutBox>(folder.path());
    }

    void expectShowing(int frame) {
        const QImage expected = framePicture(frame);
        EXPECT_EQ(box->Picture1().Picture(), expected) << "frame " << frame;
        EXPECT_EQ(box->Picture1().size(), expected.size()) << "frame " << frame;
        EXPECT_EQ(box->Picture1().mask(), GetSkinRegion(expected)) << "frame " << frame;
    }

    void moveWith(QWidget& target, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), target.mapToGlobal(QPointF(at)),
                         Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&target, &move);
    }

    QTemporaryDir folder;
    std::unique_ptr<AboutBox> box;
};

} // namespace

TEST_F(AboutBoxTest, ShowsItsPicturesShapedAndTheNextFrameEachTickHiddenOrNotAndSkipsBadOnes) {
    EXPECT_EQ(box->AboutFrame(), 1);
    EXPECT_EQ(box->MyWinVer().text(), about::WinVerCaption(GetWinVer()));
    EXPECT_FALSE(box->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->AboutFrame() == 3; }, 2000));
    expectShowing(3);
    box->AnimationTimer().stop();
    // A missing or unreadable frame keeps the picture; the count goes on.
    ASSERT_TRUE(QFile::remove(about::FramePath(folder.path(), 4)));
    ASSERT_TRUE(
        platform::WriteUserFile(about::FramePath(folder.path(), 1), "BM not a picture").written);
    box->NextFrame();
    box->NextFrame();
    EXPECT_EQ(box->AboutFrame(), 1);
    expectShowing(3);
    box->NextFrame();
    expectShowing(2);
}

TEST_F(AboutBoxTest, RightButtonAloneOverTheBackgroundReadsItsColourAndPlace) {
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    const QPoint at(20, 250);
    ASSERT_EQ(box->childAt(at), nullptr);
    box->MyWinVer().setText("unchanged");
    moveWith(*box, at, Qt::LeftButton);
    moveWith(*box, at, Qt::LeftButton | Qt::RightButton);
    moveWith(box->Label1(), QPoint(10, 10), Qt::RightButton);
    moveWith(box->Picture2(), QPoint(50, 40), Qt::RightButton);
    EXPECT_EQ(box->MyWinVer().text(), "unchanged");

    const QRgb background = LoadPicture(":/skins/about.png").pixel(at);
    moveWith(*box, at, Qt::RightButton);
    EXPECT_EQ(box->MyWinVer().text(),
              about::ColourReadout(ColourWordFromRgb(background), 300, 3750));
    // Dragged off the window, nothing can be read there.
    moveWith(*box, QPoint(-5, 400), Qt::RightButton);
    EXPECT_EQ(box->MyWinVer().text(), "-1    [-75,6000]");
}
