#pragma once

#include "common/Layout.h"
#include "common/TimeText.h"
#include "widgets/SeekBar.h"
#include "widgets/Skin.h"
#include "windows/FullScreenControls.h"

#include <QLabel>

#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace quarn {

// The player's main window: a borderless window holding the video display,
// the seek bar below it and its skin's tiled background. It works out the
// size that fits around the video it is told of and asks for it; it tells of
// presses on its margins (to move it), of the user's seeking, of the wheel,
// of double clicks on the video and of a close from the desktop.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(const Skin& skin, double scale, ActionLookup actions);

    // Takes the skin's background, frame and seek bar, and asks for the size
    // that fits around the display in it.
    void ApplySkin(const Skin& skin, double scale);

    // The native window the engine draws the video into.
    WId VideoWindow();
    // The middle of the video's place, on the screen.
    QPoint VideoCentre() const { return display_->mapToGlobal(display_->rect().center()); }

    // A video of this size (pixels) is shown: the display takes it, or less
    // where the group would not fit the screen, and the window asks for the
    // size that fits around it.
    void ShowVideo(QSize video);
    // A file is being opened: the display shows.
    void ShowDisplay();
    // A file opened: the display shows, the seek bar works.
    void ShowOpened();
    // A sound-only file plays: in the display's place (the display hidden)
    // its cover, fitted and centred on the skin's background; a null cover
    // shows the title there in the skin's words. Video, or the end, ends it.
    void ShowCover(const QImage& cover, const QString& title);
    bool CoverShown() const { return coverShown_; }
    // Nothing plays any more: the seek bar stops working, the display hides
    // and takes its design size again, and the window asks to shrink around it.
    void ShowEnded();
    // The seek bar follows the playing position, unless the user holds it.
    void ShowReadout(const Readout& readout);
    // What the full-screen controls show besides the time.
    void ShowVolume(int volume, bool muted);
    // Marks on the seek bars at the chapters' starts (seconds).
    void ShowChapters(const QList<double>& starts);
    // A short notice on the picture, for 2 s.
    void ShowNotice(const QString& text, int ms = 0);
    QString Notice() const;
    // In full screen: the controls and the pointer show, until the pointer
    // has been still for 2 s.
    void ShowControls();
    bool ControlsShown() const;
    FullScreenControls& Controls() { return *controls_; }
    // The video at this many per cent of its own size (50, 100, 200), as far
    // as the screen allows.
    void SetZoom(int percent);
    // In full screen the video fills the window and the mouse pointer hides
    // after 2 s of stillness.
    bool FullScreen() const { return isFullScreen(); }
    bool PointerHidden() const;

    bool SeekBarEnabled() const { return seekBar_->isEnabled(); }
    SeekBar& Bar() { return *seekBar_; }
    int SeekBarValue() const { return seekBar_->value(); }
    int SeekBarMaximum() const { return seekBar_->maximum(); }
    bool DisplayShown() const { return display_->isVisible(); }

    // The size that fits around the display.
    QSize FittedSize() const;

    // Public procedures of the main window.
    void RePaint();
    // Playback speed in thousandths (1000 = normal); 0 and below change nothing.
    void SetSpeed(std::int32_t speed);

signals:
    // The size that fits around the display changed.
    void SizeWanted(QSize size);
    // A mouse button went down on the window's margins (to move it).
    void DragRequested(QPoint grabbedAt, Qt::MouseButton button);
    // The user dragged the seek bar's thumb to this many seconds.
    void SeekRequested(int seconds);
    void SpeedRequested(double factor);
    // Closed from the desktop (the window manager's close keys).
    void CloseRequested();
    // The wheel over the video (notches, up is positive), over the seek bar
    // (seconds), and a double click on the video.
    void VolumeStepRequested(int notches);
    void SeekByRequested(int seconds);
    void FullScreenToggleRequested();
    // The volume set on the full-screen controls.
    void VolumeRequested(int volume);
    // The full-screen controls cover this many pixels of the picture's
    // bottom (0: they are hidden), where subtitles should not be.
    void ControlsCover(int pixels);
    // A click of the right button on the video (no drag): the picture's menu.
    void PictureMenuRequested(QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lays the display and the seek bar out and asks for the size around them.
    void fitAroundDisplay();
    void fitVideo();
    // Whole notches of the wheel from its turns, however finely they come.
    int notches(const QWheelEvent& event);
    void pointerMoved();
    void placeControls();
    void paintCover(QPainter& painter);

    QWidget* display_;
    SeekBar* seekBar_;
    FullScreenControls* controls_;
    QLabel* notice_;
    QTimer noticeShown_;
    bool rightPressed_ = false;
    QImage tile_;
    NoticeSkin noticeLook_;
    QList<double> chapters_;
    QColor marks_, barMarks_;
    double scale_ = 1;
    bool coverShown_ = false;
    QImage cover_;
    QString coverTitle_;
    QColor background_, text_;
    QFont font_;
    QColor border_;
    int borderWidth_ = 0;
    MainFrame frame_;    // at the size shown
    QSize emptyDisplay_; // the display's size while nothing plays
    QSize around_;       // what the group adds to the display's size
    QSize displaySize_;  // pixels
    QSize videoSize_;    // the video's own, pixels; empty for none
    int zoom_ = 100;
    QTimer pointerStill_;
    int wheelTurn_ = 0;
};

} // namespace quarn
