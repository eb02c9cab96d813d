#include "player/PlaybackMonitor.h"

#include "common/Rounding.h"
#include "player/MainWindowLogic.h"
#include "player/MediaEngine.h"

#include <algorithm>

namespace quarn {

using namespace layout;

TwipsPoint SongNameDock(const TwipsRect& main) {
    return {main.width / 2 - kDockHalfWidth + main.left, main.top - kTitleAbove};
}

TwipsPoint ToolbarDock(const TwipsRect& main) {
    return {main.width / 2 - kDockHalfWidth + main.left, main.top + main.height + kToolbarGap};
}

namespace {

// Positions are compared the way they were kept, as single-precision numbers.
bool differs(const TwipsRect& current, const TwipsPoint& target) {
    return static_cast<float>(current.top) != static_cast<float>(target.top) ||
           static_cast<float>(current.left) != static_cast<float>(target.left);
}

} // namespace

void PlaybackMonitor::Tick() {
    // 1. Time display and seek bar.
    if (engine_.CurrentPosition() > 0) {
        const double position = engine_.CurrentPosition();
        const double duration = engine_.Duration();
        view_.SetTimeCaption(TimeString(roundToInt32(position)) + QLatin1Char('/') +
                             TimeString(roundToInt32(duration)));
        // The value stays within the range even when the engine reports a
        // position past the length it reports (or no length at all).
        const std::int32_t maximum = std::max(0, roundToInt32(engine_.Duration()));
        view_.SetSeekMaximum(maximum);
        view_.SetSeekValue(std::clamp(roundToInt32(engine_.CurrentPosition()), 0, maximum));
    }

    // 2. Fitting the main window around the video, in the normal state only.
    if (view_.MainState() == MonitorView::WindowState::Normal) {
        const double width = engine_.Width();
        const double height = engine_.Height();
        view_.ResizeMain(width + kMainExtraWidth, height + kMainExtraHeight);
        view_.PlaceSeekBar(height + kSeekBarGap, width);
    }

    // 3 and 4. Docking, whatever the window state.
    Dock();
}

void PlaybackMonitor::Dock() {
    const TwipsRect main = view_.MainGeometry();
    const TwipsPoint title = SongNameDock(main);
    if (differs(view_.SongNameGeometry(), title)) {
        view_.MoveSongName(title.left, title.top);
    }
    const TwipsPoint toolbar = ToolbarDock(view_.MainGeometry());
    if (differs(view_.ToolbarGeometry(), toolbar)) {
        view_.MoveToolbar(toolbar.left, toolbar.top);
    }
}

void PlaybackMonitor::Seek(std::int32_t seconds) {
    engine_.SetCurrentPosition(seconds);
}

void PlaybackMonitor::Marquee() {
    const QString title = view_.Title();
    if (title.isEmpty()) {
        return;
    }
    // A character outside the basic plane is two UTF-16 units; it moves as one.
    const qsizetype first = title.at(0).isHighSurrogate() && title.size() > 1 ? 2 : 1;
    view_.SetTitle(title.mid(first) + title.left(first));
}

void PlaybackMonitor::EndOfMedia() {
    view_.EnableSeekBar(false);
    engine_.SetVisible(false);
    engine_.SetHeight(kDisplayHeight);
    engine_.SetWidth(kDisplayWidth);
    view_.SetTitle(QString());
    view_.EnableMarquee(false);
}

} // namespace quarn
