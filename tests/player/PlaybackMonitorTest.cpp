#include "player/PlaybackMonitor.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

using namespace quarn;
using quarn::test::FakeEngine;

namespace {

// The windows as the monitor sees them, kept in twips exactly as set.
class FakeView : public MonitorView {
public:
    void SetTimeCaption(const QString& c) override { caption = c; }
    void SetSeekMaximum(std::int32_t s) override { seekMaximum = s; }
    void SetSeekValue(std::int32_t s) override { seekValue = s; }
    void EnableSeekBar(bool e) override { seekEnabled = e; }
    void PlaceSeekBar(double top, double width) override {
        seekTop = top;
        seekWidth = width;
    }
    WindowState MainState() const override { return state; }
    TwipsRect MainGeometry() const override { return main; }
    void ResizeMain(double w, double h) override {
        main.width = w;
        main.height = h;
    }
    TwipsRect SongNameGeometry() const override { return songName; }
    void MoveSongName(double l, double t) override {
        songName.left = l;
        songName.top = t;
        ++songNameMoves;
    }
    TwipsRect ToolbarGeometry() const override { return toolbar; }
    void MoveToolbar(double l, double t) override {
        toolbar.left = l;
        toolbar.top = t;
        ++toolbarMoves;
    }
    QString Title() const override { return title; }
    void SetTitle(const QString& t) override { title = t; }
    void EnableMarquee(bool e) override { marquee = e; }

    QString caption = QStringLiteral("00:00/00:00");
    std::int32_t seekMaximum = 0;
    std::int32_t seekValue = 0;
    bool seekEnabled = true;
    double seekTop = 3000;
    double seekWidth = 3615;
    WindowState state = WindowState::Normal;
    TwipsRect main{6000, 4500, 3810, 3210};
    TwipsRect songName{0, 0, 3660, 585};
    TwipsRect toolbar{0, 0, 3660, 690};
    int songNameMoves = 0;
    int toolbarMoves = 0;
    QString title;
    bool marquee = true;
};

class PlaybackMonitorTest : public ::testing::Test {
protected:
    FakeEngine engine;
    FakeView view;
    PlaybackMonitor monitor{engine, view};
};

} // namespace

TEST_F(PlaybackMonitorTest, ShowsPositionAndLengthOnceSomethingPlays) {
    engine.position = 0.4;
    engine.duration = 65.2;
    monitor.Tick();
    EXPECT_EQ(view.caption, "0:00/1:05");
    EXPECT_EQ(view.seekMaximum, 65);
    EXPECT_EQ(view.seekValue, 0);
}

TEST_F(PlaybackMonitorTest, LeavesTheDisplayAloneAtPositionZero) {
    engine.position = 0;
    engine.duration = 65;
    view.seekValue = 12;
    monitor.Tick();
    EXPECT_EQ(view.caption, "00:00/00:00");
    EXPECT_EQ(view.seekValue, 12);
}

TEST_F(PlaybackMonitorTest, RoundsTheSeekBarHalfToEven) {
    engine.duration = 10;
    engine.position = 2.5;
    monitor.Tick();
    EXPECT_EQ(view.seekValue, 2);
    engine.position = 3.5;
    monitor.Tick();
    EXPECT_EQ(view.seekValue, 4);
}

TEST_F(PlaybackMonitorTest, KeepsTheSeekBarWithinItsRange) {
    engine.duration = 0; // a stream that reports no length
    engine.position = 7;
    monitor.Tick();
    EXPECT_EQ(view.seekMaximum, 0);
    EXPECT_EQ(view.seekValue, 0);
    engine.duration = 5;
    engine.position = 6.2; // past the reported end
    monitor.Tick();
    EXPECT_EQ(view.seekValue, 5);
}

TEST_F(PlaybackMonitorTest, HandlesMediaLongerThanNineHours) {
    engine.duration = 10 * 3600 + 0.2;
    engine.position = 9 * 3600 + 30 * 60;
    monitor.Tick();
    EXPECT_EQ(view.seekMaximum, 36000);
    EXPECT_EQ(view.seekValue, 34200);
    EXPECT_EQ(view.caption, "9:30:00/10:00:00");
    monitor.Seek(35999);
    EXPECT_DOUBLE_EQ(engine.position, 35999);
}

