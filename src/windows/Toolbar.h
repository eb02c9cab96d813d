#pragma once

#include "widgets/Label.h"
#include "widgets/PictureBox.h"

#include <QTimer>

namespace quarn {

// The transport toolbar that docks below the main window: Play, Pause, Stop, the
// time, Open, the screen-effects menu and Exit, on a shaped skin. Its buttons
// tell of their clicks; it holds no playback state of its own.
class Toolbar : public QWidget {
    Q_OBJECT
public:
    Toolbar();

    // What the time label shows: "m:ss/m:ss", or "h:mm:ss/h:mm:ss" in a
    // narrower rendering where that would not fit the label.
    void ShowTime(const QString& caption);
    QString Time() const { return time_->text(); }
    // Shows a short notice ("Vol 80%") in the time label for 1.5 s; then the
    // time again, as it is by then.
    void ShowNotice(const QString& notice);
    // A mute mark beside the time, for as long as the sound is muted.
    void ShowMuted(bool muted);
    bool MuteShown() const;

    // The buttons, by the names in the design.
    PictureBox& Button(const char* name);

signals:
    void PlayClicked();
    void PauseClicked();
    void StopClicked();
    void OpenClicked();
    // The screen-effects button, with where the mouse was on the screen.
    void EffectsClicked(QPoint at);
    void ExitClicked();

private:
    void showText(const QString& text);

    PictureBox* skin_;
    Label* time_;
    PictureBox* muteMark_;
    QString timeCaption_;
    QTimer notice_;
};

} // namespace quarn
