// An evening's film on a full-HD screen: its chapters listed, marked and
// skipped through, the subtitles retimed, the picture stretched, the windows
// kept above others, full screen from the sofa, and the choices made for the
// film there again when it is opened the next evening.
#include "support/Accessibility.h"
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QThread>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::AccessibleNode;
using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

class FilmE2ETest : public quarn::e2e::PlayerDriver {
protected:
    void keys(const QStringList& names) {
        for (const QString& name : names) {
            session->key(name);
            QThread::msleep(150); // menus answer a key a moment later
        }
    }
    double position() { return mpris(u"Position"_s).toLongLong() / 1e6; }
    // Paused at `seconds`, once the player is there.
    bool pausedAt(double seconds) {
        playerctl({u"pause"_s});
        playerctl({u"position"_s, QString::number(seconds)});
        return waitFor([&] { return std::abs(position() - seconds) < 0.05; });
    }
    // The first and last rows on the screen within `area` that show white
    // or near-white lettering (-1, -1 when none).
    std::pair<int, int> lettering(const QRect& area) {
        const QImage shot = grab(area);
        int first = -1;
        int last = -1;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (qGray(shot.pixel(x, y)) > 160) {
                    first = first < 0 ? area.y() + y : first;
                    last = area.y() + y;
                    break;
                }
            }
        }
        return {first, last};
    }
    bool subtitleShown() { return lettering(videoArea()).first >= 0; }
    // The choices in the picture menu's submenu with this mnemonic, as a
    // screen reader hears of them once the first takes the focus; the menu
    // is left open.
    std::vector<AccessibleNode> submenu(const QString& mnemonic) {
        waitFor([&] { return !session->pointerGrabbed(); });
        session->click(videoArea().center(), 3);
        EXPECT_TRUE(waitFor([&] { return session->pointerGrabbed(); }, 2000));
        const AccessibleNode menu =
            AccessibleAroundFocus(*session, player->processId(), [&] { session->key(mnemonic); });
        std::vector<AccessibleNode> items; // the choices, above the first separator
        for (const AccessibleNode& item : menu.children) {
            if (item.role != u"menu item"_s) {
                break;
            }
            items.push_back(item);
        }
        return items;
    }
};

} // namespace

