// The command table on the player with a stand-in engine: every key gives
// its command on any of the player's windows, the commands' ticks and
// enabled states are the player's, and a command is the same whether it comes
// from a key, a button, a menu or the desktop's media controls.
#include "app/Mpris.h"
#include "support/PlayerFixture.h"

#include <QTest>

using namespace quarn;

namespace {

class CommandsTest : public test::PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        player->Start({"/media/a.mkv", "/media/b.mkv"});
        engine().Report(30, 600);
    }
    QAction* command(Command c) { return player->Commands()[c]; }
};

} // namespace

TEST_F(CommandsTest, EveryKeyGivesItsCommandOnEachOfThePlayersWindows) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString call; // what the engine is then asked, or told of
    } keys[] = {{Qt::Key_Right, {}, "Seek=35"},
                {Qt::Key_Left, Qt::ShiftModifier, "Seek=0"},
                {Qt::Key_Period, {}, "Step+"},
                {Qt::Key_Space, {}, "Pause"},
                {Qt::Key_MediaPlay, {}, "Play"},
                {Qt::Key_MediaStop, {}, "Stop"},
                {Qt::Key_N, {}, "FileName=/media/b.mkv"},
                {Qt::Key_PageUp, {}, "FileName=/media/a.mkv"},
                {Qt::Key_L, {}, "Loop=1"}};
    for (QWidget* window : std::initializer_list<QWidget*>{&player->Main(), &player->Title(),
                                                           &player->Bar(), &player->Playlist()}) {
        window->show();
        for (const auto& [k, modifiers, call] : keys) {
            engine().calls.clear();
            engine().Report(30, 600);
            key(*window, k, modifiers);
            // (A file opens where it was left, if it was.)
            EXPECT_EQ(engine().calls.value(0).section(u'@', 0, 0), call)
                << window->objectName().toStdString() << k;
        }
        // The loop goes round once more, back to off.
        key(*window, Qt::Key_L);
        key(*window, Qt::Key_L);
    }
    // A sign typed with Shift is the sign.
    engine().tracks = {{MediaTrack::Kind::Audio, 1, "eng", "", true},
                       {MediaTrack::Kind::Audio, 2, "deu", "", false}};
    key(player->Main(), Qt::Key_NumberSign, Qt::ShiftModifier);
    EXPECT_TRUE(engine().tracks[1].selected);
    // In the playlist, the list's own keys move in the list.
    key(player->Main(), Qt::Key_E);
    ASSERT_TRUE(player->Playlist().isVisible());
    key(player->Playlist().List(), Qt::Key_Down);
    EXPECT_EQ(engine().volume, 100);
    key(player->Main(), Qt::Key_Down);
    EXPECT_EQ(engine().volume, 95);
}

TEST_F(CommandsTest, TicksAndEnabledStatesAreThePlayersAndOneCommandIsOneWhateverGivesIt) {
    EXPECT_TRUE(command(Command::PlayPause)->isChecked());
    EXPECT_TRUE(command(Command::Next)->isEnabled());
    EXPECT_FALSE(command(Command::Previous)->isEnabled());
    EXPECT_FALSE(command(Command::Playlist)->isChecked());
    command(Command::Playlist)->trigger();
    EXPECT_TRUE(command(Command::Playlist)->isChecked());
    EXPECT_TRUE(player->Playlist().isVisible());

    // The picture's menu is made of the same actions: its ticks are theirs.
    emit player->Main().PictureMenuRequested(QPoint(10, 10));
    QMenu* menu = player->PictureMenuShown();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->actions().contains(command(Command::Playlist)));
    menu->close();

    // Pause from the toolbar, play from the desktop's media controls, pause
    // from the full-screen bar's button and from the key: the same command.
    Mpris mpris(player->Session(), player->Commands(), QDBusConnection(QString()));
    auto* transport = mpris.findChild<MprisPlayer*>();
    engine().calls.clear();
    click("Pause");
    EXPECT_FALSE(command(Command::PlayPause)->isChecked());
    transport->Play();
    EXPECT_TRUE(command(Command::PlayPause)->isChecked());
    player->Main().Controls().Button("play-pause")->click();
    key(player->Main(), Qt::Key_Space);
    EXPECT_EQ(engine().calls, (QStringList{"Pause", "Play", "Pause", "Play"}));

    // A press released off a button is no click.
    engine().calls.clear();
    QWidget& stop = *player->Bar().Button("mStop");
    QTest::mousePress(&stop, Qt::LeftButton, {}, QPoint(8, 10));
    QTest::mouseRelease(&stop, Qt::LeftButton, {}, QPoint(60, 30));
    EXPECT_TRUE(engine().calls.isEmpty());
    QTest::mouseClick(&stop, Qt::RightButton, {}, QPoint(8, 10)); // any button clicks
    EXPECT_EQ(engine().calls, QStringList{"Stop"});
}