TEST_F(PlaybackMonitorTest, FitsTheWindowAroundTheVideo) {
    engine.width = 4800;
    engine.height = 3600;
    monitor.Tick();
    EXPECT_EQ(view.main.width, 5000);
    EXPECT_EQ(view.main.height, 4100);
    EXPECT_EQ(view.seekTop, 3800);
    EXPECT_EQ(view.seekWidth, 4800);
}

TEST_F(PlaybackMonitorTest, DoesNotResizeAMinimisedOrMaximisedWindowButStillDocks) {
    engine.width = 4800;
    engine.height = 3600;
    for (auto state : {MonitorView::WindowState::Minimized, MonitorView::WindowState::Maximized}) {
        view.state = state;
        view.songName = {0, 0, 3660, 585};
        view.toolbar = {0, 0, 3660, 690};
        monitor.Tick();
        EXPECT_EQ(view.main.width, 3810);
        EXPECT_EQ(view.main.height, 3210);
        EXPECT_EQ(view.seekTop, 3000);
        EXPECT_EQ(view.songName.top, 4500 - 600);
        EXPECT_EQ(view.toolbar.top, 4500 + 3210 + 30);
    }
}

TEST_F(PlaybackMonitorTest, DocksTheCompanionsAboveAndBelow) {
    monitor.Tick();
    // Main 3785 wide after fitting the design display: centre 6000 + 1892.5.
    EXPECT_DOUBLE_EQ(view.songName.left, 6000 + 3785 / 2.0 - 1850);
    EXPECT_DOUBLE_EQ(view.songName.top, 4500 - 600);
    EXPECT_DOUBLE_EQ(view.toolbar.left, view.songName.left);
    EXPECT_DOUBLE_EQ(view.toolbar.top, 4500 + 3215 + 30);
}

TEST_F(PlaybackMonitorTest, BringsADraggedToolbarBackOnTheNextTick) {
    monitor.Tick();
    const TwipsRect docked = view.toolbar;
    view.toolbar.left += 900;
    view.toolbar.top -= 450;
    monitor.Tick();
    EXPECT_EQ(view.toolbar, docked);
    EXPECT_EQ(view.toolbar.top, view.main.top + view.main.height + 30);
}

TEST_F(PlaybackMonitorTest, MovesACompanionOnlyWhenItIsElsewhere) {
    monitor.Tick();
    const int songMoves = view.songNameMoves;
    const int barMoves = view.toolbarMoves;
    monitor.Tick();
    monitor.Tick();
    EXPECT_EQ(view.songNameMoves, songMoves);
    EXPECT_EQ(view.toolbarMoves, barMoves);
}

TEST_F(PlaybackMonitorTest, EndOfMediaResetsTheDisplay) {
    engine.width = 4800;
    engine.height = 3600;
    view.title = QStringLiteral("clip    ");
    view.seekValue = 3;
    view.caption = QStringLiteral("0:03/0:03");
    monitor.EndOfMedia();
    EXPECT_FALSE(view.seekEnabled);
    EXPECT_FALSE(engine.visible);
    EXPECT_EQ(view.title, "");
    EXPECT_FALSE(view.marquee);
    EXPECT_EQ(view.seekValue, 3);
    EXPECT_EQ(view.caption, "0:03/0:03");
    monitor.Tick();
    EXPECT_EQ(view.main.width, 3785);
    EXPECT_EQ(view.main.height, 3215);
    EXPECT_EQ(view.seekTop, 2915);
    EXPECT_EQ(view.seekWidth, 3585);
}

TEST_F(PlaybackMonitorTest, MarqueeRotatesTheTitleByOneCharacter) {
    view.title = QStringLiteral("clip    ");
    monitor.Marquee();
    EXPECT_EQ(view.title, "lip    c");
    for (int i = 0; i < 7; ++i) {
        monitor.Marquee();
    }
    EXPECT_EQ(view.title, "clip    ");
    view.title = QStringLiteral("x");
    monitor.Marquee();
    EXPECT_EQ(view.title, "x");
    view.title.clear();
    monitor.Marquee();
    EXPECT_EQ(view.title, "");
}

TEST_F(PlaybackMonitorTest, MarqueeMovesACharacterOutsideTheBasicPlaneWhole) {
    view.title = QString::fromUtf8("\xF0\x9F\x8E\xB5 a");
    monitor.Marquee();
    EXPECT_EQ(view.title, QString::fromUtf8(" a\xF0\x9F\x8E\xB5"));
}
