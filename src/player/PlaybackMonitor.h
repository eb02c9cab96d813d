#pragma once

#include "common/Twips.h"

#include <QString>
#include <cstdint>

namespace quarn {

class MediaEngine;

// What the playback monitor reads and changes besides the engine: the time
// display, the seek bar, the title strip and the geometry of the main window
// and its two companions. Twips throughout.
class MonitorView {
public:
    enum class WindowState { Normal, Minimized, Maximized };

    virtual ~MonitorView() = default;

    virtual void SetTimeCaption(const QString& caption) = 0;
    virtual void SetSeekMaximum(std::int32_t seconds) = 0;
    virtual void SetSeekValue(std::int32_t seconds) = 0;
    virtual void EnableSeekBar(bool enabled) = 0;
    virtual void PlaceSeekBar(double top, double width) = 0;

    virtual WindowState MainState() const = 0;
    virtual TwipsRect MainGeometry() const = 0;
    virtual void ResizeMain(double width, double height) = 0;

    virtual TwipsRect SongNameGeometry() const = 0;
    virtual void MoveSongName(double left, double top) = 0;
    virtual TwipsRect ToolbarGeometry() const = 0;
    virtual void MoveToolbar(double left, double top) = 0;

    virtual QString Title() const = 0;
    virtual void SetTitle(const QString& title) = 0;
    virtual void EnableMarquee(bool enabled) = 0;
};

// Where the title strip and the toolbar belong, given the main window.
TwipsPoint SongNameDock(const TwipsRect& main);
TwipsPoint ToolbarDock(const TwipsRect& main);

// Keeps the time display, the seek bar, the window size and the docking of
// the companion windows in step with the engine. It polls; the engine tells it
// only of the end of the media.
class PlaybackMonitor {
public:
    PlaybackMonitor(MediaEngine& engine, MonitorView& view) : engine_(engine), view_(view) {}

    // One tick of the monitor's timer.
    void Tick();
    // The user dragged the seek bar's thumb to this many seconds.
    void Seek(std::int32_t seconds);
    // One step of the title marquee: the first character goes to the end.
    void Marquee();
    // The media played to its end.
    void EndOfMedia();

    // Docks both companion windows, moving each only when it is elsewhere.
    void Dock();

private:
    MediaEngine& engine_;
    MonitorView& view_;
};

} // namespace quarn
