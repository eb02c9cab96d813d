#pragma once

#include "common/TimeText.h"
#include "widgets/PictureButton.h"
#include "widgets/SeekBar.h"
#include "widgets/Skin.h"

#include <QLabel>
#include <QSlider>
#include <QWidget>
#include <vector>

namespace quarn {

// The controls over the picture in full screen, along the bottom of the
// screen in the skin's look: its buttons (play/pause, and previous, next and
// leaving full screen where the skin has them, each giving the player's
// command of its name), the time, a seek bar and the volume. A native window of its own over the
// engine's, so that it shows above the video; the main window shows and hides it.
class FullScreenControls : public QWidget {
    Q_OBJECT
public:
    FullScreenControls(QWidget* parent, ActionLookup actions);

    void ApplySkin(const Skin& skin, double scale);
    // The size the bar is drawn at on a screen of this height: its skin's, or
    // larger, so that its text is at least 3% of the screen's height.
    static double SofaScale(const SkinFont& font, double skinScale, int screenHeight);
    static constexpr double kSofaText = 0.03;
    void ShowReadout(const Readout& readout);
    void ShowVolume(int volume, bool muted);
    // Lays itself out along the bottom of a parent of this size, at the size
    // its text is read at from across the room.
    void PlaceIn(QSize parent);
    QString Time() const { return time_->text(); }
    SeekBar& Bar() { return *seekBar_; }
    QSlider& Volume() { return *volume_; }
    PictureButton* Button(const QString& command) const;
    // Its controls in the order Tab takes them.
    std::vector<QWidget*> Controls() const;

signals:
    void SeekRequested(int seconds);
    void VolumeRequested(int volume);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyLook(double scale);
    // Where an element of the bar goes at its width: a negative left counts
    // from the right end, a negative width stretches to short of it.
    QRect placed(const QRect& scaled) const;

    ActionLookup actions_;
    Skin skin_;
    double skinScale_ = 1;
    FullScreenBarSkin look_;
    double scale_ = 1;     // as drawn
    double textScale_ = 0; // the time's, for the sofa
    QImage left_;
    QImage middle_;
    QImage right_;
    QRegion leftOutline_, middleOutline_, rightOutline_;
    std::vector<std::pair<PictureButton*, QRect>> buttons_; // and their places at the size shown
    QLabel* time_;
    SeekBar* seekBar_;
    QSlider* volume_;
};

} // namespace quarn
