#pragma once

#include "widgets/Label.h"
#include "widgets/PictureButton.h"
#include "widgets/Skin.h"

#include <QTimer>
#include <vector>

namespace quarn {

// The transport toolbar that docks below the main window: its skin's picture
// cut to its outline, the skin's buttons (Play, Pause, Stop, Open, the
// screen-effects menu and Exit in the classic skins) and the time. Each button
// gives the player's command of its name; the toolbar holds no playback state
// of its own.
class Toolbar : public QWidget {
    Q_OBJECT
public:
    Toolbar(const Skin& skin, double scale, ActionLookup actions);

    // Takes the skin's picture, outline, buttons and the time's place and look.
    void ApplySkin(const Skin& skin, double scale);
    // What the time label shows: "m:ss/m:ss", or "h:mm:ss/h:mm:ss" in a
    // narrower rendering where that would not fit the label.
    // `spoken`: the same in words, for screen readers.
    void ShowTime(const QString& caption, const QString& spoken = {});
    QString Time() const { return time_->text(); }
    // Shows a short notice ("Vol 80%") in the time label for 1.5 s; then the
    // time again, as it is by then.
    void ShowNotice(const QString& notice, int ms = 0);
    // A mute mark beside the time, for as long as the sound is muted.
    void ShowMuted(bool muted);
    bool MuteShown() const;

    // The buttons, by their names ("Play", "mOpen"...); null for none.
    PictureButton* Button(const QString& name) const;
    const std::vector<PictureButton*>& Buttons() const { return buttons_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showText(const QString& text);
    void placeTime();

    ActionLookup actions_;
    QImage picture_;
    Label* time_;
    QWidget* muteMark_;
    std::vector<PictureButton*> buttons_;
    QRect timeRect_; // the time label's place at the size shown
    QFont timeFont_;
    QColor timeColour_;
    int muteMarkWidth_ = 12;
    QString timeCaption_;
    QTimer notice_;
};

} // namespace quarn
