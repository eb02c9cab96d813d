#pragma once

#include "forms/FormKit.h"
#include "player/Readout.h"

#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace quarn {

// The player's main window: a borderless black window holding the video
// display, the seek bar below it and a tiled background. It fits itself
// around the video it is told of, keeps itself and its companions on the
// screen when it grows, and moves with the mouse on its margins. It tells of
// its moves and resizes (for the companions to follow), of the user's seeking
// and of a close from the desktop.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow();

    // The native window the engine draws the video into.
    WId VideoWindow();

    // A video of this size (pixels) is shown: the display takes it, or less
    // where the group would not fit the screen, and the window fits around it.
    void ShowVideo(QSize video);
    // A file is being opened: the display shows.
    void ShowDisplay();
    // A file opened: the display shows, the seek bar works.
    void ShowOpened();
    // Nothing plays any more: the seek bar stops working, the display hides
    // and takes its design size again, and the window shrinks around it.
    void ShowEnded();
    // The seek bar follows the playing position, unless the user holds it.
    void ShowReadout(const Readout& readout);
    // The video at this many per cent of its own size (50, 100, 200), as far
    // as the screen allows.
    void SetZoom(int percent);
    // Full screen, the video fills the screen the window is on and the mouse
    // pointer hides after 2 s of stillness; back from it, the window has its
    // place and size of before.
    void SetFullScreen(bool on);
    bool FullScreen() const { return isFullScreen(); }
    bool PointerHidden() const;

    bool SeekBarEnabled() const { return seekBar_->isEnabled(); }
    int SeekBarValue() const { return seekBar_->value(); }
    int SeekBarMaximum() const { return seekBar_->maximum(); }
    bool DisplayShown() const { return display_->isVisible(); }

    // Public procedures of the main window.
    void RePaint();
    // Places a window on the main window's screen: centred across, its middle
    // at 0.95 of half the screen's height.
    void CenterForm(QWidget& form) const;
    // Playback speed in thousandths (1000 = normal); 0 and below change nothing.
    void SetSpeed(std::int32_t speed);

signals:
    // The window moved or resized (its geometry on the screen).
    void geometryChanged(QRect geometry);
    // The user dragged the seek bar's thumb to this many seconds.
    void seekRequested(int seconds);
    void speedRequested(double factor);
    // Closed from the desktop (the window manager's close keys).
    void closeRequested();
    // The wheel over the video (notches, up is positive), over the seek bar
    // (seconds), and a double click on the video.
    void volumeStepRequested(int notches);
    void seekByRequested(int seconds);
    void fullScreenToggleRequested();
    void fullScreenChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sizes the window around the display, in the normal state only.
    void fitAroundDisplay();
    void fitVideo();
    // Whole notches of the wheel from its turns, however finely they come.
    int notches(const QWheelEvent& event);
    void pointerMoved();

    QWidget* display_;
    QScrollBar* seekBar_;
    PictureBox* backgroundTile_;
    QSize displaySize_; // pixels
    QSize videoSize_;   // the video's own, pixels; empty for none
    int zoom_ = 100;
    QRect normalGeometry_;
    QTimer pointerStill_;
    int wheelTurn_ = 0;
};

} // namespace quarn
