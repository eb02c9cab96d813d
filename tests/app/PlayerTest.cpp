// The player's wiring, with stand-ins for the engine, the dialogs, the
// message boxes and the screen saver.
#include "support/PlayerFixture.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>

using namespace quarn;
using PlayerTest = test::PlayerFixture;

TEST_F(PlayerTest, OpenPlaysTheChosenFileAndACancelOrARefusalChangesNothingButIsReported) {
    open(QStringLiteral("/media/song.mp3"));
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
    open(QStringLiteral("/media/broken.avi"));
    EXPECT_EQ(messages, QStringList{"Playback Error: Movie is invalid or you need a codec"});
    EXPECT_EQ(engine().FileName(), "/media/song.mp3");
    EXPECT_EQ(player->Title().Title(), "song    ");
    EXPECT_TRUE(player->Main().SeekBarEnabled());
    EXPECT_EQ(saver.record, QStringList{"off"});
    // Another failure shows its code under the program's title.
    engine().refuseCode = 7;
    open(QStringLiteral("/media/song.mp3"));
    EXPECT_EQ(messages.last(), "QUARN Media Player: 7");
}

TEST_F(PlayerTest, PlayAndPauseNeedAnOpenFileAndStopAlwaysStops) {
    emit player->Bar().PlayClicked();
    emit player->Bar().PauseClicked();
    EXPECT_TRUE(engine().calls.isEmpty());
    EXPECT_TRUE(saver.record.isEmpty());
    emit player->Bar().StopClicked();
    EXPECT_EQ(engine().calls, QStringList{"Stop"});
    EXPECT_EQ(saver.record, QStringList{"on"});

    open(QStringLiteral("/media/song.mp3"));
    saver.record.clear();
    engine().calls.clear();
    emit player->Bar().PauseClicked();
    EXPECT_TRUE(saver.record.isEmpty()); // pausing keeps the screen saver off
    emit player->Bar().PlayClicked();
    EXPECT_EQ(engine().calls, (QStringList{"Pause", "Play"}));
    EXPECT_EQ(saver.record, QStringList{"off"});
}

TEST_F(PlayerTest, TheTimeAndTheSeekBarFollowThePlayingPosition) {
    open(QStringLiteral("/media/song.mp3"));
    EXPECT_EQ(player->Bar().Time(), "00:00/00:00");
    engine().Report(0.4, 65.2);
    EXPECT_EQ(player->Bar().Time(), "0:00/1:05");
    engine().Report(30.6, 65.2);
    EXPECT_EQ(player->Bar().Time(), "0:31/1:05");
    EXPECT_EQ(player->Main().SeekBarMaximum(), 65);
    EXPECT_EQ(player->Main().SeekBarValue(), 31);
    // At 0 (the start, before playing) the display keeps what it showed.
    engine().Report(0, 65.2);
    EXPECT_EQ(player->Bar().Time(), "0:31/1:05");
    // Stopped, it shows the start the engine is held at.
    emit player->Bar().StopClicked();
    EXPECT_EQ(player->Bar().Time(), "0:00/1:05");
    EXPECT_EQ(player->Main().SeekBarValue(), 0);
    // Dragging the thumb seeks.
    emit player->Main().SeekRequested(50);
    EXPECT_EQ(engine().calls.last(), "Seek=50");
}

TEST_F(PlayerTest, TheEndOfTheMediaOrAFailureResetsAndLetsTheScreenSaverBack) {
    open(QStringLiteral("/media/clip.mp4"));
    emit engine().VideoSizeChanged(QSize(320, 240));
    EXPECT_EQ(player->Main().size(), QSize(333, 273));
    engine().End();
    EXPECT_EQ(saver.record, (QStringList{"off", "on"}));
    EXPECT_EQ(player->Title().Title(), "");
    EXPECT_FALSE(player->Title().Scrolling());
    EXPECT_FALSE(player->Main().SeekBarEnabled());
    EXPECT_EQ(player->Main().size(), QSize(252, 214));
    EXPECT_TRUE(messages.isEmpty());

    open(QStringLiteral("/media/clip.mp4"));
    emit engine().Failed(QStringLiteral("no audio or video data played"));
    EXPECT_EQ(messages, QStringList{"Playback Error: Movie is invalid or you need a codec"});
    EXPECT_EQ(saver.record.last(), "on");
    EXPECT_EQ(player->Title().Title(), "");
}

TEST_F(PlayerTest, AboutTwiceLeavesOneBoxAndOKHidesItWithoutStoppingTheAnimation) {
    emit player->Effects().AboutChosen();
    AboutBox* box = player->About();
    ASSERT_NE(box, nullptr);
    emit player->Effects().AboutChosen();
    EXPECT_EQ(player->About(), box);
    EXPECT_TRUE(box->isVisible());
    QTest::mouseClick(&box->Label2(), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(box->AnimationTimer().isActive());
    emit player->Effects().AboutChosen();
    EXPECT_TRUE(box->isVisible());
}

TEST_F(PlayerTest, FilesDroppedOnAnyOfThePlayersWindowsReplaceTheQueueAndPlay) {
    player->Start({QStringLiteral("/media/a.mp4")});
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/media/x.mkv")),
                   QUrl::fromLocalFile(QStringLiteral("/media/y.ogg"))});
    QMimeData text; // that names no file: not taken
    text.setText(QStringLiteral("hello"));
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
        QTest::keyClick(window, Qt::Key_N);
        EXPECT_EQ(engine().FileName(), "/media/y.ogg");
    }
}
