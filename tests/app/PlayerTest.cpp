// The player's wiring, with stand-ins for the engine, the dialogs, the
// message boxes and the screen saver.
#include "support/PlayerFixture.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>

using namespace quarn;
using PlayerTest = test::PlayerFixture;

TEST_F(PlayerTest, OpenPlaysTheChosenFileAndACancelOrARefusalChangesNothingButIsReported) {
    open("/media/song.mp3");
    ASSERT_EQ(dialogs->requests.size(), 1);
    EXPECT_EQ(dialogs->requests[0].filters.value(0).description, "Media Files ");
    EXPECT_EQ(engine().FileName(), "/media/song.mp3");
    EXPECT_EQ(player->Title().Title(), "song    ");
    EXPECT_TRUE(player->Title().Scrolling());
    EXPECT_EQ(saver.record, QStringList{"off"});
    engine().calls.clear();
    open(std::nullopt);
    EXPECT_TRUE(engine().calls.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
    engine().refuse = true;
    open("/media/broken.avi");
    EXPECT_EQ(messages, QStringList{"Playback Error: Movie is invalid or you need a codec"});
    EXPECT_EQ(engine().FileName(), "/media/song.mp3");
    EXPECT_EQ(player->Title().Title(), "song    ");
    EXPECT_TRUE(player->Main().SeekBarEnabled());
    EXPECT_EQ(saver.record, QStringList{"off"});
    // Another failure shows its code under the program's title.
    engine().refuseCode = 7;
    open("/media/song.mp3");
    EXPECT_EQ(messages.last(), "QUARN Media Player: 7");
}

TEST_F(PlayerTest, PlayAndPauseNeedAnOpenFileAndStopAlwaysStops) {
    EXPECT_FALSE(player->Commands()[Command::Screenshot]->isEnabled());
    click("Play");
    click("Pause");
    EXPECT_TRUE(engine().calls.isEmpty());
    EXPECT_TRUE(saver.record.isEmpty());
    click("mStop");
    EXPECT_EQ(engine().calls, QStringList{"Stop"});
    EXPECT_EQ(saver.record, QStringList{"on"});

    open("/media/song.mp3");
    saver.record.clear();
    engine().calls.clear();
    click("Pause");
    EXPECT_TRUE(saver.record.isEmpty()); // pausing keeps the screen saver off
    click("Play");
    EXPECT_EQ(engine().calls, (QStringList{"Pause", "Play"}));
    EXPECT_EQ(saver.record, QStringList{"off"});
}

TEST_F(PlayerTest, AboutTwiceLeavesOneBoxAndOKHidesItWithoutStoppingTheAnimation) {
    QAction* about = player->Commands()[Command::About];
    about->trigger();
    AboutBox* box = player->About();
    ASSERT_NE(box, nullptr);
    about->trigger();
    EXPECT_EQ(player->About(), box);
    EXPECT_TRUE(box->isVisible());
    QTest::mouseClick(&box->Label2(), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(box->AnimationTimer().isActive());
    about->trigger();
    EXPECT_TRUE(box->isVisible());
}

TEST_F(PlayerTest, FilesDroppedOnAnyOfThePlayersWindowsReplaceTheQueueAndPlay) {
    player->Start({"/media/a.mp4"});
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/media/x.mkv"), QUrl::fromLocalFile("/media/y.ogg")});
    QMimeData text; // that names no file: not taken
    text.setText("hello");
    for (QWidget* window :
         std::initializer_list<QWidget*>{&player->Main(), &player->Title(), &player->Bar()}) {
        const std::string name = window->objectName().toStdString();
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(window, &refused);
        EXPECT_FALSE(refused.isAccepted()) << name;
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(window, &enter);
        EXPECT_TRUE(enter.isAccepted()) << name;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(window, &drop);
        EXPECT_EQ(engine().FileName(), "/media/x.mkv") << name;
        EXPECT_EQ(player->Session().Queue().Size(), 2);
        key(*window, Qt::Key_N);
        EXPECT_EQ(engine().FileName(), "/media/y.ogg");
    }
}
