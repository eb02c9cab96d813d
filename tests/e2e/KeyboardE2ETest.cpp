// The real player driven by the keyboard alone, as someone who uses no mouse
// drives it: a list opened with Ctrl+O, Tab to the toolbar's Pause and Space,
// a subtitle track chosen in the picture's menu (Shift+F10, arrows, Enter),
// the playlist's third entry played with Enter, its own menu by the Menu key, and Exit.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

using namespace Qt::Literals::StringLiterals;
namespace media = quarn::test::media;

namespace {

class KeyboardE2ETest : public quarn::e2e::PlayerDriver {
protected:
    void keys(const QStringList& names) {
        for (const QString& name : names) {
            session->key(name);
            QThread::msleep(150); // menus and windows answer a key a moment later
        }
    }
    QString status() { return mpris(u"PlaybackStatus"_s).toString(); }
};

} // namespace

TEST_F(KeyboardE2ETest, OpenPauseASubtitleTrackAndThePlaylistByKeysAlone) {
    startSession();
    const QString film = media::FilmWithTracks();
    const QString third = media::Pattern(320, 240, 25, 10);
    const QString list =
        media::Written(u"keyboard.m3u"_s, QFile::encodeName(film + u'\n' + media::VideoClip() +
                                                            u'\n' + third + u'\n'));
    start();
    session->key(u"ctrl+o"_s);
    ASSERT_TRUE(session->waitForWindow(u"Open"_s, 10000));
    QThread::msleep(300);
    session->type(list);
    session->key(u"Return"_s);
    ASSERT_TRUE(plays(QFileInfo(film).fileName())) << qPrintable(title());
    ASSERT_TRUE(waitFor([&] { return mpris(u"Position"_s).toLongLong() > 0; })); // it is open
    session->key(u"l"_s); // the short film plays on and on

    // Tab goes from the seek bar to the toolbar's Play and Pause; Space presses it.
    ASSERT_TRUE(waitFor([&] { return session->activeWindow() == windows.main; }));
    keys({u"Tab"_s, u"Tab"_s, u"Tab"_s, u"space"_s});
    EXPECT_TRUE(waitFor([&] { return status() == u"Paused"_s; })) << qPrintable(status());

    // The picture's menu from the keys: Subtitles, its third entry (Deutsch).
    const QImage before = grab(videoArea());
    keys({u"shift+F10"_s});
    ASSERT_TRUE(waitFor([&] { return session->pointerGrabbed(); })) << "no picture menu";
    const int menus = session->popupsShown();
    keys({u"s"_s});
    ASSERT_TRUE(waitFor([&] { return session->popupsShown() > menus; })) << "no Subtitles menu";
    keys({u"Down"_s, u"Down"_s, u"Return"_s});
    EXPECT_TRUE(waitFor([&] { return grab(videoArea()) != before; }))
        << "the paused picture shows no other subtitles";
    session->saveScreenshot(u"keyboard-subtitles"_s);

    // The playlist: E shows it, Tab reaches its list past the toolbar's
    // last buttons, Home, Down twice and Enter play the third entry.
    keys({u"e"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Home"_s, u"Down"_s, u"Down"_s,
          u"Return"_s});
    EXPECT_TRUE(plays(QFileInfo(third).fileName())) << qPrintable(title());
    EXPECT_TRUE(running());
    // The Menu key in the list opens the list's own menu; S saves the list.
    keys({u"Menu"_s});
    ASSERT_TRUE(waitFor([&] { return session->pointerGrabbed(); })) << "no playlist menu";
    keys({u"s"_s});
    const auto saveAs = session->waitForWindow(u"Save As"_s, 5000);
    ASSERT_TRUE(saveAs) << "Save playlist... is not reached by keys";
    keys({u"Escape"_s});
    ASSERT_TRUE(waitFor([&] { return !session->isViewable(*saveAs); }));

    // Shift+Tab from the list back to the toolbar's Exit, and Enter ends the program.
    keys({u"shift+Tab"_s, u"Return"_s});
    expectEnded(0);
}
