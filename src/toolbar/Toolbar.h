#pragma once

#include "forms/FormKit.h"

#include <QCloseEvent>
#include <QWidget>

namespace quarn {

// The transport toolbar docked below the main window: Play, Pause, Stop, the
// time display, Open, the screen-effects menu and Exit, on a shaped skin.
class Toolbar : public QWidget {
    Q_OBJECT
public:
    Toolbar();
    void Load();

    PictureBox& pToolbar() { return *pToolbar_; }
    PictureBox& Play() { return *play_; }
    PictureBox& Pause() { return *pause_; }
    PictureBox& mStop() { return *stop_; }
    PictureBox& mOpen() { return *open_; }
    PictureBox& ScreenSavers() { return *screenSavers_; }
    PictureBox& Options() { return *options_; }
    Label& Time() { return *time_; }

    // The button handlers.
    void Play_Click();
    void Pause_Click();
    void mStop_Click();
    void mOpen_Click();
    void ScreenSavers_Click();
    void Options_Click();

    // What Open does with the chosen file: open it in the main window. Once
    // it plays its title shows (FileOpened); a file the engine refuses is
    // reported in a message box and what played before goes on. An empty path
    // (a cancelled dialog) changes nothing.
    void OpenPath(const QString& path);
    void FileOpened();
    void ReportRefusal(int code, const QString& reason);

    // The filter of the Open dialog.
    static constexpr const char* kMediaFilter =
        "Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|";

protected:
    void moveEvent(QMoveEvent* event) override;
    // The companions stay with the main window: a close from the desktop is refused.
    void closeEvent(QCloseEvent* event) override { event->ignore(); }

private:
    PictureBox* pToolbar_;
    PictureBox* play_;
    PictureBox* pause_;
    PictureBox* stop_;
    PictureBox* open_;
    PictureBox* screenSavers_;
    PictureBox* options_;
    Label* time_;
};

// The song title made from a file's name: the name less its last four
// characters (its extension, usually), then four blanks that run through the
// marquee as a gap. A name shorter than four characters is kept whole.
QString SongTitle(const QString& fileName);

} // namespace quarn
