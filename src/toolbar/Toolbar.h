#pragma once

#include "forms/DockedWindow.h"
#include "forms/FormKit.h"

#include <QTimer>

namespace quarn {

// The transport toolbar docked below the main window: Play, Pause, Stop, the
// time, Open, the screen-effects menu and Exit, on a shaped skin. Its buttons
// tell of their clicks; it holds no playback state of its own.
class Toolbar : public DockedWindow {
    Q_OBJECT
public:
    Toolbar();

    // What the time label shows: "m:ss/m:ss".
    void ShowTime(const QString& caption);
    QString Time() const { return time_->text(); }
    // Shows a short notice ("Vol 80%") in the time label for 1.5 s; then the
    // time again, as it is by then.
    void ShowNotice(const QString& notice);

    // The buttons, by the names in the design.
    PictureBox& Button(const char* name);

signals:
    void playClicked();
    void pauseClicked();
    void stopClicked();
    void openClicked();
    // The screen-effects button, with where the mouse was on the screen.
    void effectsClicked(QPoint at);
    void exitClicked();

private:
    PictureBox* skin_;
    Label* time_;
    QString timeCaption_;
    QTimer notice_;
};

} // namespace quarn
