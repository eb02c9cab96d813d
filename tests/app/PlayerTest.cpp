// The player's wiring, with stand-ins for the engine, the dialogs, the
// message boxes and the screen saver.
#include "support/PlayerFixture.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>

using namespace quarn;
using PlayerTest = test::PlayerFixture;
using test::FakeEngine;

TEST_F(PlayerTest, OpenPlaysTheChosenMediaFileAndShowsItsTitle) {
    open(QStringLiteral("/media/song.mp3"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filters.value(0).description, "Media Files ");
    const QStringList patterns = requests[0].filters.value(0).patterns;
    EXPECT_EQ(patterns.mid(0, 4), (QStringList{"*.mp*", "*.avi", "*.asf", "*.wmv"}));
    EXPECT_TRUE(patterns.contains("*.mkv") && patterns.contains("*.flac"));
    EXPECT_EQ(requests[0].filters.value(1).patterns, QStringList{"*.*"});
    EXPECT_EQ(requests[0].selectedFilter, 0);
    EXPECT_EQ(requests[0].defaultSuffix, "1");
    EXPECT_EQ(engine().FileName(), "/media/song.mp3");
    EXPECT_EQ(player->Title().Title(), "song    ");
    EXPECT_TRUE(player->Title().Scrolling());
    EXPECT_TRUE(player->Main().SeekBarEnabled());
    EXPECT_EQ(screenSaver, QStringList{"off"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PlayerTest, CancellingTheDialogChangesNothing) {
    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    engine().calls.clear();
    open(std::nullopt);
    EXPECT_EQ(engine().FileName(), "/media/song.mp3");
    EXPECT_TRUE(engine().calls.isEmpty());
    EXPECT_EQ(player->Title().Title(), "song    ");
    EXPECT_TRUE(player->Main().SeekBarEnabled());
    EXPECT_TRUE(screenSaver.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PlayerTest, ARefusedFileIsReportedAndNothingElseChanges) {
    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    engine().refuse = true;
    open(QStringLiteral("/media/broken.avi"));
    EXPECT_EQ(messages, QStringList{"Playback Error: Movie is invalid or you need a codec"});
    EXPECT_EQ(player->Title().Title(), "song    ");
    EXPECT_TRUE(screenSaver.isEmpty());
    // Another failure shows its code under the program's title.
    engine().refuseCode = 7;
    open(QStringLiteral("/media/song.mp3"));
    EXPECT_EQ(messages.last(), "QUARN Media Player: 7");
}

TEST_F(PlayerTest, PlayAndPauseNeedAnOpenFileAndStopAlwaysStops) {
    emit player->Bar().PlayClicked();
    emit player->Bar().PauseClicked();
    EXPECT_TRUE(engine().calls.isEmpty());
    EXPECT_TRUE(screenSaver.isEmpty());
    emit player->Bar().StopClicked();
    EXPECT_EQ(engine().calls, QStringList{"Stop"});
    EXPECT_EQ(screenSaver, QStringList{"on"});

    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    engine().calls.clear();
    emit player->Bar().PauseClicked();
    EXPECT_TRUE(screenSaver.isEmpty()); // pausing keeps the screen saver off
    emit player->Bar().PlayClicked();
    EXPECT_EQ(engine().calls, (QStringList{"Pause", "Play"}));
    EXPECT_EQ(screenSaver, QStringList{"off"});
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
    EXPECT_EQ(screenSaver, (QStringList{"off", "on"}));
    EXPECT_EQ(player->Title().Title(), "");
    EXPECT_FALSE(player->Title().Scrolling());
    EXPECT_FALSE(player->Main().SeekBarEnabled());
    EXPECT_EQ(player->Main().size(), QSize(252, 214));
    EXPECT_TRUE(messages.isEmpty());

    open(QStringLiteral("/media/clip.mp4"));
    emit engine().Failed(QStringLiteral("no audio or video data played"));
    EXPECT_EQ(messages, QStringList{"Playback Error: Movie is invalid or you need a codec"});
    EXPECT_EQ(screenSaver.last(), "on");
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
    for (QWidget* window :
         std::initializer_list<QWidget*>{&player->Main(), &player->Title(), &player->Bar()}) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/media/x.mkv")),
                      QUrl::fromLocalFile(QStringLiteral("/media/y.ogg"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        EXPECT_TRUE(enter.isAccepted()) << window->objectName().toStdString();
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        EXPECT_EQ(engine().FileName(), "/media/x.mkv") << window->objectName().toStdString();
        EXPECT_EQ(player->Session().Queue().Size(), 2);
        QTest::keyClick(window, Qt::Key_N);
        EXPECT_EQ(engine().FileName(), "/media/y.ogg");
    }
    // Text that names no file is not taken.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&player->Main(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(PlayerTest, KeysOnThePlayersWindowsDriveItAndVolumeAndMuteAreRememberedForTheNextRun) {
    player->Start({QStringLiteral("/media/a.mp4")});
    engine().Report(30, 600);
    QTest::keyClick(&player->Bar(), Qt::Key_Space);
    EXPECT_FALSE(engine().Playing());
    QTest::keyClick(&player->Main(), Qt::Key_Space);
    EXPECT_TRUE(engine().Playing());
    QTest::keyClick(&player->Title(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(engine().calls.last(), "Seek=90");
    QTest::keyClick(&player->Main(), Qt::Key_Left);
    EXPECT_EQ(engine().calls.last(), "Seek=85");
    emit player->Main().SeekByRequested(-100); // the wheel over the seek bar, at the start
    EXPECT_EQ(engine().calls.last(), "Seek=0");

    QTest::keyClick(&player->Main(), Qt::Key_Down);
    QTest::keyClick(&player->Main(), Qt::Key_Down);
    EXPECT_EQ(engine().Volume(), 90);
    EXPECT_EQ(player->Bar().Time(), "Vol 90%");
    emit player->Main().VolumeStepRequested(-4); // the wheel over the video
    EXPECT_EQ(engine().Volume(), 70);
    QTest::keyClick(&player->Main(), Qt::Key_M);
    EXPECT_TRUE(engine().Muted());
    EXPECT_EQ(player->Bar().Time(), "Muted");
    // The time comes back after the notice.
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->Bar().Time() == "0:30/10:00"; }, 3000));

    // The next run starts where this one left the sound.
    const QString settings = folder.filePath(QStringLiteral("settings.json"));
    player.reset();
    ASSERT_EQ(LoadSettings(settings), (PlayerSettings{70, true}));
    SetUp();
    EXPECT_EQ(engines.back()->Volume(), 70);
    EXPECT_TRUE(engines.back()->Muted());
}

TEST_F(PlayerTest, FullScreenPutsTheCompanionsAsideAndEscapeBringsThePlayerBack) {
    player->Start({QStringLiteral("/media/a.mp4")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player->Main()));
    player->Main().move(100, 120);
    const QRect before = player->Main().geometry();
    QTest::keyClick(&player->Main(), Qt::Key_F);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->Main().FullScreen(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player->Title().isVisible(); }, 2000));
    EXPECT_FALSE(player->Bar().isVisible());
    EXPECT_FALSE(player->Main().SeekBarEnabled() && player->Main().isVisible() &&
                 player->Main().findChild<QWidget*>(QStringLiteral("HScroll1"))->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->Main().PointerHidden(); }, 3000));
    QTest::keyClick(&player->Main(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->Main().FullScreen(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->Main().geometry() == before; }, 2000));
    EXPECT_TRUE(player->Title().isVisible() && player->Bar().isVisible());
    EXPECT_FALSE(player->Main().PointerHidden());
}