TEST_F(FilmE2ETest, ChaptersTimingPictureAndFullScreenForAFilmAndItsChoicesTheNextEvening) {
    XSession::Options options;
    options.screen = {1920, 1080};
    options.accessibility = true;
    startSession(options);
    const QString film = media::ChapteredFilm();
    start({u"--"_s, film});
    ASSERT_TRUE(fits({320, 240}));
    ASSERT_TRUE(waitFor([&] { return position() > 0; }, 8000));

    // The chapters by name in the menu, their marks on the seek bar; @ goes
    // on to the next, ! back to the start of the one playing, or the one
    // before in its first seconds.
    const std::vector<AccessibleNode> chapters = submenu(u"h"_s);
    ASSERT_EQ(chapters.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(chapters[i].name.startsWith(QLatin1String(media::kFilmChapters[i])))
            << qPrintable(chapters[i].name);
    }
    keys({u"Escape"_s, u"Escape"_s});
    session->saveScreenshot(u"film-chapter-marks"_s);
    playerctl({u"position"_s, u"25"_s});
    ASSERT_TRUE(waitFor([&] { return position() >= 25; }));
    session->key(u"at"_s);
    EXPECT_TRUE(waitFor([&] { return position() >= 40 && position() < 42; })) << position();
    session->key(u"exclam"_s);
    EXPECT_TRUE(waitFor([&] { return position() >= 20 && position() < 22; })) << position();

    // Full screen: the bar below, its time in letters readable across the
    // room (3% of the screen's height); the subtitles above the bar while it
    // shows, lower once it has gone.
    ASSERT_TRUE(pausedAt(30.4));
    ASSERT_TRUE(waitFor([&] { return subtitleShown(); })) << "no subtitles at 30.4 s";
    session->key(u"f"_s);
    ASSERT_TRUE(waitFor([&] { return main() == QRect(QPoint(0, 0), screen); }));
    // Once the picture fills the screen (its grey at the top), and a moment more.
    EXPECT_TRUE(waitFor(
        [&] {
            const QImage top = grab({screen.width() / 6, 0, 1, 1});
            return near(top.pixel(0, 0), 0x303030, 8);
        },
        5000))
        << "no picture in full screen";
    QThread::msleep(300);
    session->saveScreenshot(u"film-full-screen-bar"_s);
    const QImage shown = grab(main());
    int barTop = 0; // the first row, down the picture's left side, not the picture's grey
    while (barTop < shown.height() && near(shown.pixel(shown.width() / 6, barTop), 0x303030, 8)) {
        ++barTop;
    }
    ASSERT_GT(barTop, screen.height() / 2);
    const auto [timeTop, timeBottom] =
        lettering({screen.width() / 5, barTop, screen.width() / 5, screen.height() - barTop});
    EXPECT_GE(timeBottom - timeTop + 1, 32);
    const auto [above, aboveBottom] = lettering({0, 0, screen.width(), barTop});
    EXPECT_TRUE(above >= 0 && aboveBottom < barTop - 1) << "the subtitles are under the bar";
    QThread::msleep(2500);
    session->saveScreenshot(u"film-full-screen"_s);
    EXPECT_GT(lettering(main()).second, barTop) << "the subtitles stay up without the bar";
    session->key(u"Escape"_s);
    ASSERT_TRUE(waitFor([&] { return docked(); }));

    // +500 ms: the line (30.0 to 31.0 s) comes half a second later and is
    // not yet shown at 30.4 s; then +300 ms, kept.
    keys({u"x"_s, u"x"_s, u"x"_s, u"x"_s, u"x"_s});
    EXPECT_TRUE(waitFor([&] { return !subtitleShown(); })) << "the line still shows";
    keys({u"z"_s, u"z"_s});
    EXPECT_TRUE(waitFor([&] { return subtitleShown(); })) << "the line has not come back";

    // The second sound track; the picture at 16:9; the windows above others.
    ASSERT_EQ(submenu(u"a"_s).size(), 2u);
    keys({u"Down"_s, u"Return"_s});
    keys({u"a"_s, u"a"_s}); // from automatic (4:3 here) to 4:3, then 16:9: 426.7 x 240
    EXPECT_TRUE(waitFor([&] {
        return main().size() == fittedAround({426, 240}) ||
               main().size() == fittedAround({427, 240});
    })) << qPrintable(describeWindows());
    session->key(u"t"_s);
    for (quint64 window : {windows.main, windows.titleStrip, windows.toolbar}) {
        EXPECT_TRUE(waitFor([&] {
            return session->states(window).contains(u"_NET_WM_STATE_ABOVE"_s);
        })) << window;
    }
    ASSERT_TRUE(running());
    EXPECT_EQ(exit(), u"exit status 0"_s);

    // The next evening: where it was left, with the same sound track and
    // subtitle timing; Home starts it over.
    start({u"--"_s, film});
    ASSERT_TRUE(waitFor([&] { return std::abs(position() - 30.4) < 1.5; }, 8000)) << position();
    ASSERT_TRUE(pausedAt(30.2));
    EXPECT_TRUE(waitFor([&] { return !subtitleShown(); })) << "the delay was not kept";
    ASSERT_TRUE(pausedAt(30.5));
    EXPECT_TRUE(waitFor([&] { return subtitleShown(); }));
    const std::vector<AccessibleNode> audio = submenu(u"a"_s);
    ASSERT_EQ(audio.size(), 2u);
    EXPECT_FALSE(audio[0].states.contains(u"checked"_s));
    EXPECT_TRUE(audio[1].states.contains(u"checked"_s));
    keys({u"Escape"_s, u"Escape"_s});
    session->key(u"Home"_s);
    EXPECT_TRUE(waitFor([&] { return position() < 1; })) << position();
    EXPECT_EQ(exit(), u"exit status 0"_s);
}
