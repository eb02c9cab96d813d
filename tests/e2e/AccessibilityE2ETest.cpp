// The player as a screen reader sees it over the accessibility bus (AT-SPI):
// its windows and the toolbar's buttons, a button pressed and a value set
// through the bus while a clip plays.
#include "support/Accessibility.h"
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QFileInfo>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::AccessibleNode;
using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

class AccessibilityE2ETest : public quarn::e2e::PlayerDriver {};

} // namespace

TEST_F(AccessibilityE2ETest, AScreenReaderHearsTheWindowsControlsTitleAndTimeAndDrivesThePlayer) {
    XSession::Options options;
    options.accessibility = true;
    startSession(options);
    // Past an hour, so that the hours are said; a picture a second keeps it quick to make.
    const QString clip = media::Pattern(160, 120, 1, 3700);
    start({u"--"_s, clip});
    ASSERT_TRUE(waitFor([&] { return mpris(u"Position"_s).toLongLong() > 1'000'000; }, 8000));
    session->key(u"e"_s); // the playlist too
    ASSERT_TRUE(session->waitForWindow(u"Playlist"_s, 5000));
    const qint64 pid = player->processId();
    const AccessibleNode app = AccessibleTree(*session, pid);
    SCOPED_TRACE(qPrintable(app.ToString()));
    EXPECT_EQ(app.role, u"application"_s);

    // Each window says what it is; the captions stay the designs' ("Form1").
    auto window = [&](const QString& name) -> const AccessibleNode* {
        for (const AccessibleNode& child : app.children) {
            if (child.name == name) {
                return &child;
            }
        }
        return nullptr;
    };
    const AccessibleNode* main = window(kMainCaption);
    const AccessibleNode* title = window(u"Title"_s);
    const AccessibleNode* controls = window(u"Controls"_s);
    ASSERT_TRUE(main && title && controls);
    EXPECT_EQ(main->role, u"frame"_s);
    EXPECT_EQ(main->description, u"Playing"_s);
    EXPECT_NE(window(u"Playlist"_s), nullptr);

    // The toolbar's buttons by name and role, each one pressable.
    for (const QString& name :
         {u"Play"_s, u"Pause"_s, u"Stop"_s, u"Open..."_s, u"Screen Effects"_s, u"Exit"_s}) {
        const AccessibleNode* button = controls->Find(u"push button"_s, name);
        ASSERT_NE(button, nullptr) << qPrintable(name);
        EXPECT_TRUE(button->actions.contains(u"Press"_s)) << qPrintable(name);
    }
    // The title is the whole title, not the part running past; the time is
    // said in words; the seek bar is a slider with its value and range.
    EXPECT_NE(title->Find(u"label"_s, QFileInfo(clip).completeBaseName()), nullptr);
    bool timeSaid = false;
    for (const AccessibleNode* label : controls->FindAll(u"label"_s)) {
        timeSaid = timeSaid || (label->name.contains(u" seconds of 1 hour 1 minute 40 seconds"_s) ||
                                label->name.contains(u" second of 1 hour 1 minute 40 seconds"_s));
    }
    EXPECT_TRUE(timeSaid);
    const AccessibleNode* seek = main->Find(u"slider"_s, u"Position"_s);
    ASSERT_NE(seek, nullptr);
    EXPECT_GE(seek->value.value_or(-1), 1);
    EXPECT_EQ(seek->maximum, 3700);

    // Pause and Play pressed as a screen reader presses them; a place and a
    // volume set through the bus are where the player goes.
    EXPECT_TRUE(DoAccessibleAction(*session, pid, u"push button"_s, u"Pause"_s, u"Press"_s));
    EXPECT_TRUE(waitFor([&] { return mpris(u"PlaybackStatus"_s) == u"Paused"_s; }));
    EXPECT_EQ(AccessibleTree(*session, pid).children.front().description, u"Paused"_s);
    EXPECT_TRUE(DoAccessibleAction(*session, pid, u"push button"_s, u"Play"_s, u"Press"_s));
    EXPECT_TRUE(waitFor([&] { return mpris(u"PlaybackStatus"_s) == u"Playing"_s; }));
    EXPECT_TRUE(SetAccessibleValue(*session, pid, u"slider"_s, u"Position"_s, 1800));
    EXPECT_TRUE(waitFor([&] { return mpris(u"Position"_s).toLongLong() >= 1800'000'000; }));
    EXPECT_TRUE(SetAccessibleValue(*session, pid, u"slider"_s, u"Volume"_s, 50));
    EXPECT_TRUE(waitFor([&] { return mpris(u"Volume"_s).toDouble() == 0.5; }));

    ASSERT_TRUE(running());
    clickToolbar(kExit);
    expectEnded(0);
}
