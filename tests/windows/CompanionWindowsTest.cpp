#include "widgets/Label.h"
#include "windows/TitleStrip.h"
#include "windows/Toolbar.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

TEST(ToolbarTest, IsShapedToItsSkinWithTheTimeInTheFrameColourAndButtonsThatTellOfClicks) {
    Toolbar bar;
    EXPECT_EQ(bar.size(), QSize(244, 46));
    EXPECT_FALSE(bar.mask().isEmpty());
    EXPECT_EQ(bar.Time(), "00:00/00:00");
    EXPECT_EQ(bar.findChild<Label*>(QStringLiteral("Time"))->ForeColour(),
              MakeColourWord(88, 149, 193));
    const std::pair<const char*, void (Toolbar::*)()> buttons[] = {
        {"Play", &Toolbar::PlayClicked},
        {"Pause", &Toolbar::PauseClicked},
        {"mStop", &Toolbar::StopClicked},
        {"mOpen", &Toolbar::OpenClicked},
        {"Options", &Toolbar::ExitClicked}};
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    for (const auto& [name, signal] : buttons) {
        PictureBox& button = bar.Button(name);
        EXPECT_EQ(button.size(), QSize(17, 21)) << name;
        EXPECT_FALSE(button.mask().isEmpty()) << name;
        QSignalSpy clicks(&bar, signal);
        // A press that ends elsewhere is no click.
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(8, 10));
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 30));
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(8, 10));
        EXPECT_EQ(clicks.count(), 1) << name;
    }
    QSignalSpy effects(&bar, &Toolbar::EffectsClicked);
    QTest::mouseClick(&bar.Button("ScreenSavers"), Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_EQ(effects.count(), 1);
}

TEST(TitleStripTest, IsShapedToItsSkinAndRunsItsTitleThrough) {
    TitleStrip strip;
    EXPECT_EQ(strip.size(), QSize(244, 39));
    EXPECT_FALSE(strip.mask().contains(QPoint(0, 0)));
    EXPECT_EQ(strip.findChild<Label*>(QStringLiteral("Label1"))->ForeColour(),
              MakeColourWord(90, 150, 198));
    EXPECT_EQ(strip.Title(), "");
    strip.ShowTitle(QStringLiteral("clip    "));
    EXPECT_TRUE(QTest::qWaitFor([&] { return strip.Title() == "ip    cl"; }, 1000));
    strip.ClearTitle();
    EXPECT_EQ(strip.Title(), "");
    EXPECT_FALSE(strip.Scrolling());
}
