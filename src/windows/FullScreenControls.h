#pragma once

#include "common/TimeText.h"
#include "widgets/PictureBox.h"
#include "widgets/SeekBar.h"

#include <QLabel>
#include <QWidget>

namespace quarn {

// The controls over the picture in full screen, at the bottom of the screen
// in the skins' look: play/pause, the time, a seek bar and the volume. A
// native window of its own over the engine's, so that it shows above the
// video; the main window shows and hides it.
class FullScreenControls : public QWidget {
    Q_OBJECT
public:
    explicit FullScreenControls(QWidget* parent);

    void ShowReadout(const Readout& readout);
    void ShowPlaying(bool playing);
    void ShowVolume(int volume, bool muted);
    // Lays itself out along the bottom of a parent of this size.
    void PlaceIn(QSize parent);
    QString Time() const { return time_->text(); }
    SeekBar& Bar() { return *seekBar_; }

signals:
    void PlayPauseClicked();
    void SeekRequested(int seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage left_;
    QImage middle_;
    QImage right_;
    PictureBox* playPause_;
    QLabel* time_;
    SeekBar* seekBar_;
    QLabel* volume_;
    bool playing_ = false;
};

} // namespace quarn
