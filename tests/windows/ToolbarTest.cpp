#include "windows/Toolbar.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

// The desktop test clicks them on the real player; here, what is no click.
TEST(ToolbarTest, EachButtonTellsOfAWholeClickButNotOfAPressReleasedElsewhere) {
    Toolbar bar;
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    const std::pair<const char*, const char*> buttons[] = {
        {"Play", SIGNAL(PlayClicked())},
        {"Pause", SIGNAL(PauseClicked())},
        {"mStop", SIGNAL(StopClicked())},
        {"mOpen", SIGNAL(OpenClicked())},
        {"ScreenSavers", SIGNAL(EffectsClicked(QPoint))},
        {"Options", SIGNAL(ExitClicked())}};
    for (const auto& [name, signal] : buttons) {
        PictureBox& button = bar.Button(name);
        QSignalSpy clicks(&bar, signal);
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(8, 10));
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 30));
        EXPECT_EQ(clicks.count(), 0) << name;
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(8, 10));
        EXPECT_EQ(clicks.count(), 1) << name;
    }
}
