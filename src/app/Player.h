#pragma once

#include "app/KeyMap.h"
#include "platform/ScreenSaver.h"
#include "platform/TrayHost.h"
#include "session/PlaybackSession.h"
#include "session/QueueModel.h"
#include "widgets/Cmdlg.h"
#include "widgets/WindowGroup.h"
#include "windows/AboutBox.h"
#include "windows/EffectsMenu.h"
#include "windows/MainWindow.h"
#include "windows/PictureMenu.h"
#include "windows/PlaylistWindow.h"
#include "windows/Splash.h"
#include "windows/TitleStrip.h"
#include "windows/Toolbar.h"
#include "windows/TrayIcon.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace quarn {

// What the player takes from the world outside its windows: the real things
// in the program, stand-ins in tests.
struct PlayerServices {
    // A media engine drawing into the given native window (0: sound only).
    std::function<std::unique_ptr<MediaEngine>(WId videoWindow)> makeEngine;
    platform::ScreenSaverSwitch* screenSaver = nullptr;
    // A message box with one OK button; the detail, if any, goes under the text.
    std::function<void(const QString& text, const QString& title, const QString& detail)> message;
    std::unique_ptr<FileDialogBackend> fileDialogs;
    // Where the intro and the About box's frame pictures are.
    QString programDirectory;
    // Where the settings, the queue, the resume positions, the recent files
    // and the screenshots are kept ("" keeps nothing there).
    SessionPaths paths;
    // Told when the program is to end, before anything winds down.
    std::function<void()> exiting;
};

// The player's composition root: it builds the main window, the engine
// drawing into it, the playback session, the title strip, the toolbar, the
// splash and the tray icon, in this order, puts the windows in one group,
// and connects them. It decides nothing of playback itself.
class Player : public QObject {
    Q_OBJECT
public:
    explicit Player(PlayerServices services);
    ~Player() override;

    // Without files, the splash comes up with its intro and gives way to the
    // player's windows when the intro ends or is clicked away. With files
    // (folders stand for their media files) the player's windows come up at
    // once and the files play one after the other.
    void Start(const QStringList& files = {});
    // Files and folders to play from now on, in place of the queue.
    void PlayFiles(const QStringList& files);
    // What another launch handed over: files to play (or, with `enqueue`, to
    // add to the end of the queue); the player comes to the front.
    void TakeHandOver(const QStringList& files, bool enqueue);
    // Files to play in place of the queue, asked for from outside (the
    // desktop's media controls): the caller is answered at once, and of many
    // asked for in a burst only the last, which replaces the others, plays.
    void RequestFiles(const QStringList& files);
    // The Open dialog; the chosen file plays.
    void Open();
    // Ends the program at once.
    void Exit();
    // Brings the main window to the front (out of the taskbar's minimised
    // state) where it is.
    void Raise();
    void ShowAbout();

    PlaybackSession& Session() { return *session_; }
    WindowGroup& Group() { return group_; }
    MainWindow& Main() { return main_; }
    TitleStrip& Title() { return title_; }
    PlaylistWindow& Playlist() { return playlist_; }
    Toolbar& Bar() { return bar_; }
    Splash& StartWindow() { return splash_; }
    TrayIcon& Tray() { return tray_; }
    Cmdlg& FileDialog() { return fileDialog_; }
    AboutBox* About() { return about_.get(); }
    EffectsMenu& Effects();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectWindows();
    void perform(const KeyAction& action);
    void showPictureMenu(QPoint at);
    void loadSubtitleFile();
    void showNotice(const QString& text);
    void playingChanged();
    void showPlaylist(bool shown);
    void addToQueue(int row, bool folder);
    void saveQueue();
    void queueChanged();
    bool isPlayerWindow(const QObject* object) const;
    bool isPlaylist(const QObject* object) const;
    void showPlayer(bool afterIntro);
    void reportProblem(const PlaybackProblem& problem);

    PlayerServices services_;
    MainWindow main_;
    std::unique_ptr<PlaybackSession> session_;
    TitleStrip title_;
    Toolbar bar_;
    QueueModel queueModel_;
    PlaylistWindow playlist_;
    WindowGroup group_;
    Splash splash_;
    std::unique_ptr<MediaEngine> intro_;
    TrayIcon tray_;
    platform::TrayHostWatch trayHost_;
    Cmdlg fileDialog_;
    std::unique_ptr<EffectsMenu> effects_;
    std::unique_ptr<AboutBox> about_;
    PictureMenu pictureMenu_;
    QStringList requested_;
    QTimer playRequested_;
    bool playerShown_ = false;
};

} // namespace quarn
