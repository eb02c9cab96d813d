#include "widgets/MessageBox.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace quarn;

TEST(MessageWindowTest, HoldsNothingUpAndGathersMessagesThatComeWhileItIsUpInOneBox) {
    MessageWindow box;
    // Shown without a loop of its own: this returns at once with the box up.
    box.Show("Movie is invalid or you need a codec", "Playback Error",
             "ep5.mp4: Unrecognized file format.");
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.windowTitle(), "Playback Error");
    for (int i = 0; i < 50; ++i) {
        box.Show("Movie is invalid or you need a codec", "Playback Error",
                 QStringLiteral("missing%1.mp4: gone").arg(i));
    }
    EXPECT_EQ(box.Details().size(), 8);
    EXPECT_EQ(box.Details().last(), "missing49.mp4: gone");
    EXPECT_TRUE(box.informativeText().startsWith("... and 43 more"));
    // OK puts it away; the next message starts afresh.
    box.button(QMessageBox::Ok)->click();
    EXPECT_FALSE(box.isVisible());
    box.Show("7", "QUARN Media Player", QString());
    EXPECT_TRUE(box.Details().isEmpty());
    EXPECT_EQ(box.text(), "7");
}
