// The player's wiring, with stand-ins for the engine, the dialogs, the
// message boxes and the screen saver.
#include "support/PlayerFixture.h"

#include <QApplication>
#include <QTest>

using namespace quarn;
using PlayerTest = test::PlayerFixture;
using test::FakeEngine;

TEST_F(PlayerTest, OpenPlaysTheChosenMediaFileAndShowsItsTitle) {
    open(QStringLiteral("/media/song.mp3"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filters.value(0).description, "Media Files ");
    EXPECT_EQ(requests[0].filters.value(0).patterns,
              (QStringList{"*.mp*", "*.avi", "*.asf", "*.wmv"}));
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
    emit player->Bar().playClicked();
    emit player->Bar().pauseClicked();
    EXPECT_TRUE(engine().calls.isEmpty());
    EXPECT_TRUE(screenSaver.isEmpty());
    emit player->Bar().stopClicked();
    EXPECT_EQ(engine().calls, QStringList{"Stop"});
    EXPECT_EQ(screenSaver, QStringList{"on"});

    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    engine().calls.clear();
    emit player->Bar().pauseClicked();
    EXPECT_TRUE(screenSaver.isEmpty()); // pausing keeps the screen saver off
    emit player->Bar().playClicked();
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
    // At 0 (stopped) the display keeps what it showed.
    engine().Report(0, 65.2);
    EXPECT_EQ(player->Bar().Time(), "0:31/1:05");
    // Dragging the thumb seeks.
    emit player->Main().seekRequested(50);
    EXPECT_EQ(engine().calls.last(), "Seek=50");
}

TEST_F(PlayerTest, TheEndOfTheMediaOrAFailureResetsAndLetsTheScreenSaverBack) {
    open(QStringLiteral("/media/clip.mp4"));
    player->Main().ShowVideo(QSize(320, 240));
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

TEST_F(PlayerTest, TheCompanionsFollowTheMainWindow) {
    player->Main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player->Main()));
    player->Main().move(300, 400);
    ASSERT_EQ(player->Main().geometry(), QRect(300, 400, 252, 214));
    // 1850 twips left of the main window's middle: (300 + 126) * 15 - 1850 =
    // 4540 twips, 302.67 pixels; 40 pixels above it and 2 below it.
    EXPECT_EQ(player->Title().pos(), QPoint(303, 360));
    EXPECT_EQ(player->Bar().pos(), QPoint(303, 616));
    player->Main().move(100, 100);
    player->Main().ShowVideo(QSize(320, 240));
    EXPECT_EQ(player->Bar().pos().y(), 100 + 273 + 2);
}

TEST_F(PlayerTest, WithoutFilesTheSplashPlaysTheIntroBeforeThePlayerComesUp) {
    player->Start();
    ASSERT_EQ(engines.size(), 2u);
    FakeEngine& intro = *engines[1];
    EXPECT_EQ(intro.FileName(), folder.filePath("intro.mp3"));
    EXPECT_TRUE(player->StartWindow().isVisible());
    EXPECT_FALSE(player->Main().isVisible());
    EXPECT_FALSE(player->Bar().isVisible());
    EXPECT_FALSE(player->Title().isVisible());
    EXPECT_TRUE(player->Tray().Icon().isVisible());
    intro.End();
    EXPECT_FALSE(player->StartWindow().isVisible());
    EXPECT_TRUE(player->Main().isVisible());
    EXPECT_TRUE(player->Bar().isVisible());
    EXPECT_TRUE(player->Title().isVisible());
}

TEST_F(PlayerTest, AClickOnTheSplashStopsTheIntroAndBringsUpThePlayer) {
    player->Start();
    emit player->StartWindow().skipped();
    EXPECT_EQ(engines[1]->calls.last(), "Stop");
    EXPECT_TRUE(player->Main().isVisible());
    EXPECT_FALSE(player->StartWindow().isVisible());
}

TEST_F(PlayerTest, WithFilesThePlayerComesUpAtOnceWithoutTheIntro) {
    player->Start({QStringLiteral("/media/first.mp4"), QStringLiteral("/media/second.mp4")});
    EXPECT_EQ(engines.size(), 1u);
    EXPECT_FALSE(player->StartWindow().isVisible());
    EXPECT_TRUE(player->Main().isVisible());
    EXPECT_EQ(engine().FileName(), "/media/first.mp4");
}

TEST_F(PlayerTest, ALeftClickOnTheTrayIconBringsTheMainWindowBackToTheMiddle) {
    player->Start({QStringLiteral("/media/first.mp4")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player->Main()));
    player->Main().move(10, 20);
    QWidget probe;
    probe.resize(player->Main().size());
    player->Main().CenterForm(probe);
    auto activate = [&](QSystemTrayIcon::ActivationReason reason) {
        emit player->Tray().Icon().activated(reason);
    };
    for (auto other : {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick,
                       QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        activate(other);
        EXPECT_EQ(player->Main().pos(), QPoint(10, 20)) << other;
    }
    EXPECT_EQ(player->Tray().Icon().contextMenu(), nullptr);
    player->Main().setWindowState(Qt::WindowMinimized);
    activate(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(player->Main().isMinimized());
    EXPECT_EQ(player->Main().pos(), probe.pos());
}

TEST_F(PlayerTest, AboutTwiceLeavesOneBoxAndOKHidesItWithoutStoppingTheAnimation) {
    emit player->Effects().aboutChosen();
    AboutBox* box = player->About();
    ASSERT_NE(box, nullptr);
    emit player->Effects().aboutChosen();
    EXPECT_EQ(player->About(), box);
    EXPECT_TRUE(box->isVisible());
    QTest::mouseClick(&box->Label2(), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(box->AnimationTimer().isActive());
    emit player->Effects().aboutChosen();
    EXPECT_TRUE(box->isVisible());
}
