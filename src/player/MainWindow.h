#pragma once

#include "forms/FormKit.h"
#include "player/Readout.h"

#include <QScrollBar>
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

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Sizes the window around the display, in the normal state only.
    void fitAroundDisplay();

    QWidget* display_;
    QScrollBar* seekBar_;
    PictureBox* backgroundTile_;
    QSize displaySize_; // pixels
};

} // namespace quarn
